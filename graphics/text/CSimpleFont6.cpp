#include "graphics/text/CSimpleFont6.h"

#include <algorithm>
#include <cstring>

#include "foundation/CFile.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "platform/FileSystem.h"
#include "script/CMElement.h"

namespace {

// A pixel counts as ink for the fit count when its alpha is above this.
constexpr int kInkAlpha = 20;

int32_t readInt32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void putInt32(std::vector<char>& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
}

// One glyph's frame as plain 16-bit pixels and alpha, cut or padded to w x h.
struct Cell {
    int w = 0;
    int h = 0;
    std::vector<uint16_t> pixels;
    std::vector<uint8_t> alpha;
    uint8_t a(int x, int y) const { return alpha[static_cast<size_t>(y) * w + x]; }
};

int leftOffsetOf(const Cell& c) {
    for (int x = 0; x < c.w; ++x)
        for (int y = 0; y < c.h; ++y)
            if (c.a(x, y) != 0) return x;
    return c.w;
}

int rightOffsetOf(const Cell& c) {
    for (int x = c.w - 1; x >= 0; --x)
        for (int y = 0; y < c.h; ++y)
            if (c.a(x, y) != 0) return c.w - 1 - x;
    return c.w;
}

// How many columns glyph b can move left towards glyph a before their inks meet.
int fitCount(const Cell& a, int leftA, int rightA, const Cell& b, int leftB) {
    int count = 0;
    int x = a.w - 1 - rightA;
    if (x < leftA || leftB >= b.w) return 0;
    while (x >= leftA) {
        int previous = 0;
        for (int y = 0; y < a.h; ++y) {
            const int code = (a.a(x, y) > kInkAlpha ? 1 : 0) + (b.a(leftB, y) > kInkAlpha ? 2 : 0);
            if (code == 3) return count;
            if ((code == 2 && previous == 1) || (code == 1 && previous == 2)) return count + 1;
            previous = code;
        }
        ++count;
        --x;
    }
    return count;
}

// The absolute engine name a file is written under, as CFile opens it.
struct WritePath : CFile {
    static CXString of(CWindow* window, CXString name) { return absoluteName(window, name); }
};

int offsetOf(CGraphicsObject* g, bool fromLeft) {
    if (!g || g->Width() <= 0) return 0;
    const int w = g->Width();
    const int h = g->Height();
    const char* alpha = g->AlphaChannel();
    if (!alpha) return 0;
    for (int i = 0; i < w; ++i) {
        const int x = fromLeft ? i : w - 1 - i;
        for (int y = 0; y < h; ++y)
            if (alpha[static_cast<size_t>(y) * w + x] != 0) return i;
    }
    return w;
}

}  // namespace

CSimpleFont6::CSimpleFont6(CWindow* window) : CGraphicsObject(window) {
    m_bpp = 16;
    m_autoClip = false;
}

CSimpleFont6::CSimpleFont6(CWindow* window, CXString name) : CSimpleFont6(window) { Load(name); }

CSimpleFont6::CSimpleFont6(CWindow* window, CMElement* element) : CSimpleFont6(window) {
    if (!element) return;
    const CXString name = element->getPropertyValue(CXString("FILENAME"));
    if (name.IsString()) Load(name);
    m_family = element->getPropertyValue(CXString("FAMILY"));
    m_style = element->getPropertyValue(CXString("STYLE"));
    m_size = element->getPropertyIntValue(CXString("SIZE"));
}

CSimpleFont6::CSimpleFont6(const CSimpleFont6& other) : CGraphicsObject(other.m_window) {
    m_autoClip = false;
    copyFontFields(other);
}

CSimpleFont6& CSimpleFont6::operator=(const CSimpleFont6& other) {
    if (this != &other) copyFontFields(other);
    return *this;
}

void CSimpleFont6::copyFontFields(const CSimpleFont6& other) {
    flush();
    m_window = other.m_window;
    m_bpp = other.m_bpp;
    m_tables = other.m_tables;
    m_count = other.m_count;
    m_family = other.m_family;
    m_style = other.m_style;
    m_size = other.m_size;
    m_defColor = other.m_defColor;
    m_color = other.m_color;
    m_opacity = other.m_opacity;
    m_destiny = other.m_destiny;
    m_clipRect = other.m_clipRect;
    if (other.m_pixels && other.m_compression == COMPRESSION_NONE) {
        alloc(CXSize(other.m_width, other.m_height), 0, false);
        std::memcpy(m_pixels, other.m_pixels, static_cast<size_t>(GetDataSize()));
        if (m_alpha) {
            if (other.m_alpha)
                std::memcpy(m_alpha, other.m_alpha, static_cast<size_t>(m_width) * m_height);
            else
                std::memset(m_alpha, 0xFF, static_cast<size_t>(m_width) * m_height);
        }
    }
}

CSimpleFont6::~CSimpleFont6() = default;

char CSimpleFont6::mapLetter(char c) {
    if (c == '@') return '<';
    if (c == '$') return '>';
    return c;
}

void CSimpleFont6::flush() {
    m_tables.reset();
    m_count = 0;
    CGraphicsObject::Flush();
    m_width = m_height = m_pitch = 0;
    m_dataSize = 0;
    m_bpp = 16;
    m_compression = COMPRESSION_NONE;
    for (int& s : m_channelSize) s = 0;
}

int CSimpleFont6::Load(CXString name) {
    flush();
    CFile file;
    if (file.Open(m_window, name, CFile::kRead | CFile::kBinary) != 0) {
        setErrorCode(CFile::kErrorNotFound);
        return CFile::kErrorNotFound;
    }
    const int result = Load(&file);
    file.Close();
    setErrorCode(result);
    if (result != 0) return result;
    setFileName(name);
    return CGraphicsObject::Load(name);
}

int CSimpleFont6::Load(CFile* file) {
    flush();
    auto fail = [this]() {
        flush();
        setErrorCode(kErrBadFont);
        return kErrBadFont;
    };
    if (!file) return fail();
    const int64_t available = static_cast<int64_t>(file->Length()) - file->Tell();
    unsigned char header[kHeaderSize];
    if (available < kHeaderSize || file->Read(header, kHeaderSize) != kHeaderSize) return fail();
    const int32_t w = readInt32(header + 4);
    const int32_t h = readInt32(header + 8);
    const int32_t n = readInt32(header + 16);
    if (n < 1 || n > 256 || w < 0 || w > 65535 || h < 0 || h > 65535) return fail();
    const int64_t tables = 3 * int64_t{n} + int64_t{n} * n;
    const int64_t strip = int64_t{w} * h;
    if (available < kHeaderSize + tables + 3 * strip) return fail();

    auto t = std::make_shared<Tables>();
    t->letters.resize(static_cast<size_t>(n));
    t->kerning.resize(static_cast<size_t>(n) * n);
    t->left.resize(static_cast<size_t>(n));
    t->right.resize(static_cast<size_t>(n));
    if (file->Read(t->letters.data(), n) != n || file->Read(t->kerning.data(), n * n) != n * n ||
        file->Read(t->left.data(), n) != n || file->Read(t->right.data(), n) != n)
        return fail();
    // Ink stays in its cell whatever the offsets say.
    const int cell = w / n;
    for (int i = 0; i < n; ++i) {
        const int l = std::clamp<int>(t->left[i], 0, cell);
        const int r = std::clamp<int>(t->right[i], 0, cell - l);
        t->left[i] = static_cast<int8_t>(std::min(l, 127));
        t->right[i] = static_cast<int8_t>(std::min(r, 127));
    }

    m_bpp = 16;
    alloc(CXSize(w, h), 0, false);
    const int pixelBytes = static_cast<int>(strip * 2);
    const int alphaBytes = static_cast<int>(strip);
    if (pixelBytes > 0 && (!m_pixels || file->Read(m_pixels, pixelBytes) != pixelBytes)) return fail();
    if (alphaBytes > 0 && (!m_alpha || file->Read(m_alpha, alphaBytes) != alphaBytes)) return fail();
    m_channelSize[3] = alphaBytes;
    m_tables = std::move(t);
    m_count = n;
    setErrorCode(0);
    return 0;
}

int CSimpleFont6::findLetter(char letter) const {
    // Letter 0 marks frames no name was given to: never found.
    if (!m_tables || letter == 0) return -1;
    const char c = mapLetter(letter);
    for (int i = 0; i < m_count; ++i)
        if (m_tables->letters[static_cast<size_t>(i)] == c) return i;
    return -1;
}

int CSimpleFont6::glyphStart(int i) const {
    const int cell = getCellWidth();
    int8_t left = m_tables->left[static_cast<size_t>(i)];
    return i * cell + std::clamp<int>(left, 0, cell);
}

int CSimpleFont6::glyphWidth(int i) const {
    const int cell = getCellWidth();
    const int w = cell - m_tables->right[static_cast<size_t>(i)] - m_tables->left[static_cast<size_t>(i)];
    return std::clamp(w, 0, cell);
}

int CSimpleFont6::getKerning(int previous, int letter) const {
    const int p = findLetter(static_cast<char>(previous));
    const int c = findLetter(static_cast<char>(letter));
    if (p < 0 || c < 0) return 0;
    return m_tables->kerning[static_cast<size_t>(p) * m_count + c];
}

int CSimpleFont6::getRealLetterWidth(char letter) {
    if (letter == ' ') return CSimpleFont6::getLetterWidth(0, 'l');
    if (letter == '~') return 1;
    if (letter == 0) return 0;
    const int i = findLetter(letter);
    return i < 0 ? 0 : glyphWidth(i);
}

int CSimpleFont6::getLetterWidth(char previous, char letter) {
    if (letter == ' ') return CSimpleFont6::getRealLetterWidth('l');
    if (letter == '~') return 1;
    if (letter == 0) return 0;
    const int i = findLetter(letter);
    if (i < 0) return 0;
    const int k = previous != 0 ? getKerning(previous, letter) : 0;
    return glyphWidth(i) - k;
}

void CSimpleFont6::SetClippingRect(char letter, CXRect r) {
    if (r.Width() != 0 && r.Height() != 0) {
        const int i = letter != 0 ? findLetter(letter) : -1;
        if (i >= 0) {
            const int s = glyphStart(i);
            r.left += s;
            r.right += s;
        }
    }
    CGraphicsObject::SetClippingRect(r);
}

int CSimpleFont6::drawLetter(int x, int y, char previous, char letter) {
    if (letter == ' ') return CSimpleFont6::getRealLetterWidth('l') + 2;
    if (letter == '~') return 3;
    const int i = letter != 0 ? findLetter(letter) : -1;
    if (i < 0) return 2;
    const CXRect kept = m_clipRect;
    const int s = glyphStart(i);
    const int w = glyphWidth(i);
    const int k = previous != 0 ? getKerning(previous, letter) : 0;
    CGraphicsObject::SetPosition(x - s - k, y);
    if (kept.Width() == 0 || kept.Height() == 0)
        CGraphicsObject::SetClippingRect(s, 0, s + w, m_height);
    else
        CGraphicsObject::SetClippingRect(std::max(s, kept.left), std::max(kept.top, 0),
                                         std::min(s + w, kept.right + 1), std::min(m_height, kept.bottom));
    if (w > 0) CGraphicsObject::Redraw();
    m_clipRect = kept;
    return w - k + 2;
}

void CSimpleFont6::setColor(int color) {
    if (m_pixels && (m_bpp == 15 || m_bpp == 16) && m_compression == COMPRESSION_NONE) {
        const uint16_t v = static_cast<uint16_t>(color & 0xFFFF);
        const int64_t n = int64_t{m_width} * m_height;
        for (int64_t i = 0; i < n; ++i) std::memcpy(m_pixels + i * 2, &v, 2);
    }
    m_color = color;
}

int CSimpleFont6::getLeftOffset(CGraphicsObject* g) { return offsetOf(g, true); }
int CSimpleFont6::getRightOffset(CGraphicsObject* g) { return offsetOf(g, false); }

bool CSimpleFont6::create(CXString animationName, CXString fontName) {
    CAnimo animation(m_window, animationName);
    if (animation.LastError() != 0 || animation.GetNOF() <= 0) {
        flush();
        return false;
    }
    return create(&animation, fontName);
}

bool CSimpleFont6::create(CAnimo* animation, CXString fontName) {
    flush();
    const int n = animation ? std::min(animation->GetNOF(), 256) : 0;
    if (n <= 0) return false;
    animation->Convert(16);
    CFrame* first = animation->GetFrame(0);
    if (!first) return false;
    const int cw = std::max(first->Width(), 0);
    const int ch = std::max(first->Height(), 0);
    if (int64_t{cw} * n > 65535 || ch > 65535) return false;

    auto t = std::make_shared<Tables>();
    t->letters.assign(static_cast<size_t>(n), 0);
    t->kerning.assign(static_cast<size_t>(n) * n, 0);
    t->left.assign(static_cast<size_t>(n), 0);
    t->right.assign(static_cast<size_t>(n), 0);
    m_bpp = 16;
    alloc(CXSize(cw * n, ch), 0, false);
    m_channelSize[3] = m_width * m_height;

    std::vector<Cell> cells(static_cast<size_t>(n));
    const int namedFrames = animation->GetNOE() > 0 ? animation->GetNOFInEvent(0) : 0;
    for (int i = 0; i < n; ++i) {
        Cell& c = cells[static_cast<size_t>(i)];
        c.w = cw;
        c.h = ch;
        c.pixels.assign(static_cast<size_t>(cw) * ch, 0);
        c.alpha.assign(static_cast<size_t>(cw) * ch, 0);
        CFrame* f = animation->GetFrame(i);
        if (f && f->GetCompression() != COMPRESSION_NONE) f->DeCompress();
        if (f && f->GetBpp() != 16) f->Convert(16);
        const char* fp = f ? f->GetDataPtr() : nullptr;
        if (f && fp && f->GetBpp() == 16 && f->GetCompression() == COMPRESSION_NONE) {
            const int fw = f->Width();
            const char* fa = f->AlphaChannel();
            // Only what fits the cell is taken.
            for (int y = 0; y < std::min(ch, f->Height()); ++y)
                for (int x = 0; x < std::min(cw, fw); ++x) {
                    const size_t src = static_cast<size_t>(y) * fw + x;
                    const size_t dst = static_cast<size_t>(y) * cw + x;
                    uint16_t v;
                    std::memcpy(&v, fp + src * 2, 2);
                    c.pixels[dst] = v;
                    c.alpha[dst] = fa ? static_cast<uint8_t>(fa[src]) : 0xFF;
                }
        }
        // The one-pixel border is cleared.
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                if (y == 0 || y == ch - 1 || x == 0 || x == cw - 1) {
                    c.pixels[static_cast<size_t>(y) * cw + x] = 0;
                    c.alpha[static_cast<size_t>(y) * cw + x] = 0;
                }
        const CXString name = i < namedFrames ? animation->getFrameName(0, i) : CXString();
        t->letters[static_cast<size_t>(i)] = name.IsString() ? name.GetAt(0) : 0;
        t->left[static_cast<size_t>(i)] = static_cast<int8_t>(std::min(leftOffsetOf(c), 127));
        t->right[static_cast<size_t>(i)] = static_cast<int8_t>(std::min(rightOffsetOf(c), 127));
        for (int y = 0; y < ch; ++y) {
            std::memcpy(m_pixels + (static_cast<size_t>(y) * m_width + static_cast<size_t>(i) * cw) * 2,
                        c.pixels.data() + static_cast<size_t>(y) * cw, static_cast<size_t>(cw) * 2);
            std::memcpy(m_alpha + static_cast<size_t>(y) * m_width + static_cast<size_t>(i) * cw,
                        c.alpha.data() + static_cast<size_t>(y) * cw, static_cast<size_t>(cw));
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const Cell& a = cells[static_cast<size_t>(i)];
            const Cell& b = cells[static_cast<size_t>(j)];
            const int fit = fitCount(a, t->left[static_cast<size_t>(i)], t->right[static_cast<size_t>(i)], b,
                                     t->left[static_cast<size_t>(j)]);
            t->kerning[static_cast<size_t>(i) * n + j] = static_cast<int8_t>(1 - fit);
        }
    m_tables = std::move(t);
    m_count = n;
    return save(fontName);
}

bool CSimpleFont6::save(CXString fontName) {
    if (!m_tables || m_count <= 0) return false;
    std::vector<char> out;
    out.insert(out.end(), {'F', 'N', 'T', '\0'});
    putInt32(out, m_width);
    putInt32(out, m_height);
    putInt32(out, 16);
    putInt32(out, m_count);
    out.insert(out.end(), m_tables->letters.begin(), m_tables->letters.end());
    for (int8_t v : m_tables->kerning) out.push_back(static_cast<char>(v));
    for (int8_t v : m_tables->left) out.push_back(static_cast<char>(v));
    for (int8_t v : m_tables->right) out.push_back(static_cast<char>(v));
    const size_t strip = static_cast<size_t>(m_width) * m_height;
    if (m_pixels && m_bpp == 16) {
        out.insert(out.end(), m_pixels, m_pixels + strip * 2);
    } else {
        out.insert(out.end(), strip * 2, '\0');
    }
    if (m_alpha)
        out.insert(out.end(), m_alpha, m_alpha + strip);
    else
        out.insert(out.end(), strip, '\0');
    const CXString path = WritePath::of(m_window, fontName);
    return platform::writeFileAtomically(path.c_str(), out.data(), out.size());
}
