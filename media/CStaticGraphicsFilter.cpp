#include "media/CStaticGraphicsFilter.h"

#include "media/CFilterTarget.h"
#include "media/CFilterTickState.h"

void CStaticFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "CANUNDO")
        m_canUndo = value.toBool();
    else if (name == "CURRENTFRAME")
        m_currentFrame = value.toBool();
    else
        CFilterParams::setProperty(name, value);
}

CStaticGraphicsFilter::CStaticGraphicsFilter(CWindow* window, CStaticFilterParams* params)
    : CGraphicsFilter(window, params) {}

CStaticGraphicsFilter::~CStaticGraphicsFilter() { unlinkAll(); }

CFilterTarget* CStaticGraphicsFilter::createTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    return new CFilterTarget(this, graphic, owner, new CFilterUndoRecord());
}

void CStaticGraphicsFilter::addTarget(CFilterTarget* target) {
    if (!target) return;
    CGraphicsObject* g = target->getGraphic();
    auto* record = static_cast<CFilterUndoRecord*>(target->getState());
    bool freeReplaced = true;
    if (g && staticParams()->canUndo()) {
        record->resize(1);
        record->setCurrent(0);
        saveState(g, record);
        // A packed graphic comes back by packing it again: what unpacking and the
        // effect make is thrown away.
        freeReplaced = record->entry(0)->compression != COMPRESSION_NONE;
    }
    if (g) {
        applyToTarget(target, freeReplaced);
        // Buffers the effect kept (it worked in place) are the graphic's, not the record's.
        if (CFilterUndoRecord::Entry* e = record->entry(0)) {
            if (e->pixels == g->GetDataPtr()) e->pixels = nullptr;
            if (e->alpha == g->AlphaChannel()) e->alpha = nullptr;
        }
        g->Invalidate();
    }
    appendTarget(target);
}

void CStaticGraphicsFilter::unlinkTarget(CFilterTarget* target) {
    if (!target || !hasTarget(target)) return;
    CGraphicsObject* g = target->getGraphic();
    if (g && staticParams()->canUndo()) restore(g, static_cast<CFilterUndoRecord*>(target->getState()));
    if (g) g->Invalidate();
    CGraphicsFilter::unlinkTarget(target);
}

void CStaticGraphicsFilter::applyToGraphics(CGraphicsObject* graphic, bool) {
    if (graphic && graphic->GetCompression() == COMPRESSION_RLE) graphic->unpack();
}

void CStaticGraphicsFilter::applyToTarget(CFilterTarget* target, bool freeReplaced) {
    if (target && target->getGraphic()) applyToGraphics(target->getGraphic(), freeReplaced);
}

bool CStaticGraphicsFilter::isWorkable(CGraphicsObject* graphic) {
    return graphic && graphic->ownsBuffers() && graphic->GetDataPtr() && graphic->GetCompression() == COMPRESSION_NONE &&
           (graphic->GetBpp() == 15 || graphic->GetBpp() == 16) && graphic->Width() > 0 && graphic->Height() > 0;
}

void CStaticGraphicsFilter::installPixels(CGraphicsObject* graphic, char* pixels, bool freeReplaced) {
    char* former = graphic->GetDataPtr();
    graphic->SetDataPtr(pixels);
    if (freeReplaced && former != pixels) delete[] former;
}

void CStaticGraphicsFilter::saveState(CGraphicsObject* graphic, CFilterUndoRecord* record) {
    CFilterUndoRecord::Entry* e = record->entry(record->getCurrent());
    if (!e) return;
    e->compression = graphic->GetCompression();
    e->bpp = graphic->GetBpp();
    e->applied = true;
    // Packed pixels stay with the graphic (it keeps them while unpacked).
    if (e->compression != COMPRESSION_NONE || !graphic->ownsBuffers()) return;
    if (replacesPixels()) e->pixels = graphic->GetDataPtr();
    if (replacesAlpha()) e->alpha = graphic->AlphaChannel();
    if (changesGeometry()) {
        e->size = graphic->Size();
        e->position = graphic->GetPosition();
        e->geometry = true;
    }
}

void CStaticGraphicsFilter::restore(CGraphicsObject* graphic, CFilterUndoRecord* record) {
    CFilterUndoRecord::Entry* e = record->entry(record->getCurrent());
    if (!e || !e->applied) return;
    graphic->Invalidate();
    if (e->compression == COMPRESSION_RLE) {
        if (graphic->isUnpacked()) graphic->pack(true);
    } else if (graphic->ownsBuffers()) {
        if (e->pixels) {
            installPixels(graphic, e->pixels, true);
            e->pixels = nullptr;
        }
        if (e->alpha) {
            char* former = graphic->AlphaChannel();
            graphic->AlphaChannel(e->alpha);
            if (former != e->alpha) delete[] former;
            e->alpha = nullptr;
        }
        // Read from the entry: the destructor's undo no longer reaches the effect's overrides.
        if (e->geometry) {
            graphic->setSize(e->size);
            graphic->SetPosition(e->position);
        }
    }
    e->applied = false;
    record->freeSaved();
}
