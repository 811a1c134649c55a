// Windows-1250 text for the OS calls that want UTF-8 (message boxes, terminals).
#pragma once
#include <string>

namespace platform {

// The UTF-8 form of Windows-1250 bytes; the bytes the code page leaves
// undefined become U+FFFD.
std::string windows1250ToUtf8(const char* text);

} // namespace platform
