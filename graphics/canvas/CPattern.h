// A graphics object that lays other graphics objects out on a grid of equal cells in
// several layers: each cell of each layer holds at most one entry (CPatternEntry).
// The pattern draws its entries at their cells (layer 0 first, each layer in the order
// its entries came), finds the entry under a point, and moves, swaps, locks and
// removes entries. It has no pixels of its own and does not own the objects it shows;
// it observes them, so that their changes and their destruction reach it.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"
#include "graphics/canvas/CPatternEntry.h"
#include "graphics/core/CGraphicsObject.h"

class CPattern : public CGraphicsObject {
public:
    // Sides above this are taken as 0; grids of more cells than kMaxCells (layers
    // counted) are built 0 x 0.
    static constexpr int kMaxSide = 8192;
    static constexpr int64_t kMaxCells = int64_t{1} << 20;

    // Negative sides count as 0, cell sides below 1 as 1, layer counts below 1 (or above
    // kMaxCells) as 1.
    CPattern(CWindow* window, CXSize size, CXSize cell, int layers);
    ~CPattern() override;
    CPattern(const CPattern&) = delete;
    CPattern& operator=(const CPattern&) = delete;

    void Redraw() override;
    void onInvalidate(CGraphicsObject* object, CXRect* rect) override;
    // A held object that goes away leaves every cell at once.
    void onDestroy(CGraphicsObject* object) override;

    // Puts an entry in the cell, replacing what was there; nothing for a null object,
    // a cell outside the table, or the pattern itself (or a graphic holding it).
    virtual void add(CXString alias, int column, int row, int layer, CGraphicsObject* object, int info, CXString text);
    // Every entry of the object; with deleteObject the object is deleted once.
    virtual void remove(CGraphicsObject* object, bool deleteObject);
    // Every entry whose alias equals exactly.
    virtual void remove(CXString alias);
    virtual void remove(int column, int row, int layer);
    virtual void removeAll();
    // Moves layer 0's entry of (column, row) down by rows, removing (and deleting the
    // object of) an entry in the way; the moved entry is locked.
    virtual void moveDown(int column, int row, int rows);
    // Locks or unlocks the entries of the cell in every layer.
    virtual void lock(int column, int row, bool locked);
    virtual bool contains(CGraphicsObject* object);
    // The object hit at (x, y), from the layer down (negative or the top: every layer
    // from the top), with alpha above the threshold unless boxOnly.
    virtual CGraphicsObject* getGraphicsObject(int x, int y, bool includeHidden, bool boxOnly, int layer, int threshold);

    CXSize getGrid() const { return m_cell; }
    // A new cell size (below 1 as 1); the table keeps its columns and rows.
    void setGrid(CXSize cell);
    int getLayers() const { return m_layers; }
    int getColumns() const { return m_columns; }
    int getRows() const { return m_rows; }
    CPatternEntry* get(int column, int row, int layer) const;
    CPatternEntry* getEntryAtCell(int layer, int column, int row) const { return get(column, row, layer); }
    // Swaps the entries of two cells of layer 0 (either may be empty).
    void _switch(int column1, int row1, int column2, int row2);
    void move(int dx, int dy) { Move(dx, dy); }
    CPatternEntry* getEntryAt(int x, int y, int unused, bool includeHidden, bool boxOnly);
    CXString* getGraphicsObjectAlias(int x, int y, bool includeHidden, bool boxOnly);
    CPatternEntry* getAliasEntry(CXString alias);
    // Every object held, once each, in layer and list order.
    std::vector<CGraphicsObject*> heldObjects() const;
    const std::vector<CPatternEntry*>& entries(int layer) const { return m_lists[static_cast<size_t>(layer)]; }

private:
    bool inTable(int column, int row, int layer) const {
        return layer >= 0 && layer < m_layers && column >= 0 && column < m_columns && row >= 0 && row < m_rows;
    }
    CPatternEntry*& cell(int column, int row, int layer);
    // Takes the entry out of its list and cell and deletes it; stops observing its
    // object when no other entry holds it (always with forget).
    void removeEntry(int layer, CPatternEntry* entry, bool forget);
    // Walks one layer for the point (pattern coordinates).
    CPatternEntry* hitIn(int layer, CXPoint p, bool includeHidden, bool boxOnly, int threshold);

    CXSize m_cell;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    int32_t m_layers = 1;
    std::vector<CPatternEntry*> m_table;
    std::vector<std::vector<CPatternEntry*>> m_lists;
};
