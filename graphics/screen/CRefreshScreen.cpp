#include "graphics/screen/CRefreshScreen.h"

#include "graphics/image/CImageFile.h"
#include "graphics/screen/CValidationQuene.h"

CRefreshScreen::CRefreshScreen(CWindow* window, CXSize size, int bpp) : CGraphicsObject(window, size, bpp) {
    freeOwned(m_pixels);
    m_queue = new CValidationQuene();
}

CRefreshScreen::~CRefreshScreen() {
    // Registered objects outlive the canvas; they must not reach it any more.
    for (int i = 0; i < m_queue->getCount(); ++i)
        if (CValidationElement* e = m_queue->elementAt(i))
            if (e->getObject() && e->getObject()->GetCanvas() == this) e->getObject()->SetCanvas(nullptr);
    delete m_queue;
}

void CRefreshScreen::put(CGraphicsObject* g, int priority) {
    if (!g || m_queue->find(g)) return;
    g->SetCanvas(this);
    m_queue->add(g, priority, 0);
    CXRect box = g->GetBoundingBox();
    Invalidate(&box);
}

CRefreshScreen& CRefreshScreen::operator<<(CGraphicsObject* g) {
    put(g, 0);
    return *this;
}

CRefreshScreen& CRefreshScreen::operator>>(CGraphicsObject* g) {
    if (g) m_queue->remove(g);
    return *this;
}

int CRefreshScreen::GetPriority(CGraphicsObject* g) {
    CValidationElement* e = m_queue->find(g);
    return e ? e->getPriority() : -1;
}

int CRefreshScreen::getIndex(CGraphicsObject* g) { return m_queue->getIndex(g); }

void CRefreshScreen::SetBackground(CXString name) {
    CImageFile file(m_window);
    file.Load(name);
    m_backgroundImage.reset(file.getObject());
}
