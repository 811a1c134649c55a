#include "graphics/canvas/CPatternEntry.h"

int CPatternEntry::compare(CXObject* other) {
    auto* entry = dynamic_cast<CPatternEntry*>(other);
    return entry && entry->m_info < m_info ? 1 : 0;
}
