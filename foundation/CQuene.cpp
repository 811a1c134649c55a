#include "foundation/CQuene.h"

namespace {
void* takeAt(CXArray& queue, int i) {
    void* p = queue[i];
    queue.removeAt(i);
    return p;
}
}  // namespace

CQuene::CQuene() : CXArray(kDefaultCapacity, kDefaultLoadFactor) {}

void CQuene::push(void* p) { add(p); }

CXObject* CFifoQuene::clone() {
    auto* copy = new CFifoQuene();
    copy->copyStateFrom(*this);
    return copy;
}

void* CFifoQuene::pop() { return m_count == 0 ? nullptr : takeAt(*this, 0); }

CXObject* CLifoQuene::clone() {
    auto* copy = new CLifoQuene();
    copy->copyStateFrom(*this);
    return copy;
}

void* CLifoQuene::pop() { return m_count == 0 ? nullptr : takeAt(*this, m_count - 1); }

CXQuene::CXQuene() : CXVector(kDefaultCapacity, kDefaultLoadFactor) {}

void CXQuene::push(CXObject* p) { add(p); }

CXObject* CXFifoQuene::clone() {
    auto* copy = new CXFifoQuene();
    copy->copyStateFrom(*this);
    return copy;
}

CXObject* CXFifoQuene::pop() { return m_count == 0 ? nullptr : static_cast<CXObject*>(takeAt(*this, 0)); }

CXObject* CXLifoQuene::clone() {
    auto* copy = new CXLifoQuene();
    copy->copyStateFrom(*this);
    return copy;
}

CXObject* CXLifoQuene::pop() {
    return m_count == 0 ? nullptr : static_cast<CXObject*>(takeAt(*this, m_count - 1));
}
