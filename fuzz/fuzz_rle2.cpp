// Signed-count line decoder: width and height (one byte each), then one
// 16-bit line length per line, then the packed data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CRLECompression2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int width = data[0];
    const int height = data[1];
    size_t at = 2;
    short* lines = new short[static_cast<size_t>(height) + 1];
    for (int y = 0; y < height; ++y) {
        short v = 0;
        if (at + 2 <= size) {
            v = static_cast<short>(data[at] | data[at + 1] << 8);
            at += 2;
        }
        lines[y] = v;
    }
    std::vector<char> packed(data + at, data + size);
    CRLECompression2 codec(CXSize(width, height), lines, packed.data(), static_cast<int>(packed.size()));
    delete[] codec.Decompress(0);
    return 0;
}
