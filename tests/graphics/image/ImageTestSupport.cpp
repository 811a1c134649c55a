#include "ImageTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace imgtest {

Bytes encodeJpeg(int width, int height, int components, int colorSpace, const std::vector<uint8_t>& samples) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = static_cast<J_COLOR_SPACE>(colorSpace);
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + static_cast<size_t>(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes result(reinterpret_cast<char*>(out), size);
    std::free(out);
    return result;
}

Bytes solidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> samples;
    for (int i = 0; i < width * height; ++i) samples.insert(samples.end(), {r, g, b});
    return encodeJpeg(width, height, 3, JCS_RGB, samples);
}

}  // namespace imgtest
