#include "media/filters/CStaticGraphicsFilter.h"

#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"

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
    if (auto* animation = dynamic_cast<CAnimo*>(g)) {
        attachAnimation(target, animation);
        appendTarget(target);
        return;
    }
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
        dropKeptBuffers(g, record, 0);
        g->Invalidate();
    }
    appendTarget(target);
}

void CStaticGraphicsFilter::unlinkTarget(CFilterTarget* target) {
    if (!target || !hasTarget(target)) return;
    CGraphicsObject* g = target->getGraphic();
    if (auto* animation = dynamic_cast<CAnimo*>(g)) {
        detachAnimation(target, animation);
    } else {
        if (g && staticParams()->canUndo()) restore(g, static_cast<CFilterUndoRecord*>(target->getState()));
        if (g) g->Invalidate();
    }
    CGraphicsFilter::unlinkTarget(target);
}

void CStaticGraphicsFilter::attachAnimation(CFilterTarget* target, CAnimo* animation) {
    auto* record = static_cast<CFilterUndoRecord*>(target->getState());
    const bool undo = staticParams()->canUndo();
    const bool currentOnly = staticParams()->isCurrentFrame();
    const int current = animation->Current();
    const int count = animation->GetNOF();
    CGraphicsObject* shown = animation->GetFrame(current);
    if (!shown) return;
    // The shown frame goes back to its stored picture, so that the effect starts from it.
    shown->bringBackCompressed();
    const bool shownPacked = shown->GetCompression() == COMPRESSION_RLE;
    if (undo) {
        record->resize(count);
        for (int i = currentOnly ? current : 0; i < (currentOnly ? current + 1 : count); ++i) {
            CGraphicsObject* frame = animation->GetFrame(i);
            if (!frame) continue;
            record->setCurrent(i);
            saveState(frame, record);
        }
        record->setCurrent(currentOnly ? current : -1);
    }
    for (int i = currentOnly ? current : 0; i < (currentOnly ? current + 1 : count); ++i) {
        CGraphicsObject* frame = animation->GetFrame(i);
        if (!frame) continue;
        const CFilterUndoRecord::Entry* e = record->entry(i);
        const bool packed = e ? e->compression != COMPRESSION_NONE : shownPacked && i == current;
        applyToFrame(animation, frame, !undo || packed);
        dropKeptBuffers(frame, record, i);
    }
    animation->clearLastRefreshed();
    animation->addNotifier(this);
    animation->Set(animation->Current(), false);
    animation->Invalidate();
}

bool CStaticGraphicsFilter::onPlayableTick(CPlayable* playable) {
    auto* animation = dynamic_cast<CAnimo*>(playable);
    CFilterTarget* target = animation ? findTarget(animation) : nullptr;
    if (!target || !staticParams()->isCurrentFrame() || !staticParams()->canUndo()) return false;
    auto* record = static_cast<CFilterUndoRecord*>(target->getState());
    const int c = animation->Current();
    CFilterUndoRecord::Entry* next = record->entry(c);
    CGraphicsObject* frame = animation->GetFrame(c);
    if (!next || !frame || next->applied) return false;
    // The frame left gets its own picture back.
    const int previous = record->getCurrent();
    if (CFilterUndoRecord::Entry* p = record->entry(previous); p && p->applied) {
        if (CGraphicsObject* left = animation->GetFrame(previous)) restoreEntry(left, record, previous);
        p->applied = false;
    }
    record->setCurrent(c);
    saveState(frame, record);
    applyToFrame(animation, frame, next->compression != COMPRESSION_NONE);
    dropKeptBuffers(frame, record, c);
    return false;
}

void CStaticGraphicsFilter::detachAnimation(CFilterTarget* target, CAnimo* animation) {
    auto* record = static_cast<CFilterUndoRecord*>(target->getState());
    animation->Invalidate();
    animation->removeNotifier(this);
    animation->clearLastRefreshed();
    if (staticParams()->canUndo()) {
        for (int i = 0; i < record->getCount(); ++i) {
            CFilterUndoRecord::Entry* e = record->entry(i);
            CGraphicsObject* frame = animation->GetFrame(i);
            if (e && e->applied && frame) restoreEntry(frame, record, i);
        }
        record->freeSaved();
    }
    animation->Set(animation->Current(), false);
    animation->Invalidate();
}

void CStaticGraphicsFilter::applyToFrame(CAnimo* animation, CGraphicsObject* frame, bool freeReplaced) {
    const CXRect own = frame->GetClippingRect();
    frame->SetClippingRect(animation->GetClippingRect());
    applyToGraphics(frame, freeReplaced);
    frame->SetClippingRect(own);
}

void CStaticGraphicsFilter::dropKeptBuffers(CGraphicsObject* graphic, CFilterUndoRecord* record, int i) {
    if (CFilterUndoRecord::Entry* e = record->entry(i)) {
        if (e->pixels == graphic->GetDataPtr()) e->pixels = nullptr;
        if (e->alpha == graphic->AlphaChannel()) e->alpha = nullptr;
    }
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
    // Unpacked for drawing, the graphic still holds its packed picture.
    e->compression = graphic->isUnpacked() ? COMPRESSION_RLE : graphic->GetCompression();
    e->bpp = graphic->GetBpp();
    e->applied = true;
    // Packing again does not bring the size back.
    if (changesGeometry()) {
        e->size = graphic->Size();
        e->position = graphic->GetPosition();
        e->geometry = true;
    }
    // Packed pixels stay with the graphic (it keeps them while unpacked).
    if (e->compression != COMPRESSION_NONE || !graphic->ownsBuffers()) return;
    if (replacesPixels()) e->pixels = graphic->GetDataPtr();
    if (replacesAlpha()) e->alpha = graphic->AlphaChannel();
}

void CStaticGraphicsFilter::restore(CGraphicsObject* graphic, CFilterUndoRecord* record) {
    restoreEntry(graphic, record, record->getCurrent());
    record->freeSaved();
}

void CStaticGraphicsFilter::restoreEntry(CGraphicsObject* graphic, CFilterUndoRecord* record, int i) {
    CFilterUndoRecord::Entry* e = record->entry(i);
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
    }
    // Read from the entry: the destructor's undo no longer reaches the effect's overrides.
    if (e->geometry) {
        graphic->setSize(e->size);
        // SetPosition takes the anchored point; the saved one is the corner.
        const CXPoint anchor = graphic->getAnchor();
        graphic->SetPosition(e->position.x + anchor.x, e->position.y + anchor.y);
        e->geometry = false;
    }
    e->applied = false;
    graphic->Invalidate();
}
