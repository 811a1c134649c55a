// 16-bit run-length decoder: the first two input bytes give the decoded size,
// the rest is the packed data. Also round-trips the packed bytes as units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/CRLECompression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int decoded = data[0] | data[1] << 8;
    std::vector<char> packed(data + 2, data + size);
    const int n = static_cast<int>(packed.size());
    delete[] CRLECompression::__decompress(packed.data(), n, decoded);

    const int even = n & ~1;
    int length = 0;
    char* coded = CRLECompression::__compress(packed.data(), even, &length);
    char* back = CRLECompression::__decompress(coded, length, even);
    if (!back || (even > 0 && std::memcmp(back, packed.data(), static_cast<size_t>(even)) != 0)) std::abort();
    delete[] coded;
    delete[] back;
    return 0;
}
