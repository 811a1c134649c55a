// Fonts built byte by byte for the text tests and the fuzzers' seeds.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/text/CSimpleFont6.h"

namespace textfix {

inline void put32(std::string& s, int32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
}

// The two-letter font "A<" of a 4 x 1 strip: "A" ink in column 0, "<" in column 3.
inline std::string fontAL() {
    const unsigned char b[] = {0x46, 0x4E, 0x54, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x00,
                               0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x41, 0x3C, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
                               0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF};
    return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

// A font whose glyphs are solid blocks `cell` wide and `height` high, no kerning; "l"
// is one column narrower (so a space measures cell - 1), and with `bold` every glyph
// has a transparent middle row.
inline std::string blockFont(const std::string& letters, int cell, int height, bool bold = false) {
    const int n = static_cast<int>(letters.size());
    const int w = n * cell;
    std::string s("FNT\0", 4);
    put32(s, w);
    put32(s, height);
    put32(s, 16);
    put32(s, n);
    s += letters;
    s.append(static_cast<size_t>(n) * n, '\0');
    s.append(static_cast<size_t>(n), '\0');
    for (char c : letters) s += static_cast<char>(c == 'l' ? 1 : 0);
    s.append(static_cast<size_t>(w) * height * 2, '\x11');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < w; ++x) {
            const bool narrowL = letters[static_cast<size_t>(x / cell)] == 'l' && x % cell == cell - 1;
            const bool hole = bold && y == height / 2;
            s += static_cast<char>(narrowL || hole ? 0 : 0xFF);
        }
    return s;
}

inline const std::string& textLetters() {
    static const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!.,_";
    return letters;
}

// Loads a font from bytes in memory.
inline std::shared_ptr<CSimpleFont6> loadFont(const std::string& bytes, const char* family = "F",
                                              const char* style = "STANDARD", int size = 10) {
    auto font = std::make_shared<CSimpleFont6>(nullptr);
    std::string copy = bytes;
    CFile_Stream stream(copy.data(), static_cast<int>(copy.size()));
    font->Load(&stream);
    font->setFamily(CXString(family));
    font->setStyle(CXString(style));
    font->setSize(size);
    return font;
}

inline uint16_t pixel(CGraphicsObject& g, int x, int y) {
    uint16_t v;
    std::memcpy(&v, g.GetDataPtr() + (static_cast<size_t>(y) * g.Width() + x) * 2, 2);
    return v;
}

}  // namespace textfix
