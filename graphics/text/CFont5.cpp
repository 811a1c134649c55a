#include "graphics/text/CFont5.h"

#include <algorithm>

#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMElement.h"

CFont5::CFont5(CWindow* window) : m_window(window) {}

CFont5::CFont5(CWindow* window, CXString name) : m_window(window) { load(name); }

CFont5::CFont5(CWindow* window, CMElement* element) : m_window(window) {
    if (element) load(element->getPropertyValue(CXString("FILENAME")));
}

CFont5::~CFont5() = default;

bool CFont5::load(CXString name) {
    m_fileName = name;
    m_animation = std::make_shared<CAnimo>(m_window, name);
    m_alphabet = "";
    CAnimo& a = *m_animation;
    const bool read = a.LastError() == 0 && a.GetNOF() > 0;
    const int named = a.GetNOE() > 0 ? a.GetNOFInEvent(0) : 0;
    // The alphabet ends with the first event.
    for (int i = 0; i < a.GetNOF() && i < named; ++i) {
        if (CFrame* f = a.GetFrame(i)) {
            if (char* alpha = f->AlphaChannel(); alpha && f->Width() > 0 && f->Height() > 0) {
                const size_t w = static_cast<size_t>(f->Width());
                const size_t h = static_cast<size_t>(f->Height());
                alpha[0] = alpha[w - 1] = alpha[(h - 1) * w] = alpha[h * w - 1] = 0;
            }
        }
        m_alphabet += a.getFrameName(0, i);
    }
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window))
        a.SetDestiny(services->GetRefreshScreenInterface());
    return read;
}

int CFont5::frameOf(char c) {
    if (!m_animation) return -1;
    const int i = m_alphabet.Find(c, 0);
    return i >= 0 && i < m_animation->GetNOF() ? i : -1;
}

CXSize CFont5::getLetterSize(char c) {
    const int i = frameOf(c);
    CFrame* f = i >= 0 ? m_animation->GetFrame(i) : nullptr;
    return f ? CXSize(f->Width(), f->Height()) : CXSize(0, 0);
}

int CFont5::getLetterWidth(char c) { return getLetterSize(c).cx; }
int CFont5::getLetterHeight(char c) { return getLetterSize(c).cy; }

int CFont5::getAlphabetHeight() {
    int height = 0;
    if (!m_animation) return 0;
    for (int i = 0; i < m_animation->GetNOF(); ++i)
        if (CFrame* f = m_animation->GetFrame(i)) height = std::max(height, f->Height());
    return height;
}

int CFont5::getLengthInPixels(CXString text, int spacing) {
    int length = 0;
    for (int i = 0; i < text.getLength(); ++i) {
        const char c = text.GetAt(i);
        length += c == ' ' ? getLetterWidth('A') : getLetterWidth(c) + spacing;
    }
    return length;
}

int CFont5::drawLetter(CXPoint p, char c) {
    if (!m_animation) return 0;
    const int i = frameOf(c);
    m_animation->SetDestiny(m_destiny);
    m_animation->SetPosition(p);
    m_animation->SetAutoClip(false);
    if (i < 0) return 0;
    m_animation->SetFrame(i);
    m_animation->Redraw();
    return m_animation->Width();
}
