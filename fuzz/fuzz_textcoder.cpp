// Script-text coder over an in-memory text: reads every line to the end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CTextCoder.h"
#include "foundation/CTextFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    CTextFileReader reader(nullptr, text.data(), static_cast<int>(text.size()));
    CTextCoder coder(nullptr, &reader, true);
    // Every call consumes a line or ends the stream; the bound only guards the harness.
    for (size_t guard = 0; !coder._eof() && guard <= size + 2; ++guard) coder.getLine();
    return 0;
}
