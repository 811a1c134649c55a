// Animation files of the packed family ("PAK"): the first byte picks the signature.
#include "fuzz/AnimFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const signatures[] = {"PAK"};
    return fuzzFamily(data, size, signatures, 1);
}
