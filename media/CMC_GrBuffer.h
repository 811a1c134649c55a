// GRBUFFER (type 2026): stamps rectangles of the SOURCE graphic onto the DESTINY
// graphic (or, for DESTINY "BACKGROUND", the screen's current background), keeping
// up to 1000 numbered stamps, each with the destiny pixels it covered so that it
// can be undone.
//
// Both graphics are looked up by name at every method, never kept: a graphic that
// goes, or a background that SETBACKGROUND replaces, leaves nothing dangling. With
// either missing CREATE and FINDAT give -1 and the other methods do nothing. Nothing of the
// stamps is stored with a scene.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CGraphicsObject;
class CMElement;
class CMC_ObjectsContainer;

// One stamp: where it lies on the destiny, the part of the source it shows and the
// destiny's pixels under it before it was drawn.
class grbuffer__entry {
public:
    grbuffer__entry(CXPoint point, CXRect rect) : m_point(point), m_rect(rect) {}

    // (x, y, x + rect width, y + rect height).
    CXRect getBoundingBox() const;
    bool isAt(CXPoint p) const;

    CXPoint getPoint() const { return m_point; }
    const CXRect& getRect() const { return m_rect; }
    std::vector<uint16_t>& backup() { return m_backup; }

private:
    CXPoint m_point;
    CXRect m_rect;
    std::vector<uint16_t> m_backup;
};

class CMC_GrBuffer : public CMC_Object {
public:
    static constexpr int kType = 2026;
    static constexpr int kSlots = 1000;

    CMC_GrBuffer(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_GrBuffer() override;
    CMC_GrBuffer(const CMC_GrBuffer&) = delete;
    CMC_GrBuffer& operator=(const CMC_GrBuffer&) = delete;

    CXString** getBehavioursList() override;

    // Saves the destiny under a stamp of `rect` of the source at `point` (an empty
    // rectangle: the whole source) in the first free slot; its index, or -1 when
    // a graphic is missing, the rectangle is inverted or leaves the source, the
    // stamp does not end inside the destiny, or every slot is taken.
    virtual int32_t create(CXPoint point, CXRect rect);
    virtual void draw(int index, bool invalidate);
    // Puts the saved pixels back; a stamp no longer inside the destiny is left.
    virtual void undo(int index, bool invalidate);
    using CMC_Object::flush;
    // Forgets one stamp, or every stamp (index -1, from the highest slot down).
    virtual void flush(int index, bool undoFirst, bool invalidate);
    // The highest slot whose stamp covers the point; -1 when none.
    virtual int32_t findAt(CXPoint point);

    const CXString& getSource() const { return m_source; }
    const CXString& getDestiny() const { return m_destiny; }
    grbuffer__entry* entry(int index) const;

private:
    CGraphicsObject* sourceGraphic();
    // The destiny, unpacked when it was held packed; null unless it has 16-bit pixels.
    CGraphicsObject* destinyGraphic();
    void invalidateStamp(CGraphicsObject* destiny, const grbuffer__entry& e);

    CXString m_source;
    CXString m_destiny;
    std::unique_ptr<grbuffer__entry> m_entries[kSlots];
};
