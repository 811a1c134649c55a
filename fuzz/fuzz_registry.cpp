// Registry hive text: whatever is read must come back unchanged when its text form
// is read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/RegistryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string once = platform::RegistryHive::fromText(text).toText();
    const std::string twice = platform::RegistryHive::fromText(once).toText();
    if (once != twice) std::abort();
    return 0;
}
