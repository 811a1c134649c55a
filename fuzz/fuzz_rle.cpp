// Byte run-length decoder: the first two input bytes give the decoded size,
// the rest is the packed data. Also checks that encoding the packed bytes
// themselves decodes back to them.
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
    delete[] CRLECompression::__decompresschar(packed.data(), n, decoded);

    int length = 0;
    char* coded = CRLECompression::__compresschar(packed.data(), n, &length);
    char* back = CRLECompression::__decompresschar(coded, length, n);
    if (!back || (n > 0 && std::memcmp(back, packed.data(), static_cast<size_t>(n)) != 0)) std::abort();
    delete[] coded;
    delete[] back;
    return 0;
}
