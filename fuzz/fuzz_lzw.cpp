// LZW block decoder: over the raw input, and over a block whose header is made
// to fit the input (unpacked size and code count from its first four bytes);
// also round-trips the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/CLZWCompression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> input(data, data + size);
    const int n = static_cast<int>(input.size());
    {
        CLZWCompression codec(input.data(), n);
        delete[] codec.decompress(0);
    }
    if (size >= 4) {
        std::vector<char> block(12 + size - 4);
        const uint32_t header[3] = {static_cast<uint32_t>(data[0] | data[1] << 8), static_cast<uint32_t>(size - 4),
                                    static_cast<uint32_t>(data[2] | data[3] << 8)};
        for (int f = 0; f < 3; ++f)
            for (int i = 0; i < 4; ++i) block[4 * f + i] = static_cast<char>(header[f] >> (8 * i));
        std::memcpy(block.data() + 12, data + 4, size - 4);
        CLZWCompression codec(block.data(), static_cast<int>(block.size()));
        delete[] codec.decompress(0);
    }
    CLZWCompression encoder(input.data(), n);
    int length = 0;
    char* block = encoder.compress(length);
    CLZWCompression decoder(block, length);
    char* back = decoder.decompress(0);
    if (!back || decoder.GetSize() != n || (n > 0 && std::memcmp(back, input.data(), static_cast<size_t>(n)) != 0))
        std::abort();
    delete[] block;
    delete[] back;
    return 0;
}
