#include "media/filters/CFilterTickState.h"

#include <cstddef>

CFilterUndoRecord::~CFilterUndoRecord() { freeSaved(); }

void CFilterUndoRecord::resize(int count) {
    freeSaved();
    m_entries.assign(count > 0 ? static_cast<std::size_t>(count) : 0, Entry());
    m_current = -1;
}

void CFilterUndoRecord::freeSaved() {
    for (Entry& e : m_entries) {
        delete[] e.pixels;
        delete[] e.alpha;
        e.pixels = nullptr;
        e.alpha = nullptr;
        e.applied = false;
        e.geometry = false;
    }
}

CFilterUndoRecord::Entry* CFilterUndoRecord::entry(int i) {
    return i >= 0 && i < getCount() ? &m_entries[static_cast<std::size_t>(i)] : nullptr;
}
