#include "media/CMC_GrBuffer.h"

#include <cstring>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

const bool g_registered = CMC_TypeTable::registerType(
    "GRBUFFER", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_GrBuffer(c, e); });

CRefreshScreen* screenOf(CMC_ObjectsContainer* container) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(container ? container->getWindow() : nullptr);
    return services ? services->GetRefreshScreenInterface() : nullptr;
}

}  // namespace

CXRect grbuffer__entry::getBoundingBox() const {
    return CXRect(m_point.x, m_point.y, m_point.x + m_rect.Width(), m_point.y + m_rect.Height());
}

bool grbuffer__entry::isAt(CXPoint p) const { return getBoundingBox().IsInRect(p); }

CMC_GrBuffer::CMC_GrBuffer(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    if (element) {
        m_source = element->getPropertyValue(CXString("SOURCE"));
        m_destiny = element->getPropertyValue(CXString("DESTINY"));
    }
    initializeBehaviours(container, element);
}

CMC_GrBuffer::~CMC_GrBuffer() {
    for (auto& e : m_entries) e.reset();
}

CXString** CMC_GrBuffer::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

grbuffer__entry* CMC_GrBuffer::entry(int index) const {
    return index >= 0 && index < kSlots ? m_entries[index].get() : nullptr;
}

CGraphicsObject* CMC_GrBuffer::sourceGraphic() {
    CMC_ObjectsContainer* scene = getScene();
    return scene ? scene->getGraphicsObject(m_source) : nullptr;
}

CGraphicsObject* CMC_GrBuffer::destinyGraphic() {
    CMC_ObjectsContainer* scene = getScene();
    if (!scene) return nullptr;
    CGraphicsObject* g = nullptr;
    if (m_destiny == "BACKGROUND") {
        CRefreshScreen* screen = screenOf(scene);
        g = screen ? screen->getBackgroundIfc() : nullptr;
    } else {
        g = scene->getGraphicsObject(m_destiny);
    }
    if (!g) return nullptr;
    if (g->GetCompression() == COMPRESSION_RLE) g->unpack();
    if (g->GetCompression() != COMPRESSION_NONE || (g->GetBpp() != 15 && g->GetBpp() != 16) || !g->GetDataPtr() ||
        g->Width() <= 0 || g->Height() <= 0)
        return nullptr;
    return g;
}

int32_t CMC_GrBuffer::create(CXPoint point, CXRect rect) {
    CGraphicsObject* source = sourceGraphic();
    CGraphicsObject* destiny = destinyGraphic();
    if (!source || !destiny) return -1;
    if (rect.right == rect.left || rect.bottom == rect.top) rect = CXRect(0, 0, source->Width(), source->Height());
    if (rect.left < 0 || rect.top < 0 || rect.right <= rect.left || rect.bottom <= rect.top ||
        rect.right > source->Width() || rect.bottom > source->Height())
        return -1;
    const int w = rect.Width();
    const int h = rect.Height();
    const int dw = destiny->Width();
    // In 64 bits: the point is the script's.
    if (point.x < 0 || point.y < 0 || static_cast<int64_t>(point.x) + w >= dw ||
        static_cast<int64_t>(point.y) + h >= destiny->Height())
        return -1;
    int slot = 0;
    while (slot < kSlots && m_entries[slot]) ++slot;
    if (slot == kSlots) return -1;
    auto e = std::make_unique<grbuffer__entry>(point, rect);
    e->backup().resize(static_cast<size_t>(w) * h);
    const char* pixels = destiny->GetDataPtr();
    for (int row = 0; row < h; ++row)
        std::memcpy(e->backup().data() + static_cast<size_t>(row) * w,
                    pixels + ((static_cast<int64_t>(point.y) + row) * dw + point.x) * 2, static_cast<size_t>(w) * 2);
    m_entries[slot] = std::move(e);
    return slot;
}

void CMC_GrBuffer::invalidateStamp(CGraphicsObject* destiny, const grbuffer__entry& e) {
    CRefreshScreen* screen = screenOf(getScene());
    if (!screen) return;
    const CXPoint at = destiny->GetPosition();
    CXRect r(at.x + e.getPoint().x, at.y + e.getPoint().y, at.x + e.getPoint().x + e.getRect().Width(),
             at.y + e.getPoint().y + e.getRect().Height());
    screen->Invalidate(&r);
}

void CMC_GrBuffer::draw(int index, bool invalidate) {
    grbuffer__entry* e = entry(index);
    if (!e) return;
    CGraphicsObject* source = sourceGraphic();
    CGraphicsObject* destiny = destinyGraphic();
    if (!source || !destiny) return;
    const CXPoint at = source->getPosition();
    const CXRect clip = source->GetClippingRect();
    source->SetClippingRect(e->getRect());
    // The clipped part lands on the stamp's own box, the one its backup holds.
    source->setPosition(CXPoint(e->getPoint().x - e->getRect().left, e->getPoint().y - e->getRect().top));
    source->redraw(destiny);
    source->setPosition(at);
    source->SetClippingRect(clip);
    if (invalidate) invalidateStamp(destiny, *e);
}

void CMC_GrBuffer::undo(int index, bool invalidate) {
    grbuffer__entry* e = entry(index);
    if (!e) return;
    CGraphicsObject* destiny = destinyGraphic();
    if (!destiny) return;
    const int w = e->getRect().Width();
    const int h = e->getRect().Height();
    const int dw = destiny->Width();
    const CXPoint p = e->getPoint();
    // The destiny may have changed size since the stamp was made.
    if (static_cast<int64_t>(p.x) + w > dw || static_cast<int64_t>(p.y) + h > destiny->Height()) return;
    char* pixels = destiny->GetDataPtr();
    for (int row = 0; row < h; ++row)
        std::memcpy(pixels + ((static_cast<int64_t>(p.y) + row) * dw + p.x) * 2,
                    e->backup().data() + static_cast<size_t>(row) * w, static_cast<size_t>(w) * 2);
    if (invalidate) invalidateStamp(destiny, *e);
}

void CMC_GrBuffer::flush(int index, bool undoFirst, bool invalidate) {
    if (!sourceGraphic() || !destinyGraphic()) return;
    if (index == -1) {
        for (int i = kSlots - 1; i >= 0; --i) {
            if (!m_entries[i]) continue;
            if (undoFirst) undo(i, false);
            m_entries[i].reset();
        }
        if (invalidate)
            if (CRefreshScreen* screen = screenOf(getScene())) screen->Invalidate(static_cast<CXRect*>(nullptr));
        return;
    }
    if (!entry(index)) return;
    if (undoFirst) undo(index, invalidate);
    m_entries[index].reset();
}

int32_t CMC_GrBuffer::findAt(CXPoint point) {
    if (!sourceGraphic() || !destinyGraphic()) return -1;
    for (int i = kSlots - 1; i >= 0; --i)
        if (m_entries[i] && m_entries[i]->isAt(point)) return i;
    return -1;
}
