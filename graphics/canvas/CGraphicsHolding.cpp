#include "graphics/canvas/CGraphicsHolding.h"

#include "graphics/canvas/CCanvas.h"
#include "graphics/canvas/CPattern.h"
#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/core/CGraphicsObject.h"

namespace graphics_holding {

namespace {

constexpr int kMaxDepth = 64;

bool holdsAt(CGraphicsObject* holder, CGraphicsObject* g, int depth) {
    if (!holder || !g) return false;
    if (holder == g) return true;
    if (depth >= kMaxDepth) return true;  // deeper than any real composition: refuse
    if (auto* canvas = dynamic_cast<CCanvas*>(holder)) {
        for (CGraphicsObject* child : canvas->heldObjects())
            if (holdsAt(child, g, depth + 1)) return true;
        return false;
    }
    if (auto* pattern = dynamic_cast<CPattern*>(holder)) {
        for (CGraphicsObject* child : pattern->heldObjects())
            if (holdsAt(child, g, depth + 1)) return true;
        return false;
    }
    if (auto* vgo = dynamic_cast<CVirtualGraphicsObject*>(holder)) {
        return holdsAt(vgo->getSource(), g, depth + 1) || holdsAt(vgo->getMaskOwner(), g, depth + 1);
    }
    return false;
}

}  // namespace

bool holds(CGraphicsObject* holder, CGraphicsObject* g) { return holdsAt(holder, g, 0); }

Placement placeAt(CGraphicsObject* g, int x, int y) {
    Placement p;
    if (!g) return p;
    const CXPoint at = g->GetPosition();
    p.dx = x - at.x;
    p.dy = y - at.y;
    if (p.dx != 0 || p.dy != 0) g->Move(p.dx, p.dy);
    return p;
}

void undo(CGraphicsObject* g, Placement p) {
    if (g && (p.dx != 0 || p.dy != 0)) g->Move(-p.dx, -p.dy);
}

bool makePlain(CGraphicsObject* g) {
    if (!g) return false;
    if (g->GetCompression() == COMPRESSION_RLE)
        g->DeCompressRLE2();
    else if (g->GetCompression() != COMPRESSION_NONE)
        g->DeCompress();
    return g->GetCompression() == COMPRESSION_NONE && g->GetDataPtr() != nullptr;
}

void restorePacking(CGraphicsObject* g) {
    if (g) g->bringBackCompressed();
}

}  // namespace graphics_holding
