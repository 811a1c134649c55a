#include "graphics/text/CMultilineText6.h"

#include <algorithm>
#include <cstdint>

#include "foundation/CFile.h"
#include "foundation/CStringTokenizer.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"

namespace {

// The text without its style and colour codes.
CXString plainText(const CXString& s) {
    CXString out;
    const int n = s.getLength();
    for (int i = 0; i < n; ++i) {
        if (s.GetAt(i) == '<') {
            const int close = s.Find('>', i + 1);
            if (close > i) {
                const CXString name = s.Mid(i + 1, close);
                if (CText6::checkCode(name) || name.startsWith(CXString("COLOR"))) {
                    i = close;
                    continue;
                }
            }
        }
        out += s.GetAt(i);
    }
    return out;
}

}  // namespace

CMultilineText6::CMultilineText6(CWindow* window, bool hypertext, CGraphicsUnit* unit)
    : CText6(window, hypertext, unit) {}

CMultilineText6::~CMultilineText6() { flush(); }

void CMultilineText6::flush() {
    flush_ht_info();
    m_lines.clear();
    std::vector<CEditBox6*> boxes;
    boxes.swap(m_editBoxes);
    for (CEditBox6* box : boxes) {
        box->removeNotifier(&m_boxWatch);
        if (m_unit) m_unit->removeEditBox(box);
        delete box;
    }
    CGraphicsObject::Flush();
}

CText6* CMultilineText6::getLine(int i) const {
    return i >= 0 && i < getLineCount() ? m_lines[static_cast<size_t>(i)].get() : nullptr;
}

void CMultilineText6::addEditBox(CXRect r, const CTextFormatCode& code) {
    if (!m_unit) return;
    if (CEditBox6* box = m_unit->addEditBox(m_font, r, 0, code.getText())) {
        m_editBoxes.push_back(box);
        box->addNotifier(&m_boxWatch);
    }
}

// ---- splitting ----------------------------------------------------------------------

void CMultilineText6::splitText() {
    flush();
    const int width = m_justifyRect.Width();
    std::vector<LineText> texts;
    CXString line;
    CStringTokenizer tokens(m_text, CXString(" "));
    while (tokens.hasMoreTokens()) {
        const CXString token = tokens.nextToken();
        const CXString candidate = line.IsString() ? line + " " + token : token;
        if (getLength(m_font.get(), candidate) > width) {
            texts.push_back({false, line});
            line = token;
        } else {
            line = candidate;
        }
    }
    if (line.IsString()) texts.push_back({false, line});
    makeLines(texts);
}

void CMultilineText6::splitMultiText() {
    flush();
    auto* collection = dynamic_cast<CFontCollection*>(m_font.get());
    CSimpleFont6* current = collection ? collection->getBaseFont() : nullptr;
    if (!current) return;
    const int width = m_justifyRect.Width();
    std::vector<LineText> texts;
    CXString line;
    CXString prefix;
    int x = 0;
    int n = 0;
    auto close = [&]() { texts.push_back({false, line}); };
    for (const CTextFormatCode& code : m_codes) {
        switch (code.getMode()) {
        case CTextFormatCode::kStyle:
            prefix = prefix.IsString() ? CXString() : code.getText();
            line += code.getText();
            if (code.getFont()) current = code.getFont();
            break;
        case CTextFormatCode::kText: {
            // Words keep the spaces before them; spaces after the last word go.
            const CXString run = code.getText();
            std::vector<CXString> words;
            CXString w;
            bool inWord = false;
            for (int i = 0; i < run.getLength(); ++i) {
                const char c = run.GetAt(i);
                if (c == ' ') {
                    if (inWord) {
                        words.push_back(w);
                        w = "";
                        inWord = false;
                    }
                    w += c;
                } else {
                    w += c;
                    inWord = true;
                }
            }
            if (inWord) words.push_back(w);
            for (CXString word : words) {
                const int length = getLength(current, word);
                if (x + length > width) {
                    ++n;
                    x = length;
                    close();
                    if (word.GetAt(0) == ' ') word = word.Mid(1, word.getLength());
                    line = prefix + word;
                } else {
                    x += length;
                    line += word;
                }
            }
            break;
        }
        case CTextFormatCode::kBreak:
            ++n;
            close();
            x = 0;
            line = prefix;
            texts.push_back({true, CXString()});
            break;
        case CTextFormatCode::kEditBox: {
            if (x + code.getWidth() > width) {
                ++n;
                x = 0;
                close();
                line = prefix;
            }
            const int s = current->getLetterWidth(-1, ' ');
            const int h = current->Height();
            line += " ";
            const int underscores = code.getWidth() / (s + 2) - 2;
            for (int i = 0; i < underscores; ++i) line += "_";
            auto held = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
            const int64_t left = int64_t{m_position.x} + x + s;
            const int64_t top = m_position.y + int64_t{n} * (h - 4);
            addEditBox(CXRect(held(left), held(top), held(left + code.getWidth()), held(top + h)), code);
            x += code.getWidth() + 3 * s;
            break;
        }
        case CTextFormatCode::kColor: {
            line += "<COLOR";
            line += code.getColor();
            line += ">";
            break;
        }
        default: break;
        }
    }
    if (plainText(line).IsString()) close();
    makeLines(texts);
}

void CMultilineText6::makeLines(const std::vector<LineText>& texts) {
    if (m_htEnabled) {
        flush_ht_info();
        m_htLines.assign(texts.size(), nullptr);
    }
    const ht_Line* previous = nullptr;
    for (size_t k = 0; k < texts.size(); ++k) {
        if (texts[k].isBreak) {
            m_lines.push_back(nullptr);
            continue;
        }
        auto line = std::make_unique<CText6>(m_window, m_htEnabled, nullptr);
        line->setFont(m_font);
        line->setText(texts[k].text);
        line->setColor(m_color);
        if (m_htEnabled) {
            ht_Line* record = line->get_ht_lines_info(0);
            m_htLines[k] = record;
            if (record) {
                record->firstWord = previous ? previous->firstWord + previous->wordCount() : 0;
                previous = record;
            }
        }
        m_lines.push_back(std::move(line));
    }
}

// ---- text and font ------------------------------------------------------------------

void CMultilineText6::relayout() {
    if (!m_font) {
        flush();
        return;
    }
    if (isMultifont())
        splitMultiText();
    else
        splitText();
    setExtent(getLength(), getHeight());
    setJustify(m_justifyRect, m_hJustify, m_vJustify);
    Invalidate();
}

void CMultilineText6::setText(CXString s) {
    s = s.replace(CXString("&NBSP;"), CXString(" "));
    if (m_font) Invalidate();
    m_text = convTab(s);
    parseText();
    relayout();
}

void CMultilineText6::setFont(std::shared_ptr<CSimpleFont6> font) {
    if (m_text.IsString()) Invalidate();
    m_font = std::move(font);
    if (m_text.IsString()) {
        parseText();
        relayout();
    }
}

void CMultilineText6::setJustify(CXRect rect, _justify h, _justify v) { CText6::setJustify(rect, h, v); }

void CMultilineText6::Move(int dx, int dy) {
    Invalidate();
    m_justifyRect += CXPoint(dx, dy);
    setJustify(m_justifyRect, m_hJustify, m_vJustify);
    Invalidate();
}

int CMultilineText6::Load(CXString name) {
    // A file that does not open reads as no lines: the text becomes empty.
    CXString text;
    CFile file;
    if (file.Open(m_window, name, CFile::kRead | CFile::kText) == 0) {
        while (!file.eof()) {
            text += file.getLine();
            text += "\n";
        }
        file.Close();
    }
    setText(text);
    return 0;
}

int CMultilineText6::getLength() {
    int length = 0;
    for (const auto& line : m_lines)
        if (line) length = std::max(length, line->getLength());
    return length;
}

int CMultilineText6::getHeight() {
    int height = 0;
    for (const auto& line : m_lines)
        if (line) height += line->Height();
    if (m_lines.size() >= 2) height -= 2 * (static_cast<int>(m_lines.size()) - 1);
    return height;
}

void CMultilineText6::Redraw() {
    // Lines far off any screen are not drawn, which keeps the pen's sums inside 32 bits.
    constexpr int64_t kFar = 1 << 29;
    CXPoint pen = m_position;
    for (const auto& line : m_lines) {
        if (!line) continue;
        if (pen.y < -kFar || pen.y > kFar || pen.x < -kFar || pen.x > kFar) break;
        line->SetOpacity(m_opacity);
        line->SetDestiny(m_destiny);
        line->CGraphicsObject::SetClippingRect(0, 0, 0, 0);
        line->SetPosition(pen.x, pen.y);
        if (m_clipRect.IsEmpty()) {
            line->Redraw();
        } else {
            const CXPoint offset(pen.x - m_position.x, pen.y - m_position.y);
            const CXRect box(offset.x, offset.y, offset.x + line->Width(), offset.y + line->Height());
            const CXRect r = box.Common(m_clipRect);
            if (r.IsProper()) {
                line->CGraphicsObject::SetClippingRect(r - offset);
                line->Redraw();
                line->CGraphicsObject::SetClippingRect(0, 0, 0, 0);
            }
        }
        pen.y += line->Height() - 4;
    }
}

// ---- words --------------------------------------------------------------------------

int CMultilineText6::getNumWords() const {
    int count = 0;
    for (const ht_Line* line : m_htLines)
        if (line) count += line->wordCount();
    return count;
}

int CMultilineText6::owner(int i, int* local) const {
    for (size_t k = 0; k < m_htLines.size() && k < m_lines.size(); ++k) {
        const ht_Line* line = m_htLines[k];
        if (line && line->firstWord <= i && i < line->firstWord + line->wordCount()) {
            *local = i - line->firstWord;
            return static_cast<int>(k);
        }
    }
    return -1;
}

CXString CMultilineText6::getWordAt(int n) {
    int local = 0;
    const int k = owner(n, &local);
    return k < 0 ? CXString() : m_lines[static_cast<size_t>(k)]->getWordAt(local);
}

int CMultilineText6::getWordWidth(int i) {
    int local = 0;
    const int k = owner(i, &local);
    return k < 0 ? 0 : m_lines[static_cast<size_t>(k)]->getWordWidth(local);
}

void CMultilineText6::setWordColor(int i, int color) {
    int local = 0;
    const int k = owner(i, &local);
    if (k >= 0) m_lines[static_cast<size_t>(k)]->setWordColor(local, color);
}

CXPoint CMultilineText6::getWordPosition(int i) {
    int local = 0;
    const int k = owner(i, &local);
    if (k < 0) return CXPoint(-1, -1);
    const CXPoint p = m_lines[static_cast<size_t>(k)]->getWordPosition(local);
    return CXPoint(p.x, m_htLines[static_cast<size_t>(k)]->top + m_position.y);
}

int CMultilineText6::getWordAtXY(CXPoint p) {
    int hit = -1;
    for (size_t k = 0; k < m_htLines.size() && k < m_lines.size(); ++k) {
        const ht_Line* line = m_htLines[k];
        if (!line || p.y < line->top || p.y > line->bottom) continue;
        const int local = m_lines[k]->getWordAtXY(p);
        if (local != -1) hit = line->firstWord + local;
    }
    return hit;
}

int CMultilineText6::search(CXString word, int from) {
    for (const auto& line : m_lines) {
        if (!line) continue;
        const int found = line->search(word, from);
        if (found != -1) return found;
    }
    return -1;
}
