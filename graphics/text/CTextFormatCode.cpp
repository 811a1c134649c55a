#include "graphics/text/CTextFormatCode.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The comma-separated fields of a text, empty ones kept.
std::vector<CXString> fields(const CXString& s) {
    std::vector<CXString> out;
    int from = 0;
    for (;;) {
        const int comma = s.Find(',', from);
        if (comma < 0) {
            out.push_back(s.Mid(from, s.getLength()));
            return out;
        }
        out.push_back(s.Mid(from, comma));
        from = comma + 1;
    }
}

}  // namespace

CTextFormatCode::CTextFormatCode(CXString text) : m_mode(kText), m_text(text) {}

CTextFormatCode::CTextFormatCode(CSimpleFont6* font, CXString text) : m_mode(kStyle), m_text(text), m_font(font) {}

CTextFormatCode::CTextFormatCode(int bpp, int mode, CXString args) : m_mode(mode) {
    if (mode == kEditBox) {
        const std::vector<CXString> f = fields(args);
        // Wider than any screen is no box anyone sees; the cap keeps layouts bounded.
        if (f.size() > 1) m_width = std::clamp(f[1].toNumber(), 0, kMaxEditBoxWidth);
        if (f.size() > 2) m_name = f[2];
        if (f.size() > 3) m_text = f[3];
    } else if (mode == kColor) {
        if (args.Find(',') < 0) {
            m_color = args.toNumber();
        } else {
            const std::vector<CXString> f = fields(args);
            auto part = [&f](size_t i) { return i < f.size() ? f[i].toNumber() : 0; };
            m_color = packColor(bpp, part(0), part(1), part(2));
        }
    }
}

CTextFormatCode::~CTextFormatCode() = default;

int CTextFormatCode::packColor(int bpp, int red, int green, int blue) {
    if (bpp == 15) return ((red >> 3) & 31) << 10 | ((green >> 3) & 31) << 5 | ((blue >> 3) & 31);
    const auto word = static_cast<uint16_t>(((red >> 3) & 31) << 11 | ((green >> 2) & 63) << 5);
    return static_cast<int>(static_cast<int16_t>(word)) | ((blue >> 3) & 31);
}
