#include "tools/ImageConverter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/CFile.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/image/JPEG.h"
#include "platform/Png.h"
#include "tools/Output.h"

namespace tools {

bool convertPngToImage(const std::string& pngPath, const std::string& outputPath, const ImageOptions& options,
                       std::string* error) {
    if (options.depth != 15 && options.depth != 16) return report(error, "the depth must be 15 or 16");
    if (options.code != 0 && options.code != 4) return report(error, "the code must be 0 or 4");
    platform::PngPicture png;
    std::string why;
    if (!checkInputFile(pngPath, error)) return false;
    if (!platform::readPng(pngPath, 4, &png, &why, CImage::kMaxSide)) {
        // The PNG library says only "Read Error" when the data stops short, before the
        // signature or before the picture's end.
        if (why.find("Read Error") != std::string::npos) {
            static const char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
            char head[8] = {};
            FILE* file = std::fopen(pngPath.c_str(), "rb");
            const size_t got = file ? std::fread(head, 1, sizeof head, file) : 0;
            if (file) std::fclose(file);
            if (got < sizeof head || std::memcmp(head, kSignature, sizeof head) != 0)
                return report(error, pngPath + ": not a PNG file");
            return report(error, pngPath + ": the PNG data ends early or is damaged (the picture cannot be read whole)");
        }
        return report(error, why);
    }
    if (png.width > CImage::kMaxSide || png.height > CImage::kMaxSide)
        return report(error, pngPath + ": larger than " + std::to_string(CImage::kMaxSide) + " pixels a side");

    const size_t count = static_cast<size_t>(png.width) * png.height;
    CGraphicsObject image(nullptr, CXSize(png.width, png.height), options.depth);
    bool opaque = true;
    char* alpha = new char[count > 0 ? count : 1];
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &png.pixels[i * 4];
        const uint16_t v = JPEG::pack(p[0], p[1], p[2], options.depth);
        std::memcpy(image.GetDataPtr() + i * 2, &v, 2);
        alpha[i] = static_cast<char>(p[3]);
        opaque = opaque && p[3] == 255;
    }
    if (opaque)
        delete[] alpha;
    else
        image.AlphaChannel(alpha);
    image.SetPosition(options.x, options.y);
    if (options.code == 4) image.Compress(COMPRESSION_RLE);

    const std::string temporary = temporaryFor(outputPath);
    if (temporary.empty()) return report(error, outputPath + ": cannot be written (" + std::strerror(errno) + ")");
    CFile file;
    if (file.Open(nullptr, CXString(temporary.c_str()), CFile::kCreateBinary) != 0)
        return finishOutput(temporary, outputPath, false, "cannot be written", error);
    image.Save(&file, static_cast<_compression>(options.code));
    const int closed = file.Close();
    return finishOutput(temporary, outputPath, image.LastError() == 0 && closed == 0, "cannot write the image", error);
}

}  // namespace tools
