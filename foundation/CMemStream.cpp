#include "foundation/CMemStream.h"

#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/CDataBuffer.h"
#include "foundation/CFile.h"

CMemStream::CMemStream(CFile* file) {
    int length = file ? file->Length() : 0;
    if (length < 0) length = 0;
    m_buffer = new CDataBuffer(length, 1);
    if (length > 0) {
        const int got = file->Read(m_buffer->getBuffer(), length);
        m_size = got > 0 ? static_cast<size_t>(got) : 0;
    }
}

CMemStream::~CMemStream() { delete m_buffer; }

void CMemStream::align() {
    if (m_bit > 0) {
        if (m_pos < m_size) ++m_pos;
        m_bit = 0;
    }
}

const uint8_t* CMemStream::take(size_t n) {
    if (n > m_size - m_pos) {
        m_pos = m_size;
        return nullptr;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(m_buffer->getBuffer()) + m_pos;
    m_pos += n;
    return p;
}

int CMemStream::get_bit() {
    if (m_pos >= m_size) return 0;
    const uint8_t byte = static_cast<uint8_t>(m_buffer->getBuffer()[m_pos]);
    const int bit = (byte >> (7 - m_bit)) & 1;
    if (++m_bit == 8) {
        m_bit = 0;
        ++m_pos;
    }
    return bit;
}

uint32_t CMemStream::get_bits(int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = (value << 1) | static_cast<uint32_t>(get_bit());
    return value;
}

int32_t CMemStream::get_signed_bits(int n) {
    if (n < 1) return 0;
    const uint32_t value = get_bits(n);
    if (n >= 32) return static_cast<int32_t>(value);
    const uint32_t sign = 1u << (n - 1);
    return static_cast<int32_t>((value ^ sign) - sign);
}

uint8_t CMemStream::get_char() {
    align();
    const uint8_t* p = take(1);
    return p ? p[0] : 0;
}

int16_t CMemStream::get_shortint() {
    align();
    const uint8_t* p = take(2);
    return p ? static_cast<int16_t>(p[0] | p[1] << 8) : 0;
}

int32_t CMemStream::get_int() {
    align();
    const uint8_t* p = take(4);
    if (!p) return 0;
    return static_cast<int32_t>(byteorder::readLE32(p));
}

void CMemStream::get_bytes(void* target, int n) {
    if (n <= 0 || !target) return;
    const size_t want = static_cast<size_t>(n);
    const size_t have = m_size - m_pos < want ? m_size - m_pos : want;
    if (have > 0) std::memcpy(target, m_buffer->getBuffer() + m_pos, have);
    if (have < want) std::memset(static_cast<char*>(target) + have, 0, want - have);
    m_pos += have;
}

void CMemStream::move(int n) {
    align();
    if (n >= 0) {
        m_pos = static_cast<size_t>(n) > m_size - m_pos ? m_size : m_pos + static_cast<size_t>(n);
    } else {
        const size_t back = static_cast<size_t>(-static_cast<int64_t>(n));
        m_pos = back > m_pos ? 0 : m_pos - back;
    }
}
