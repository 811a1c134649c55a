#include "foundation/CDataBuffer.h"

#include <cstring>

namespace {

// count x size when both are positive and the product fits an int, else 0 elements.
void checkedShape(int& count, int& size) {
    if (count <= 0 || size <= 0 || static_cast<int64_t>(count) * size > INT32_MAX) {
        count = 0;
        size = size > 0 ? size : 0;
    }
}

}  // namespace

CDataBuffer::CDataBuffer(int count, int size) {
    checkedShape(count, size);
    m_count = count;
    m_elementSize = size;
    m_buffer = new char[byteSize() > 0 ? byteSize() : 1];
}

CDataBuffer::CDataBuffer(char* data, int count, int size) : CDataBuffer(count, size) {
    if (data && byteSize() > 0) std::memcpy(m_buffer, data, byteSize());
}

CDataBuffer::~CDataBuffer() {
    delete[] m_buffer;
    delete[] m_backup;
}

void CDataBuffer::copyInto(CDataBuffer& target) const {
    if (m_buffer && target.m_buffer && byteSize() > 0) std::memcpy(target.m_buffer, m_buffer, byteSize());
    target.m_cursor = m_cursor;
    delete[] target.m_backup;
    target.m_backup = nullptr;
    if (m_backup) {
        target.m_backup = new char[byteSize() > 0 ? byteSize() : 1];
        std::memcpy(target.m_backup, m_backup, byteSize());
    }
}

CXObject* CDataBuffer::clone() {
    auto* copy = new CDataBuffer(m_buffer ? m_count : 0, m_elementSize);
    if (!m_buffer) {
        copy->flush();
        return copy;
    }
    copyInto(*copy);
    return copy;
}

void CDataBuffer::flush() {
    delete[] m_buffer;
    delete[] m_backup;
    m_buffer = nullptr;
    m_backup = nullptr;
    m_cursor = 0;
}

void CDataBuffer::backup() {
    delete[] m_backup;
    m_backup = nullptr;
    if (!m_buffer) return;
    m_backup = new char[byteSize() > 0 ? byteSize() : 1];
    std::memcpy(m_backup, m_buffer, byteSize());
}

void CDataBuffer::restore(bool drop) {
    if (!m_backup) return;
    if (m_buffer) std::memcpy(m_buffer, m_backup, byteSize());
    if (drop) {
        delete[] m_backup;
        m_backup = nullptr;
    }
}

void CDataBuffer::zero() {
    if (m_buffer) std::memset(m_buffer, 0, byteSize());
}
