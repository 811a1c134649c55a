// Font files from untrusted bytes: a font that loads measures and draws every byte
// value, with and without a clipping rectangle, inside a small target; one that fails
// must be empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/CFile.h"
#include "graphics/text/CSimpleFont6.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    CSimpleFont6 font(nullptr);
    if (font.Load(&stream) != 0) {
        if (font.getLetterCount() != 0 || font.GetDataPtr() || font.getLetterWidth(0, 'A') != 0) std::abort();
        return 0;
    }
    CGraphicsObject target(nullptr, CXSize(24, 24), 16);
    font.SetDestiny(&target);
    font.setColor(0x7FFF);
    for (int c = 0; c < 256; ++c) {
        const char letter = static_cast<char>(c);
        const char previous = static_cast<char>(255 - c);
        const int width = font.getLetterWidth(previous, letter);
        const int real = font.getRealLetterWidth(letter);
        if (real < 0 || real > font.getCellWidth() + 1) std::abort();
        font.drawLetter(c % 24 - 4, c / 24 - 4, previous, letter);
        font.SetClippingRect(letter, CXRect(1, 0, 3 + c % 5, 2 + width % 7));
        font.drawLetter(c % 13, c % 11, 0, letter);
        font.CGraphicsObject::SetClippingRect(0, 0, 0, 0);
    }
    return 0;
}
