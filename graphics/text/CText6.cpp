#include "graphics/text/CText6.h"

#include <algorithm>
#include <cstdint>

#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"

CText6::CText6(CWindow* window, bool, CGraphicsUnit* unit) : CGraphicsObject(window), m_unit(unit) {}

CText6::CText6(const CText6& other)
    : CGraphicsObject(other),
      m_font(other.m_font),
      m_text(other.m_text),
      m_justifyRect(other.m_justifyRect),
      m_vJustify(other.m_vJustify),
      m_hJustify(other.m_hJustify),
      m_codes(other.m_codes),
      m_unit(other.m_unit),
      m_color(other.m_color),
      m_htEnabled(other.m_htEnabled),
      m_htDirty(other.m_htDirty) {
    // The edit boxes stay with the text that made them; the word records are copied.
    if (other.m_ownLine) {
        m_ownLine = std::make_unique<ht_Line>(*other.m_ownLine);
        m_htLines.push_back(m_ownLine.get());
    }
}

CText6::~CText6() { flush_ht_info(); }

// ---- codes ------------------------------------------------------------------------

bool CText6::checkCode(CXString name) {
    for (const char* code : {"I", "B", "LS", "US", "U"})
        if (name.equalsIgnoreCase(CXString(code))) return true;
    return false;
}

CXString CText6::convTab(CXString s) { return s.replace(CXString("\t"), CXString("        ")); }

CXString CText6::getColoruredText(CXString s, int c) {
    if (s.startsWith(CXString("<COLOR"))) s.removeTag(CXString("COLOR"));
    if (c == 0) return s;
    CXString out("<COLOR");
    out += c;
    out += ">";
    out += s;
    out += "<COLOR>";
    return out;
}

bool CText6::isMultifont() const { return m_font && m_font->isMultifont(); }

int CText6::screenBpp() const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    CRefreshScreen* screen = services ? services->GetRefreshScreenInterface() : nullptr;
    return screen ? screen->GetBpp() : 16;
}

CSimpleFont6* CText6::addCode(int mode, CXString s, CSimpleFont6* current) {
    if (mode == CTextFormatCode::kText) {
        if (s.IsString()) m_codes.emplace_back(s);
        return current;
    }
    if (mode == CTextFormatCode::kStyle) {
        CXString style;
        if (s.equalsIgnoreCase(CXString("I")))
            style = "ITALIC";
        else if (s.equalsIgnoreCase(CXString("B")))
            style = "BOLD";
        else if (s.equalsIgnoreCase(CXString("LS")))
            style = "LSTRIKE";
        else if (s.equalsIgnoreCase(CXString("US")))
            style = "USTRIKE";
        else
            style = "UNDERLINE";
        auto* collection = dynamic_cast<CFontCollection*>(m_font.get());
        if (!collection || !current) return current;
        if (current->getStyle().equalsIgnoreCase(style)) style = "STANDARD";
        CSimpleFont6* next = collection->get(current->getFamily(), style, current->getSize());
        if (!next) return current;
        m_codes.emplace_back(next, CXString("<") + s + ">");
        return next;
    }
    m_codes.emplace_back(screenBpp(), mode, s);
    return current;
}

void CText6::parseText() {
    if (!isMultifont()) return;
    flushCodes();
    auto* collection = dynamic_cast<CFontCollection*>(m_font.get());
    CSimpleFont6* current = collection ? collection->getBaseFont() : nullptr;
    if (!current) return;
    CXString run;
    const int n = m_text.getLength();
    const char* t = m_text.c_str();
    int i = 0;
    while (i < n) {
        const char c = t[i];
        if (c == '\t') {
            run += c;
            addCode(CTextFormatCode::kTab, CXString(), nullptr);
        } else if (c == '|' || c == '\r') {
            addCode(CTextFormatCode::kText, run, nullptr);
            run = "";
            addCode(CTextFormatCode::kBreak, CXString(), nullptr);
        } else if (c == '<') {
            int j = i + 1;
            while (j < n && t[j] != '>' && t[j] != '<') ++j;
            if (j >= n) {
                addCode(CTextFormatCode::kText, run + m_text.Mid(i, n), nullptr);
                return;
            }
            if (t[j] == '<') {
                addCode(CTextFormatCode::kText, run + m_text.Mid(i, j), nullptr);
                run = "";
                i = j;
                continue;
            }
            const CXString name = m_text.Mid(i + 1, j);
            if (checkCode(name)) {
                addCode(CTextFormatCode::kText, run, nullptr);
                current = addCode(CTextFormatCode::kStyle, name, current);
            } else if (name.startsWith(CXString("E,"))) {
                addCode(CTextFormatCode::kText, run, nullptr);
                addCode(CTextFormatCode::kEditBox, name, nullptr);
            } else if (name.startsWith(CXString("COLOR"))) {
                addCode(CTextFormatCode::kText, run, nullptr);
                addCode(CTextFormatCode::kColor, name.Mid(5, name.getLength()), nullptr);
            } else {
                ++i;  // not a code: the "<" goes, the rest is text
                continue;
            }
            run = "";
            i = j + 1;
            continue;
        } else if (c != '\n') {
            run += c;
        }
        ++i;
    }
    addCode(CTextFormatCode::kText, run, nullptr);
}

// ---- text and font ------------------------------------------------------------------

void CText6::setExtent(int width, int height) { CGraphicsObject::setSize(CXSize(width, height)); }

void CText6::setFont(std::shared_ptr<CSimpleFont6> font) {
    if (m_text.IsString()) Invalidate();
    m_font = std::move(font);
    if (m_font) m_color = m_font->getDefColor();
    if (m_text.IsString()) {
        parseText();
        setExtent(getLength(), m_font ? m_font->Height() : 0);
        setJustify(m_justifyRect, m_hJustify, m_vJustify);
        Invalidate();
    }
    if (m_htEnabled) {
        flush_ht_info();
        m_ownLine = std::make_unique<ht_Line>();
        m_ownLine->words.resize(static_cast<size_t>(count_words()));
        m_htLines.push_back(m_ownLine.get());
        m_htDirty = true;
    }
}

void CText6::setText(CXString s) {
    if (m_font) Invalidate();
    const CXString plain = convTab(s);
    // A single font would draw a colour code as letters.
    m_text = isMultifont() ? getColoruredText(plain, m_color) : plain;
    parseText();
    if (m_font) {
        setExtent(getLength(), m_font->Height());
        setJustify(m_justifyRect, m_hJustify, m_vJustify);
        Invalidate();
    }
    if (m_htEnabled) {
        flush_ht_info();
        m_ownLine = std::make_unique<ht_Line>();
        m_ownLine->words.resize(static_cast<size_t>(count_words()));
        m_htLines.push_back(m_ownLine.get());
        m_htDirty = true;
    }
}

void CText6::setColor(int color) {
    if (color == m_color) return;
    m_color = color;
    setText(isMultifont() ? getColoruredText(m_text, color) : m_text);
}

int CText6::getLength(CSimpleFont6* font, CXString s) {
    if (!font) return 0;
    int length = 0;
    const char* t = s.c_str();
    for (int i = 0; i < s.getLength(); ++i) length += font->getLetterWidth(i > 0 ? t[i - 1] : 0, t[i]) + 2;
    return length;
}

int CText6::getLength() {
    if (!m_font) return 0;
    if (!isMultifont()) return getLength(m_font.get(), m_text);
    auto* collection = dynamic_cast<CFontCollection*>(m_font.get());
    CSimpleFont6* current = collection ? collection->getBaseFont() : nullptr;
    if (!current) return 0;
    int length = 0;
    for (const CTextFormatCode& code : m_codes) {
        if (code.getMode() == CTextFormatCode::kStyle && code.getFont()) current = code.getFont();
        if (code.getMode() == CTextFormatCode::kText) length += getLength(current, code.getText());
    }
    return length;
}

void CText6::setJustify(CXRect r, _justify h, _justify v) {
    m_justifyRect = r;
    m_hJustify = h;
    m_vJustify = v;
    // Script rectangles may be anything: the sums are taken in 64 bits and held to 32.
    const int64_t w = Width();
    const int64_t ht = Height();
    int64_t x = m_position.x;
    int64_t y = m_position.y;
    switch (h) {
    case JUSTIFY_LEFT: x = r.left; break;
    case JUSTIFY_RIGHT: x = int64_t{r.right} - w; break;
    case JUSTIFY_CENTER: x = r.left + (int64_t{r.right} - r.left - w) / 2; break;
    default: break;
    }
    switch (v) {
    case JUSTIFY_TOP: y = r.top; break;
    case JUSTIFY_BOTTOM: y = int64_t{r.bottom} - ht; break;
    case JUSTIFY_CENTER: y = r.top + (int64_t{r.bottom} - r.top - ht) / 2; break;
    default: break;
    }
    auto held = [](int64_t value) {
        return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    };
    m_position = CXPoint(held(x), held(y));
    tellCollisionInspector();
}

void CText6::Move(int dx, int dy) {
    if (m_justifyRect.IsEmpty()) {
        CGraphicsObject::Move(dx, dy);
        return;
    }
    Invalidate();
    m_justifyRect += CXPoint(dx, dy);
    setJustify(m_justifyRect, m_hJustify, m_vJustify);
    Invalidate();
}

// ---- drawing ------------------------------------------------------------------------

namespace {

// Draws one letter at the pen, cut to the text's clipping rectangle (object coordinates);
// a letter wholly outside it is skipped but still advances the pen.
int drawClipped(CSimpleFont6* font, const CXRect& clip, int penX, int objectX, int y, int height, char previous,
                char c) {
    if (clip.IsEmpty()) return font->drawLetter(penX, y, previous, c);
    const CXRect box(penX - objectX, 0, penX - objectX + font->getRealLetterWidth(c), height);
    const CXRect r = box.Common(clip);
    if (!r.IsProper()) return font->getLetterWidth(previous, c) + 2;
    if (r != box) font->SetClippingRect(c, r - CXPoint(box.left, 0));
    const int advance = font->drawLetter(penX, y, previous, c);
    font->CGraphicsObject::SetClippingRect(0, 0, 0, 0);
    return advance;
}

}  // namespace

ht_Word* CText6::word(int i) const {
    if (m_htLines.empty() || !m_htLines[0] || i < 0 || i >= m_htLines[0]->wordCount()) return nullptr;
    return &m_htLines[0]->words[static_cast<size_t>(i)];
}

void CText6::Redraw() {
    CSimpleFont6* font = m_font.get();
    auto* collection = dynamic_cast<CFontCollection*>(font);
    // Far off any screen nothing is drawn, and the pen's sums stay inside 32 bits.
    constexpr int kFar = 1 << 29;
    const bool far = m_position.x < -kFar || m_position.x > kFar || m_position.y < -kFar || m_position.y > kFar;
    if (!font || far || (collection && !collection->getBaseFont())) {
        m_htDirty = false;
        return;
    }
    const int saved = font->getColor();
    if (m_htDirty && !m_htLines.empty() && m_htLines[0]) {
        m_htLines[0]->top = m_position.y;
        m_htLines[0]->bottom = m_position.y + font->Height();
    }
    font->SetOpacity(m_opacity);
    const int y = m_position.y;
    int pen = m_position.x;
    if (!collection) {
        font->SetDestiny(m_destiny);
        const char* t = m_text.c_str();
        for (int i = 0; i < m_text.getLength(); ++i)
            pen += drawClipped(font, m_clipRect, pen, m_position.x, y, m_height, i > 0 ? t[i - 1] : 0, t[i]);
    } else {
        CSimpleFont6* current = collection->getBaseFont();
        int k = 0;
        for (const CTextFormatCode& code : m_codes) {
            switch (code.getMode()) {
            case CTextFormatCode::kStyle:
                // The colour in effect carries over to the new style's font.
                if (code.getFont() && code.getFont() != current) {
                    code.getFont()->setColor(current->getColor());
                    current = code.getFont();
                }
                break;
            case CTextFormatCode::kColor:
                if (code.getColor() != 0) current->setColor(code.getColor());
                break;
            case CTextFormatCode::kText: {
                int restore = ht_Word::kNoColor;
                ht_Word* w = word(k);
                if (w && w->color != ht_Word::kNoColor) {
                    restore = current->getColor();
                    current->setColor(w->color);
                }
                if (m_htEnabled && w) w->left = pen;
                current->SetDestiny(m_destiny);
                const CXString run = code.getText();
                const char* t = run.c_str();
                for (int i = 0; i < run.getLength(); ++i) {
                    const char c = t[i];
                    if (m_htEnabled && c == ' ') {
                        if (w) w->right = pen - 1;
                        w = word(++k);
                        if (w) w->left = pen;
                        if (w && w->color != ht_Word::kNoColor) {
                            if (restore == ht_Word::kNoColor) restore = current->getColor();
                            current->setColor(w->color);
                        } else if (restore != ht_Word::kNoColor) {
                            current->setColor(restore);
                            restore = ht_Word::kNoColor;
                        }
                    }
                    pen += drawClipped(current, m_clipRect, pen, m_position.x, y, m_height, i > 0 ? t[i - 1] : 0, c);
                }
                if (m_htEnabled && w) w->right = pen - 1;
                break;
            }
            default: break;
            }
        }
        if (ht_Word* w = word(k)) w->right = pen;
    }
    font->SetOpacity(255);
    font->setColor(saved);
    m_htDirty = false;
}

// ---- words --------------------------------------------------------------------------

void CText6::flush_ht_info() {
    m_htLines.clear();
    m_ownLine.reset();
}

ht_Line* CText6::get_ht_lines_info(int i) const {
    if (i < 0 || i >= static_cast<int>(m_htLines.size())) return nullptr;
    return m_htLines[static_cast<size_t>(i)];
}

int CText6::count_words() const {
    int count = 0;
    for (const CTextFormatCode& code : m_codes)
        if (code.getMode() == CTextFormatCode::kText) count += code.getText().getCount(' ') + 1;
    return count;
}

int CText6::getWordAtXY(CXPoint p) {
    if (m_htLines.empty() || !m_htLines[0]) return -1;
    const ht_Line& line = *m_htLines[0];
    for (int i = 0; i < line.wordCount(); ++i)
        if (line.words[static_cast<size_t>(i)].left <= p.x && p.x <= line.words[static_cast<size_t>(i)].right)
            return i;
    return -1;
}

CXString CText6::getWordAt(int n) {
    int c = 0;
    for (const CTextFormatCode& code : m_codes) {
        if (code.getMode() != CTextFormatCode::kText) continue;
        const CXString run = code.getText();
        int p = 0;
        bool inRun = true;
        while (c < n) {
            const int space = run.Find(' ', p);
            ++c;
            if (space < 0) {
                inRun = false;
                break;
            }
            p = space + 1;
        }
        if (inRun && c == n) {
            const int space = run.Find(' ', p);
            return run.Mid(p, space < 0 ? run.getLength() : space);
        }
    }
    return CXString();
}

CXPoint CText6::getWordPosition(int i) {
    const ht_Word* w = word(i);
    if (!w) return CXPoint(-1, -1);
    return CXPoint(w->left + m_position.x, -1);
}

int CText6::getWordWidth(int i) {
    const ht_Word* w = word(i);
    return w ? w->right - w->left : 0;
}

void CText6::setWordColor(int i, int color) {
    if (ht_Word* w = word(i)) w->color = color;
}

int CText6::search(CXString target, int from) {
    int counter = !m_htLines.empty() && m_htLines[0] ? m_htLines[0]->firstWord : 0;
    for (const CTextFormatCode& code : m_codes) {
        if (code.getMode() != CTextFormatCode::kText) continue;
        const CXString run = code.getText();
        for (int j = 0;; ++j) {
            const CXString w = run.getWord(j);
            if (!w.IsString()) break;
            if (w == target && counter >= from) return counter;
            ++counter;
        }
    }
    return -1;
}
