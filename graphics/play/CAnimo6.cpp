#include "graphics/play/CAnimo6.h"

#include <algorithm>

#include "graphics/play/CFrame.h"
#include "script/CMElement.h"

CAnimo6::CAnimo6(CWindow* window) : CAnimo(window) {}

CAnimo6::CAnimo6(CWindow* window, CXString name) : CAnimo(window, name) {}

CAnimo6::CAnimo6(CWindow* window, CMElement* element) : CAnimo(window) {
    if (!element) return;
    const bool release = element->getPropertyBoolValue("RELEASEAFTERUSE");
    const bool preload =
        element->getPropertyValue("PRELOAD").IsString() ? element->getPropertyBoolValue("PRELOAD") : true;
    setFilename(element->getPropertyValue("FILENAME"));
    if (CPlayable::getFileName().IsString() && preload) Load(CPlayable::getFileName());
    if (!element->getPropertyBoolValue("VISIBLE")) {
        if (releaseAfterUse()) flush();
        Visible(false);
    }
    toRelease(release);
}

CAnimo6::CAnimo6(CAnimo& other) : CAnimo(other) {}

CAnimo6::CAnimo6(CAnimo6& other) : CAnimo(other) {}

CXObject* CAnimo6::clone() { return new CAnimo6(*this); }

int CAnimo6::getGfxType() { return 2; }

void CAnimo6::flush() { Flush(); }

void CAnimo6::pack(bool freeUnpacked) {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->pack(freeUnpacked);
}

void CAnimo6::unpack() {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->unpack();
}

void CAnimo6::FlipH() {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->FlipH();
}

void CAnimo6::FlipV() {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->FlipV();
}

void CAnimo6::resetFlips() {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->resetFlips();
}

void CAnimo6::replace_color(short from, short to) {
    for (int i = 0; i < GetNOF(); ++i) GetFrame(i)->replace_color(from, to);
}

void CAnimo6::Redraw() {
    if (m_destiny) redraw(m_destiny);
}

void CAnimo6::redraw(CGraphicsObject* destination) { drawCurrentFrame(destination, CGraphicsObject::m_position + m_globalPosition); }

CXRect CAnimo6::getRect() {
    CFrame* f = GetFrame(-1);
    if (!f) return CXRect(0, 0, 0, 0);
    CXRect r = f->getRect();
    return CXRect(r.left + m_globalPosition.x, r.top + m_globalPosition.y, r.right + m_globalPosition.x,
                  r.bottom + m_globalPosition.y);
}

CXPoint CAnimo6::ClientCoords(CXPoint p) { return p - m_globalPosition - CGraphicsObject::m_position; }

void CAnimo6::hide() {
    if (releaseAfterUse()) flush();
    Visible(false);
}

template <typename F>
void CAnimo6::forEachSound(F f) {
    for (EventSlot& slot : m_events)
        for (auto& sound : slot.sounds)
            if (sound) f(sound.get());
}

void CAnimo6::setVolume(int volume) {
    CPlayable::setVolume(volume);
    forEachSound([volume](CPlayable* s) { s->setVolume(volume); });
}

void CAnimo6::setPanning(int panning) {
    CPlayable::setPanning(panning);
    forEachSound([panning](CPlayable* s) { s->setPanning(panning); });
}

void CAnimo6::setFrequency(int frequency) {
    CPlayable::setFrequency(frequency);
    forEachSound([frequency](CPlayable* s) { s->setFrequency(frequency); });
}

int CAnimo6::GetMaxWidth() {
    int w = 0;
    for (int i = 0; i < GetNOF(); ++i) w = std::max(w, GetFrame(i)->Width());
    return w;
}

int CAnimo6::GetMaxHeight() {
    int h = 0;
    for (int i = 0; i < GetNOF(); ++i) h = std::max(h, GetFrame(i)->Height());
    return h;
}

bool CAnimo6::isPlaying(CXString event) { return IsPlaying() && getCurrentEventName().equals(event); }

bool CAnimo6::isAt(CXPoint p, bool useAlpha) {
    CFrame* f = GetFrame(-1);
    if (!f) return false;
    return f->isAt(p - GetPosition(), useAlpha);
}
