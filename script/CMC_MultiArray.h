// The script's MULTIARRAY (type id 3006): script values in cells addressed by integer
// coordinates, growing when a coordinate reaches past its dimension's size, saved to
// and loaded from a binary file.
//
// Addressing uses the first two coordinates only: cell index = c1 * size0 + c0 (so
// GET at (16, 0) of a 16 x 16 array reads the cell that (0, 1) names). Later
// coordinates take part in growth only. The cell count is the product of all sizes;
// cells are kept sparsely (only the filled ones take memory), and the count is kept
// within 32 bits: a growth past that is refused.
//
// Limits: a negative coordinate, fewer than two coordinates, or (for SET) fewer
// coordinates than dimensions make set do nothing and get give null. A MULTIARRAY
// without sizes (made by name and not loaded, or after a failed load) holds nothing
// and refuses set. Dimension counts are kept within 2 .. kMaxDimensions.
//
// File (little-endian): int32 D, D x int32 sizes, then per filled cell in index order
// an int32 index and the value's tagged record; an int32 index not below the cell
// count ends it (SAVE writes the cell count). LOAD rejects a bad header (D outside
// 2 .. kMaxDimensions, a size below 1, a cell count past 32 bits: nothing is kept)
// and stops at a bad record (a negative index, an unknown tag, a record longer than
// the file), keeping the cells read before it.
//
// Cells own their values, copies of the four value types; set stores a copy, get
// returns the cell's own value.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CMElement;
class CMC_ObjectsContainer;
class CMC_Variable;

class CMC_MultiArray : public CMC_Object {
public:
    static constexpr int kType = 3006;
    static constexpr int kInitialSize = 16;
    static constexpr int kMinDimensions = 2;
    // 16 to the 7th power is the largest starting cell count within 32 bits.
    static constexpr int kMaxDimensions = 7;

    // "DIMENSIONS" dimensions (at least 2, at most kMaxDimensions), each of size 16,
    // every cell empty; then the handlers.
    CMC_MultiArray(CMC_ObjectsContainer* container, CMElement* element);
    // Two dimensions, no sizes and no cells until a LOAD; owned by the container.
    CMC_MultiArray(CMC_ObjectsContainer* container, CXString name);
    ~CMC_MultiArray() override;
    CMC_MultiArray(const CMC_MultiArray&) = delete;
    CMC_MultiArray& operator=(const CMC_MultiArray&) = delete;

    // A MULTIARRAY is not copied: null (handing out itself would give it two owners).
    CXObject* clone() override;
    using CMC_Object::clone;
    // "".
    CXString toString() override;
    // "ONINIT", "ONDONE", "ONSIGNAL".
    CXString** getBehavioursList() override;
    // Nothing: a MULTIARRAY keeps nothing in a scene archive.
    void serialize(CXArchive* archive) override;

    // Grows the sizes to hold the coordinates, then stores a copy of the value
    // (INTEGER, STRING, BOOL or DOUBLE; anything else is refused). False when nothing
    // was stored.
    virtual bool set(const std::vector<int>& coordinates, CMC_Variable* value);
    // The cell's own value; null for an empty or unaddressable cell.
    virtual CMC_Variable* get(const std::vector<int>& coordinates);
    // Filled cells whose value equals the given one.
    virtual int count(CMC_Variable* value);
    // Empty bodies: a MULTIARRAY has no INI form.
    virtual void loadINI();
    virtual void saveINI();
    // The size of a dimension; 0 outside 0 .. D-1 and without sizes.
    virtual int getSize(int dimension);
    // The binary file, opened through the owning container's window.
    virtual void save(CXString name);
    virtual void load(CXString name);
    // Deletes every cell's value; sizes stay.
    void removeAll();

    int getDimensions() const { return m_dimensions; }
    int64_t getCellCount() const { return m_cellCount; }
    int getFilledCount() const { return static_cast<int>(m_cells.size()); }

private:
    // Grows the sizes so that every coordinate lies below its dimension's size,
    // moving the cells to their new indices. False when the count would pass 32 bits.
    bool validateSize(const std::vector<int>& coordinates);
    // The index of (c0, c1), or -1 when it lies outside the cells.
    int64_t indexOf(const std::vector<int>& coordinates) const;
    void clearSizes();

    int64_t m_cellCount = 0;
    int32_t m_dimensions = kMinDimensions;
    // Filled cells by index, each value owned.
    std::map<int32_t, CMC_Variable*> m_cells;
    std::vector<int32_t> m_sizes;
};
