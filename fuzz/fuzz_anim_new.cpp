// Animation files of the new family ("NVI", "NV+", "NVP"): the first byte picks the signature.
#include "fuzz/AnimFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const signatures[] = {"NVI", "NV+", "NVP"};
    return fuzzFamily(data, size, signatures, 3);
}
