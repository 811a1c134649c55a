// Converts a PNG into an engine image file ("PIK" layout) through the engine's own
// writer: pixels as 5-6-5 (depth 16) or 5-5-5 (depth 15) words, the PNG's alpha as
// the alpha plane (left out when every pixel is opaque), the image's position in the
// header.
#pragma once
#include <string>

namespace tools {

struct ImageOptions {
    int depth = 16;
    // 0 plain, 4 run-length packed.
    int code = 0;
    int x = 0;
    int y = 0;
};

// Writes the file under a temporary name and renames it into place. False with a
// message naming the file at fault.
bool convertPngToImage(const std::string& pngPath, const std::string& outputPath, const ImageOptions& options,
                       std::string* error);

}  // namespace tools
