#include "foundation/CDataBuffer2Dim.h"

namespace {

int area(CXSize size) {
    if (size.cx <= 0 || size.cy <= 0) return 0;
    const int64_t n = static_cast<int64_t>(size.cx) * size.cy;
    return n > INT32_MAX ? 0 : static_cast<int>(n);
}

}  // namespace

CDataBuffer2Dim::CDataBuffer2Dim(CXSize size, int elementSize)
    : CDataBuffer(area(size), elementSize), m_width(size.cx), m_height(size.cy) {}

CDataBuffer2Dim::CDataBuffer2Dim(char* data, CXSize size, int elementSize)
    : CDataBuffer(data, area(size), elementSize), m_width(size.cx), m_height(size.cy) {}

CXObject* CDataBuffer2Dim::clone() {
    auto* copy = new CDataBuffer2Dim(CXSize(m_width, m_height), m_elementSize);
    if (!m_buffer) {
        copy->flush();
        return copy;
    }
    copyInto(*copy);
    return copy;
}

void CDataBuffer2Dim::at(int x, int y) {
    m_cursor = (static_cast<ptrdiff_t>(m_width) * y + x) * m_elementSize;
}

void CDataBuffer2Dim::nextLine() { m_cursor += static_cast<ptrdiff_t>(m_width) * m_elementSize; }

void CDataBuffer2Dim::prevLine() { m_cursor -= static_cast<ptrdiff_t>(m_width) * m_elementSize; }
