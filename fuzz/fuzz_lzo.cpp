// LZO block decoder: over the raw input, and over a block whose header is made
// to fit the input (unpacked size from its first two bytes); also round-trips
// the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/CLZWCompression2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> input(data, data + size);
    const int n = static_cast<int>(input.size());
    {
        CLZWCompression2 codec(input.data(), n);
        delete[] codec.decompress();
    }
    if (size >= 2) {
        std::vector<char> block(8 + size - 2);
        const uint32_t unpacked = data[0] | data[1] << 8;
        const uint32_t packed = static_cast<uint32_t>(size - 2);
        for (int i = 0; i < 4; ++i) {
            block[i] = static_cast<char>(unpacked >> (8 * i));
            block[4 + i] = static_cast<char>(packed >> (8 * i));
        }
        std::memcpy(block.data() + 8, data + 2, size - 2);
        CLZWCompression2 codec(block.data(), static_cast<int>(block.size()));
        delete[] codec.decompress();
    }
    CLZWCompression2 encoder(input.data(), n);
    int length = 0;
    char* block = encoder.compress(length);
    if (!block) std::abort();
    CLZWCompression2 decoder(block, length);
    char* back = decoder.decompress();
    if (!back || (n > 0 && std::memcmp(back, input.data(), static_cast<size_t>(n)) != 0)) std::abort();
    delete[] block;
    delete[] back;
    return 0;
}
