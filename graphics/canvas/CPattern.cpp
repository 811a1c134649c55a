#include "graphics/canvas/CPattern.h"

#include <algorithm>

#include "graphics/canvas/CGraphicsHolding.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/screen/CRefreshScreen.h"

namespace {

int side(int v) { return v < 0 || v > CPattern::kMaxSide ? 0 : v; }

int screenBpp(CWindow* window) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    CRefreshScreen* screen = services ? services->GetRefreshScreenInterface() : nullptr;
    return screen ? screen->GetBpp() : 16;
}

}  // namespace

CPattern::CPattern(CWindow* window, CXSize size, CXSize cell, int layers) : CGraphicsObject(window) {
    m_bpp = screenBpp(window);
    m_cell = CXSize(cell.cx < 1 ? 1 : cell.cx, cell.cy < 1 ? 1 : cell.cy);
    m_layers = layers < 1 ? 1 : layers;
    int width = side(size.cx);
    int height = side(size.cy);
    const int64_t cells = static_cast<int64_t>(width / m_cell.cx) * (height / m_cell.cy) * m_layers;
    if (cells > kMaxCells) width = height = 0;
    // Layers beyond the cell limit could hold nothing anyway: one keeps the lists small.
    if (m_layers > kMaxCells) m_layers = 1;
    // The pattern draws nothing of its own: its size without a pixel buffer.
    m_width = m_pitch = width;
    m_height = height;
    m_columns = width / m_cell.cx;
    m_rows = height / m_cell.cy;
    m_table.assign(static_cast<size_t>(m_columns) * m_rows * m_layers, nullptr);
    m_lists.resize(static_cast<size_t>(m_layers));
}

CPattern::~CPattern() {
    for (CGraphicsObject* g : heldObjects()) g->removeInvalidateObserver(this);
    for (auto& list : m_lists)
        for (CPatternEntry* e : list) delete e;
    m_lists.clear();
    m_table.clear();
}

CPatternEntry*& CPattern::cell(int column, int row, int layer) {
    return m_table[(static_cast<size_t>(layer) * m_columns + column) * m_rows + row];
}

CPatternEntry* CPattern::get(int column, int row, int layer) const {
    if (!inTable(column, row, layer)) return nullptr;
    return m_table[(static_cast<size_t>(layer) * m_columns + column) * m_rows + row];
}

void CPattern::setGrid(CXSize c) {
    c = CXSize(c.cx < 1 ? 1 : c.cx, c.cy < 1 ? 1 : c.cy);
    if (c.cx == m_cell.cx && c.cy == m_cell.cy) return;
    m_cell = c;
    Invalidate();
}

std::vector<CGraphicsObject*> CPattern::heldObjects() const {
    std::vector<CGraphicsObject*> list;
    for (const auto& layer : m_lists)
        for (CPatternEntry* e : layer)
            if (std::find(list.begin(), list.end(), e->getObject()) == list.end()) list.push_back(e->getObject());
    return list;
}

bool CPattern::contains(CGraphicsObject* object) {
    if (!object) return false;
    for (const auto& layer : m_lists)
        for (CPatternEntry* e : layer)
            if (e->getObject() == object) return true;
    return false;
}

void CPattern::removeEntry(int layer, CPatternEntry* entry, bool forget) {
    auto& list = m_lists[static_cast<size_t>(layer)];
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
    if (inTable(entry->getColumn(), entry->getRow(), layer) && cell(entry->getColumn(), entry->getRow(), layer) == entry)
        cell(entry->getColumn(), entry->getRow(), layer) = nullptr;
    CGraphicsObject* object = entry->getObject();
    delete entry;
    if (object && (forget || !contains(object))) object->removeInvalidateObserver(this);
}

void CPattern::add(CXString alias, int column, int row, int layer, CGraphicsObject* object, int info, CXString text) {
    if (!object || !inTable(column, row, layer)) return;
    if (graphics_holding::holds(object, this)) return;
    if (CPatternEntry* old = cell(column, row, layer)) removeEntry(layer, old, false);
    auto* entry = new CPatternEntry(column, row, alias, object, info, text);
    cell(column, row, layer) = entry;
    m_lists[static_cast<size_t>(layer)].push_back(entry);
    object->SetAutoClip(true);
    object->addInvalidateObserver(this);
    Invalidate();
}

void CPattern::remove(CGraphicsObject* object, bool deleteObject) {
    if (!object) return;
    const bool held = contains(object);
    for (int l = 0; l < m_layers; ++l) {
        std::vector<CPatternEntry*> list = m_lists[static_cast<size_t>(l)];
        for (CPatternEntry* e : list)
            if (e->getObject() == object) removeEntry(l, e, true);
    }
    object->removeInvalidateObserver(this);
    if (held) Invalidate();
    if (deleteObject) delete object;
}

void CPattern::remove(CXString alias) {
    bool any = false;
    for (int l = 0; l < m_layers; ++l) {
        std::vector<CPatternEntry*> list = m_lists[static_cast<size_t>(l)];
        for (CPatternEntry* e : list)
            if (e->getAlias() == alias) {
                removeEntry(l, e, false);
                any = true;
            }
    }
    if (any) Invalidate();
}

void CPattern::remove(int column, int row, int layer) {
    CPatternEntry* e = get(column, row, layer);
    if (!e) return;
    removeEntry(layer, e, false);
    Invalidate();
}

void CPattern::removeAll() {
    for (int l = 0; l < m_layers; ++l) {
        auto& list = m_lists[static_cast<size_t>(l)];
        while (!list.empty()) removeEntry(l, list.back(), true);
    }
    Invalidate();
}

void CPattern::_switch(int column1, int row1, int column2, int row2) {
    if (!inTable(column1, row1, 0) || !inTable(column2, row2, 0)) return;
    CPatternEntry*& a = cell(column1, row1, 0);
    CPatternEntry*& b = cell(column2, row2, 0);
    std::swap(a, b);
    if (a) a->setCell(column1, row1);
    if (b) b->setCell(column2, row2);
    Invalidate();
}

void CPattern::moveDown(int column, int row, int rows) {
    CPatternEntry* entry = get(column, row, 0);
    if (!entry || !inTable(column, row + rows, 0) || rows == 0) return;
    if (CPatternEntry* there = cell(column, row + rows, 0)) {
        CGraphicsObject* victim = there->getObject();
        if (victim == entry->getObject())
            removeEntry(0, there, false);
        else
            remove(victim, true);
    }
    // The moved entry may have gone with the victim's object only if it held it.
    if (get(column, row, 0) != entry) return;
    cell(column, row, 0) = nullptr;
    cell(column, row + rows, 0) = entry;
    entry->setCell(column, row + rows);
    entry->setLocked(true);
    Invalidate();
}

void CPattern::lock(int column, int row, bool locked) {
    for (int l = 0; l < m_layers; ++l)
        if (CPatternEntry* e = get(column, row, l)) e->setLocked(locked);
    Invalidate();
}

void CPattern::Redraw() {
    CGraphicsObject* destination = m_destiny;
    if (!destination) return;
    const CXRect destBox(0, 0, destination->Width(), destination->Height());
    const CXPoint origin = GetPosition();
    for (int l = 0; l < m_layers; ++l) {
        // By index: drawing does not change the lists, and a bound check keeps it safe if it did.
        for (size_t i = 0; i < m_lists[static_cast<size_t>(l)].size(); ++i) {
            CPatternEntry* e = m_lists[static_cast<size_t>(l)][i];
            if (e->isLocked()) continue;
            CGraphicsObject* g = e->getObject();
            if (!g || !g->isVisible()) continue;
            CGraphicsObject* savedDestiny = g->GetDestiny();
            const CXRect savedClip = g->GetClippingRect();
            g->SetDestiny(destination);
            const graphics_holding::Placement placed = graphics_holding::placeAt(
                g, origin.x + e->getColumn() * m_cell.cx, origin.y + e->getRow() * m_cell.cy);
            const CXRect rect = (g->getGfxType() == 2 ? g->GetBoundingBox() : g->getRect()).Common(destBox);
            if (rect.IsProper()) {
                if (m_clipRect.IsEmpty()) {
                    g->Redraw();
                } else {
                    const CXRect part = (rect - origin).Common(m_clipRect);
                    if (part.IsProper()) {
                        g->SetClippingRect(part + origin - g->GetPosition());
                        g->Redraw();
                    }
                }
            }
            graphics_holding::undo(g, placed);
            g->SetClippingRect(savedClip);
            g->SetDestiny(savedDestiny);
        }
    }
}

void CPattern::onInvalidate(CGraphicsObject*, CXRect*) { Invalidate(); }

void CPattern::onDestroy(CGraphicsObject* object) {
    if (!object) return;
    if (contains(object)) {
        for (int l = 0; l < m_layers; ++l) {
            std::vector<CPatternEntry*> list = m_lists[static_cast<size_t>(l)];
            for (CPatternEntry* e : list)
                if (e->getObject() == object) removeEntry(l, e, true);
        }
        Invalidate();
    }
    CGraphicsObject::onDestroy(object);
}

CPatternEntry* CPattern::hitIn(int layer, CXPoint p, bool includeHidden, bool boxOnly, int threshold) {
    const std::vector<CPatternEntry*>& list = m_lists[static_cast<size_t>(layer)];
    for (CPatternEntry* e : list) {
        CGraphicsObject* g = e->getObject();
        if (e->isLocked() || !g || (!includeHidden && !g->isVisible())) continue;
        const graphics_holding::Placement placed =
            graphics_holding::placeAt(g, e->getColumn() * m_cell.cx, e->getRow() * m_cell.cy);
        bool hit = g->GetAbsoluteBoundingBox().IsInRect(p);
        if (hit && !boxOnly) hit = g->GetPixel(CHANNEL_ALPHA, p - g->GetPosition()) > threshold;
        graphics_holding::undo(g, placed);
        if (hit) return e;
    }
    return nullptr;
}

CPatternEntry* CPattern::getEntryAt(int x, int y, int, bool includeHidden, bool boxOnly) {
    const CXPoint p = CXPoint(x, y) - GetPosition();
    for (int l = 0; l < m_layers; ++l)
        if (CPatternEntry* e = hitIn(l, p, includeHidden, boxOnly, 0)) return e;
    return nullptr;
}

CXString* CPattern::getGraphicsObjectAlias(int x, int y, bool includeHidden, bool boxOnly) {
    CPatternEntry* e = getEntryAt(x, y, 0, includeHidden, boxOnly);
    return e ? &e->getAlias() : nullptr;
}

CGraphicsObject* CPattern::getGraphicsObject(int x, int y, bool includeHidden, bool boxOnly, int layer, int threshold) {
    const CXPoint p = CXPoint(x, y) - GetPosition();
    if (layer < 0 || layer == m_layers - 1) {
        for (int l = m_layers - 1; l >= 0; --l)
            if (CPatternEntry* e = hitIn(l, p, includeHidden, boxOnly, threshold)) return e->getObject();
        return nullptr;
    }
    if (layer >= m_layers) return nullptr;
    CPatternEntry* e = hitIn(layer, p, includeHidden, boxOnly, threshold);
    return e ? e->getObject() : nullptr;
}

CPatternEntry* CPattern::getAliasEntry(CXString alias) {
    for (const auto& list : m_lists)
        for (CPatternEntry* e : list)
            if (e->getAlias() == alias) return e;
    return nullptr;
}
