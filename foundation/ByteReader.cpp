#include "foundation/ByteReader.h"

#include <cstring>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "foundation/CXString.h"

ByteReader::ByteReader(const void* data, size_t size)
    : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0) {}

ByteReader::ByteReader(CFile* file) : m_file(file), m_ok(file != nullptr) {}

int64_t ByteReader::left() const {
    if (!m_file) return static_cast<int64_t>(m_size - m_at);
    const int64_t n = static_cast<int64_t>(m_file->Length()) - m_file->Tell();
    return n > 0 ? n : 0;
}

uint64_t ByteReader::at() const {
    if (!m_file) return m_at;
    const int position = m_file->Tell();
    return position > 0 ? static_cast<uint64_t>(position) : 0;
}

const uint8_t* ByteReader::here() const { return m_file ? nullptr : m_data + m_at; }

bool ByteReader::has(uint64_t n) {
    if (m_ok && n <= static_cast<uint64_t>(left())) return true;
    return fail();
}

bool ByteReader::startsWith(const char* magic) const {
    return m_ok && !m_file && m_size - m_at >= 4 && std::memcmp(m_data + m_at, magic, 4) == 0;
}

bool ByteReader::read(void* out, uint64_t n) {
    if (!has(n)) return false;
    if (n == 0) return true;
    if (m_file) {
        if (n > INT32_MAX || m_file->Read(out, static_cast<int>(n)) != static_cast<int>(n)) return fail();
        return true;
    }
    std::memcpy(out, m_data + m_at, static_cast<size_t>(n));
    m_at += static_cast<size_t>(n);
    return true;
}

bool ByteReader::skip(uint64_t n) {
    if (!has(n)) return false;
    if (m_file) {
        // Seek's result differs between kinds of file; the position tells.
        const int64_t target = static_cast<int64_t>(m_file->Tell()) + static_cast<int64_t>(n);
        if (n > INT32_MAX) return fail();
        m_file->Seek(static_cast<int>(n), 1);
        return m_file->Tell() == target ? true : fail();
    }
    m_at += static_cast<size_t>(n);
    return true;
}

bool ByteReader::seek(uint64_t offset) {
    if (!m_ok || m_file || offset > m_size) return fail();
    m_at = static_cast<size_t>(offset);
    return true;
}

uint8_t ByteReader::u8() {
    uint8_t b = 0;
    return read(&b, 1) ? b : 0;
}

uint16_t ByteReader::le16() {
    uint8_t b[2];
    return read(b, 2) ? byteorder::readLE16(b) : 0;
}

uint32_t ByteReader::le32() {
    uint8_t b[4];
    return read(b, 4) ? byteorder::readLE32(b) : 0;
}

uint16_t ByteReader::be16() {
    uint8_t b[2];
    return read(b, 2) ? byteorder::readBE16(b) : 0;
}

uint32_t ByteReader::be32() {
    uint8_t b[4];
    return read(b, 4) ? byteorder::readBE32(b) : 0;
}

bool ByteReader::text(CXString* out) {
    const auto n = static_cast<int32_t>(le32());
    if (!m_ok) return false;
    if (n < 0 || n > left()) return fail();
    if (n == 0) {
        *out = CXString();
        return true;
    }
    std::vector<char> bytes(static_cast<size_t>(n));
    if (!read(bytes.data(), static_cast<uint64_t>(n))) return false;
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()) : bytes.size();
    *out = CXString(bytes.data(), static_cast<int>(length));
    return true;
}
