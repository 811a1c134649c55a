// Animation files of the old family ("PIK", "PI2", "PI3"): the first byte picks the signature.
#include "fuzz/AnimFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const signatures[] = {"PIK", "PI2", "PI3"};
    return fuzzFamily(data, size, signatures, 3);
}
