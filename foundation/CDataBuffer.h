// An owned block of equally sized elements with a cursor and an optional
// backup copy.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/CXObject.h"

class CDataBuffer : public CXObject {
public:
    // count x size bytes, not cleared; negative counts or sizes give an empty buffer.
    CDataBuffer(int count, int size);
    // count x size bytes copied from data.
    CDataBuffer(char* data, int count, int size);
    ~CDataBuffer() override;

    CDataBuffer(const CDataBuffer&) = delete;
    CDataBuffer& operator=(const CDataBuffer&) = delete;

    CXObject* clone() override;
    // Frees the buffer and the backup; the object then holds no data.
    virtual void flush();
    // Replaces any earlier backup by a copy of the whole buffer.
    virtual void backup();
    // Copies the backup back over the buffer; with drop, frees it afterwards.
    virtual void restore(bool drop);

    void start() { m_cursor = 0; }
    CDataBuffer& operator++() { m_cursor += m_elementSize; return *this; }
    CDataBuffer& operator--() { m_cursor -= m_elementSize; return *this; }
    CDataBuffer& operator+=(int n) { m_cursor += static_cast<ptrdiff_t>(n) * m_elementSize; return *this; }
    CDataBuffer& operator-=(int n) { m_cursor -= static_cast<ptrdiff_t>(n) * m_elementSize; return *this; }

    char* getBuffer() { return m_buffer; }
    char* getPtr() { return m_buffer + m_cursor; }
    operator char*() { return getPtr(); }
    operator uint16_t*() { return reinterpret_cast<uint16_t*>(getPtr()); }

    void zero();
    // count x size; the backup is not counted.
    int getMemoryUsage() const { return static_cast<int>(byteSize()); }
    int getCount() const { return m_count; }
    int getElementSize() const { return m_elementSize; }
    bool hasBackup() const { return m_backup != nullptr; }

protected:
    size_t byteSize() const { return static_cast<size_t>(m_count) * static_cast<size_t>(m_elementSize); }
    // Copies data, cursor offset and backup of this buffer into target, which
    // has the same count and element size.
    void copyInto(CDataBuffer& target) const;

    char* m_buffer = nullptr;
    char* m_backup = nullptr;
    ptrdiff_t m_cursor = 0;  // byte offset from the buffer's start
    int32_t m_count = 0;
    int32_t m_elementSize = 0;
};
