// Which graphics objects hold others (canvas children, pattern entries, a virtual
// object's source and mask), so that no holder takes itself, directly or through
// another holder, and no drawing recurses without end.
#pragma once

class CGraphicsObject;

namespace graphics_holding {

// True when holder is g, or holds g through any chain of holders (cut at a depth
// beyond which no real composition reaches).
bool holds(CGraphicsObject* holder, CGraphicsObject* g);

// Places g so that its GetPosition() is p (moving it by the difference) and
// answers the difference, which undo() takes back.
struct Placement {
    int dx = 0;
    int dy = 0;
};
Placement placeAt(CGraphicsObject* g, int x, int y);
void undo(CGraphicsObject* g, Placement p);

// Makes g's buffers plain for reading; true when its pixels are then readable.
// restorePacking puts back a run-length packing that was undone.
bool makePlain(CGraphicsObject* g);
void restorePacking(CGraphicsObject* g);

}  // namespace graphics_holding
