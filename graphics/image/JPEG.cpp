#include "graphics/image/JPEG.h"

#include <csetjmp>
#include <cstring>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "foundation/CXString.h"
#include "platform/FileSystem.h"
#include "foundation/CEngineEnv.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Fatal errors: the message goes to the log and control returns to the setjmp of
// the call that is running.
[[noreturn]] void onError(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    CEngineEnv::toLog(CXString("JPEG: ") + text, false);
}

[[noreturn]] void tooManyScans(j_common_ptr info) {
    CEngineEnv::toLog(CXString("JPEG: too many scans"), false);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > JPEG::kMaxScans) tooManyScans(info);
}

}  // namespace

struct JPEG::State {
    jpeg_decompress_struct info;
    ErrorManager error;
    jpeg_progress_mgr progress;
    bool created = false;
    // The buffers of a decode, kept here (not on the stack) so that a jump back to
    // setjmp finds them as they were.
    std::unique_ptr<char[]> out;
    std::unique_ptr<unsigned char[]> row;
};

JPEG::JPEG(const char* path) : m_state(std::make_unique<State>()) {
    if (!path) return;
    m_stream = platform::fopen(path, "rb");
    if (m_stream) m_started = start(nullptr, 0);
}

JPEG::JPEG(const char* data, size_t size) : m_state(std::make_unique<State>()) {
    if (data && size > 0) m_started = start(data, size);
}

JPEG::~JPEG() {
    destroy();
    if (m_stream) std::fclose(m_stream);
}

void JPEG::destroy() {
    if (m_state->created) jpeg_destroy_decompress(&m_state->info);
    m_state->created = false;
    m_started = false;
}

bool JPEG::start(const char* data, size_t size) {
    State* s = m_state.get();
    std::memset(&s->info, 0, sizeof s->info);
    s->info.err = jpeg_std_error(&s->error.pub);
    s->error.pub.error_exit = onError;
    s->error.pub.output_message = onMessage;
    if (setjmp(s->error.jump)) {
        destroy();
        return false;
    }
    jpeg_create_decompress(&s->info);
    s->created = true;
    // Progressive pictures buffer their coefficients; without a backing store the
    // library fails a picture that needs more.
    s->info.mem->max_memory_to_use = static_cast<long>(kMaxMemory);
    s->progress.progress_monitor = onProgress;
    s->info.progress = &s->progress;
    if (m_stream)
        jpeg_stdio_src(&s->info, m_stream);
    else
        jpeg_mem_src(&s->info, reinterpret_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&s->info, TRUE);
    if (s->info.jpeg_color_space == JCS_CMYK || s->info.jpeg_color_space == JCS_YCCK) {
        CEngineEnv::toLog(CXString("JPEG: CMYK and YCCK pictures are not read"), false);
        destroy();
        return false;
    }
    if (s->info.image_width < 1 || s->info.image_height < 1 || s->info.image_width > kMaxSide ||
        s->info.image_height > kMaxSide) {
        destroy();
        return false;
    }
    s->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s->info);
    if (s->info.output_components != 3) {
        destroy();
        return false;
    }
    m_width = static_cast<int32_t>(s->info.output_width);
    m_height = static_cast<int32_t>(s->info.output_height);
    return true;
}

uint16_t JPEG::pack(int r, int g, int b, int bpp) {
    if (bpp == 15) return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

char* JPEG::decompress(int bpp) {
    if (!m_started) return nullptr;
    State* s = m_state.get();
    const size_t width = static_cast<size_t>(m_width);
    s->out.reset(new char[width * static_cast<size_t>(m_height) * 2]);
    s->row.reset(new unsigned char[width * 3]);
    if (setjmp(s->error.jump)) {
        destroy();
        s->out.reset();
        s->row.reset();
        return nullptr;
    }
    while (s->info.output_scanline < s->info.output_height) {
        const size_t y = s->info.output_scanline;
        JSAMPROW rows[1] = {s->row.get()};
        if (jpeg_read_scanlines(&s->info, rows, 1) != 1) {
            destroy();
            s->out.reset();
            s->row.reset();
            return nullptr;
        }
        char* line = s->out.get() + y * width * 2;
        const unsigned char* rgb = s->row.get();
        for (size_t x = 0; x < width; ++x) {
            const uint16_t v = pack(rgb[x * 3], rgb[x * 3 + 1], rgb[x * 3 + 2], bpp);
            std::memcpy(line + x * 2, &v, 2);
        }
    }
    jpeg_finish_decompress(&s->info);
    destroy();
    s->row.reset();
    return s->out.release();
}
