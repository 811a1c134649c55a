#include "graphics/text/CFontCollection.h"

#include <algorithm>

CFontCollection::CFontCollection(CWindow* window) : CSimpleFont6(window) {}

CFontCollection::~CFontCollection() = default;

void CFontCollection::addFont(std::shared_ptr<CSimpleFont6> font) {
    if (!font || std::find(m_fonts.begin(), m_fonts.end(), font) != m_fonts.end()) return;
    m_fonts.push_back(font);
    if (!m_base) m_base = font;
}

CSimpleFont6* CFontCollection::get(CXString family, CXString style, int size) const {
    for (const auto& f : m_fonts)
        if (f->getFamily().equalsIgnoreCase(family) && f->getStyle().equalsIgnoreCase(style) && f->getSize() == size)
            return f.get();
    return nullptr;
}

void CFontCollection::SetOpacity(uint8_t opacity) {
    CSimpleFont6::SetOpacity(opacity);
    for (const auto& f : m_fonts) f->SetOpacity(opacity);
}

int CFontCollection::Height() { return m_base ? m_base->Height() : 0; }

int CFontCollection::drawLetter(int x, int y, char previous, char letter) {
    if (!m_base) return 0;
    m_base->SetDestiny(GetDestiny());
    return m_base->drawLetter(x, y, previous, letter);
}

int CFontCollection::getLetterWidth(char previous, char letter) {
    return m_base ? m_base->getLetterWidth(previous, letter) : 0;
}

int CFontCollection::getRealLetterWidth(char letter) { return m_base ? m_base->getRealLetterWidth(letter) : 0; }

void CFontCollection::setColor(int color) {
    m_color = color;
    for (const auto& f : m_fonts) f->setColor(color);
}
