#include "graphics/canvas/CVirtualGraphicsObject.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "graphics/canvas/CGraphicsHolding.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "graphics/screen/CRefreshScreen.h"

namespace {

// The refresh counter at which each off-screen source was last brought up to date,
// shared by every virtual object showing it: a source is redrawn once a pass.
std::unordered_map<const CGraphicsObject*, int>& lastRefresh() {
    static std::unordered_map<const CGraphicsObject*, int> map;
    return map;
}

}  // namespace

CVirtualGraphicsObject::CVirtualGraphicsObject(CWindow* window) : CGraphicsObject(window) {
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(window))
        m_refreshScreen = services->GetRefreshScreenInterface();
    m_bpp = m_refreshScreen ? m_refreshScreen->GetBpp() : 16;
}

CVirtualGraphicsObject::~CVirtualGraphicsObject() {
    forgetSource();
    forgetMask();
    m_width = m_height = m_pitch = 0;
}

void CVirtualGraphicsObject::unwatch(CGraphicsObject* g) {
    // One object may be both the source and the mask: it stays watched while either holds it.
    if (g && g != m_source && g != m_maskOwner) g->removeInvalidateObserver(this);
}

void CVirtualGraphicsObject::forgetSource() {
    CGraphicsObject* source = m_source;
    if (!source) return;
    m_source = nullptr;
    lastRefresh().erase(source);
    unwatch(source);
}

void CVirtualGraphicsObject::forgetMask() {
    CGraphicsObject* owner = m_maskOwner;
    m_maskOwner = nullptr;
    m_mask = nullptr;
    unwatch(owner);
}

bool CVirtualGraphicsObject::maskAlive() {
    if (!m_mask) return false;
    if (m_mask == m_maskOwner) return true;
    auto* animation = dynamic_cast<CAnimo*>(m_maskOwner);
    if (!animation) return false;
    for (int i = 0;; ++i) {
        CFrame* f = animation->GetFrame(i);
        if (!f) return false;
        if (f == m_mask) return true;
    }
}

void CVirtualGraphicsObject::applySizeRule() {
    CGraphicsObject* mask = maskAlive() ? m_mask : nullptr;
    if (!m_source && !mask) {
        m_width = m_height = 0;
    } else if (!mask) {
        m_width = m_source->Width();
        m_height = m_source->Height();
    } else if (!m_source) {
        m_width = mask->Width();
        m_height = mask->Height();
    } else {
        m_width = std::min(m_source->Width(), mask->Width());
        m_height = std::min(m_source->Height(), mask->Height());
    }
    m_width = std::max(0, m_width);
    m_height = std::max(0, m_height);
    m_pitch = m_width;
}

void CVirtualGraphicsObject::setSource(CGraphicsObject* source) {
    if (source == m_source || !source || graphics_holding::holds(source, this)) return;
    forgetSource();
    m_source = source;
    m_source->addInvalidateObserver(this);
    m_bpp = m_source->GetBpp();
    applySizeRule();
    Invalidate();
}

void CVirtualGraphicsObject::setMask(CGraphicsObject* mask) {
    if (mask == m_mask || !mask || graphics_holding::holds(mask, this)) return;
    if (auto* animation = dynamic_cast<CAnimo*>(mask)) {
        setMask(animation);
        return;
    }
    forgetMask();
    m_mask = m_maskOwner = mask;
    mask->addInvalidateObserver(this);
    mask->DeCompress();
    applySizeRule();
    Invalidate();
}

void CVirtualGraphicsObject::setMask(CAnimo* animation) {
    if (!animation || animation == m_maskOwner || graphics_holding::holds(animation, this)) return;
    forgetMask();
    m_maskOwner = animation;
    m_mask = animation->GetFrame(animation->Current());
    animation->addInvalidateObserver(this);
    animation->DeCompress();
    applySizeRule();
    Invalidate();
}

int CVirtualGraphicsObject::Width() { return maskAlive() ? m_mask->Width() : m_width; }
int CVirtualGraphicsObject::Height() { return maskAlive() ? m_mask->Height() : m_height; }

void CVirtualGraphicsObject::Invalidate(CXRect* rect) {
    if (!rect) return;
    if (!maskAlive()) {
        Invalidate();
        return;
    }
    if (rect->Common(m_mask->GetBoundingBox()).IsProper()) Invalidate();
}

void CVirtualGraphicsObject::Invalidate() { CGraphicsObject::Invalidate(); }

void CVirtualGraphicsObject::onDestroy(CGraphicsObject* object) {
    if (!object) return;
    if (object == m_source) forgetSource();
    if (object == m_maskOwner || object == m_mask) forgetMask();
    applySizeRule();
    Invalidate();
    CGraphicsObject::onDestroy(object);
}

bool CVirtualGraphicsObject::testHit(CXPoint p, bool boxOnly) {
    if (!maskAlive()) return m_source ? m_source->testHit(p, boxOnly) : true;
    if (!GetBoundingBox().IsInRect(p)) return false;
    if (boxOnly) return true;
    return m_mask->GetPixel(CHANNEL_ALPHA, p - GetPosition()) != 0;
}

void CVirtualGraphicsObject::redraw(CGraphicsObject* destination) {
    if (!m_source || !destination) return;
    if (!m_source->GetDestiny() && m_refreshScreen) {
        const int counter = m_refreshScreen->getRefreshCounter();
        auto found = lastRefresh().find(m_source);
        if (found == lastRefresh().end() || found->second != counter) {
            lastRefresh()[m_source] = counter;
            m_source->Redraw();
        }
    }
    if (!maskAlive()) {
        m_source->redraw(destination);
        return;
    }

    CGraphicsObject* mask = m_mask;
    CGraphicsObject* source = m_source->getDrawn();
    if (!source) return;
    const bool maskPacked = mask->GetCompression() == COMPRESSION_RLE;
    if (maskPacked) mask->DeCompressRLE2();
    const bool sourcePlain = graphics_holding::makePlain(source);
    char* dstData = destination->GetDataPtr();
    const auto* alpha = reinterpret_cast<const uint8_t*>(mask->AlphaChannel());
    const int dstBpp = destination->GetBpp();
    if (sourcePlain && dstData && alpha && mask->GetCompression() == COMPRESSION_NONE &&
        destination->GetCompression() == COMPRESSION_NONE && (dstBpp == 15 || dstBpp == 16) &&
        (source->GetBpp() == 15 || source->GetBpp() == 16)) {
        CXRect rect(0, 0, std::min(m_width, mask->Width()), std::min(m_height, mask->Height()));
        if (!m_clipRect.IsEmpty()) rect = rect.Common(m_clipRect);
        const CXPoint at = GetPosition();
        const CXPoint from = mask->GetPosition();
        const int dw = destination->Width();
        const int dh = destination->Height();
        const int dpitch = std::max(destination->GetPitch(), dw);
        const int sw = source->Width();
        const int sh = source->Height();
        const int spitch = std::max(source->GetPitch(), sw);
        const int mw = mask->Width();
        const auto* src = reinterpret_cast<const uint16_t*>(source->GetDataPtr());
        auto* dst = reinterpret_cast<uint16_t*>(dstData);
        for (int y = rect.top; y < rect.bottom; ++y) {
            const int64_t Y = static_cast<int64_t>(at.y) + y;
            const int64_t sy = static_cast<int64_t>(from.y) + y;
            if (Y < 0 || Y >= dh || sy < 0 || sy >= sh) continue;
            for (int x = rect.left; x < rect.right; ++x) {
                const int64_t X = static_cast<int64_t>(at.x) + x;
                const int64_t sx = static_cast<int64_t>(from.x) + x;
                if (X < 0 || X >= dw || sx < 0 || sx >= sw) continue;
                const uint8_t a = alpha[static_cast<size_t>(y) * mw + x];
                if (a == 0) continue;
                const uint16_t pixel = src[sy * spitch + sx];
                if (a == 255)
                    dst[Y * dpitch + X] = pixel;
                else if (dstBpp == 16)
                    putPixel16(dstData, dpitch, static_cast<int>(X), static_cast<int>(Y), static_cast<short>(pixel), a, false);
                else
                    putPixel15(dstData, dpitch, static_cast<int>(X), static_cast<int>(Y), static_cast<short>(pixel), a, false);
            }
        }
    }
    graphics_holding::restorePacking(source);
    if (maskPacked) mask->bringBackCompressed();
}

CXObject* CVirtualGraphicsObject::clone() {
    auto* copy = new CVirtualGraphicsObject(m_window);
    if (m_source) copy->setSource(m_source);
    if (auto* animation = dynamic_cast<CAnimo*>(m_maskOwner))
        copy->setMask(animation);
    else if (m_mask)
        copy->setMask(m_mask);
    copy->m_position = m_position;
    copy->m_anchor = m_anchor;
    copy->m_visible = m_visible;
    copy->m_clipRect = m_clipRect;
    return copy;
}
