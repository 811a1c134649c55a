#include "foundation/CXPair.h"

CXPair::CXPair(CXString name, void* p) : m_name(name), m_first(p), m_second(p) { m_name.Lower(); }

CXPair::CXPair(void* first, void* second) : m_first(first), m_second(second) {}

CXObject* CXPair::clone() {
    auto* copy = new CXPair(CXString("cloned"), m_first);
    copy->setSecond(m_second);
    return copy;
}

CXTriple::CXTriple(void* first, void* second, void* third) : m_first(first), m_second(second), m_third(third) {}

CXObject* CXTriple::clone() { return new CXTriple(m_first, m_second, m_third); }
