#include "foundation/CXArchive.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/CFile.h"

namespace {

void putLE(uint8_t* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t getLE(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

// Bodies up to this size are read straight into a buffer of their size;
// longer ones are first checked against the bytes left in the file.
constexpr int32_t kUncheckedBody = 1 << 16;

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

CXArchive::CXArchive(CFile* file, bool storing) : m_file(file), m_storing(storing) {}

int64_t CXArchive::bytesLeft() const {
    if (!m_file) return 0;
    const int64_t left = static_cast<int64_t>(m_file->Length()) - m_file->Tell();
    return left > 0 ? left : 0;
}

void CXArchive::Close() {
    if (m_file) m_file->Close();
}

bool CXArchive::readExact(void* target, int count) {
    if (count == 0) return true;
    if (!m_file || count < 0 || m_file->Read(target, count) != count) {
        m_readFailed = true;
        return false;
    }
    return true;
}

void CXArchive::writeBytes(const void* data, int count) {
    if (count <= 0) return;
    if (!m_file || m_file->Write(data, count) != count) setErrorCode(CFile::kErrorWrite);
}

CXArchive& CXArchive::operator<<(int value) {
    uint8_t b[4];
    putLE(b, static_cast<uint32_t>(value), 4);
    writeBytes(b, 4);
    return *this;
}

CXArchive& CXArchive::operator<<(uint32_t value) { return *this << static_cast<int>(value); }

CXArchive& CXArchive::operator<<(int64_t value) {
    uint8_t b[8];
    putLE(b, static_cast<uint64_t>(value), 8);
    writeBytes(b, 8);
    return *this;
}

CXArchive& CXArchive::operator<<(double value) {
    // A conversion that does not fit 64 bits gives the x86 "integer indefinite"
    // 0x8000000000000000, whose low 32 bits are 0.
    const double scaled = value * 10000.0;
    int64_t fixed = 0;
    if (std::isfinite(scaled) && scaled > -9223372036854775808.0 && scaled < 9223372036854775808.0)
        fixed = static_cast<int64_t>(scaled);
    return *this << static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(fixed)));
}

CXArchive& CXArchive::operator<<(bool value) {
    const uint8_t b = value ? 1 : 0;
    writeBytes(&b, 1);
    return *this;
}

CXArchive& CXArchive::operator<<(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    *this << static_cast<int>(length);
    writeBytes(text, static_cast<int>(length));
    return *this;
}

CXArchive& CXArchive::operator<<(const CXString& text) {
    *this << text.getLength();
    writeBytes(text.c_str(), text.getLength());
    return *this;
}

CXArchive& CXArchive::operator<<(const CXRect& rect) {
    return *this << static_cast<int>(rect.left) << static_cast<int>(rect.top) << static_cast<int>(rect.right)
                 << static_cast<int>(rect.bottom);
}

CXArchive& CXArchive::operator>>(int* value) {
    uint8_t b[4];
    if (readExact(b, 4) && value) *value = static_cast<int32_t>(static_cast<uint32_t>(getLE(b, 4)));
    return *this;
}

CXArchive& CXArchive::operator>>(uint32_t* value) {
    uint8_t b[4];
    if (readExact(b, 4) && value) *value = static_cast<uint32_t>(getLE(b, 4));
    return *this;
}

CXArchive& CXArchive::operator>>(int64_t* value) {
    uint8_t b[8];
    if (readExact(b, 8) && value) *value = static_cast<int64_t>(getLE(b, 8));
    return *this;
}

CXArchive& CXArchive::operator>>(double* value) {
    uint8_t b[4];
    const bool ok = readExact(b, 4);
    if (value) *value = ok ? static_cast<int32_t>(static_cast<uint32_t>(getLE(b, 4))) * 0.0001 : 0.0;
    return *this;
}

CXArchive& CXArchive::operator>>(bool* value) {
    uint8_t b = 0;
    if (readExact(&b, 1) && value) *value = b != 0;
    return *this;
}

bool CXArchive::readBody(int32_t n, CXString* out) {
    if (n == 0) return true;
    if (n < 0 || !m_file) {
        m_readFailed = true;
        return false;
    }
    if (n > kUncheckedBody) {
        const int64_t left = static_cast<int64_t>(m_file->Length()) - m_file->Tell();
        if (n > left) {
            m_file->Seek(0, 2);
            m_readFailed = true;
            return false;
        }
    }
    std::unique_ptr<char[]> body(new char[static_cast<size_t>(n)]);
    if (m_file->Read(body.get(), n) != n) {
        m_readFailed = true;
        return false;
    }
    if (out) *out = CXString(body.get(), n);
    return true;
}

CXArchive& CXArchive::operator>>(char** text) {
    int32_t n = 0;
    uint8_t b[4];
    if (readExact(b, 4)) n = static_cast<int32_t>(static_cast<uint32_t>(getLE(b, 4)));
    char* result = nullptr;
    if (n < 0 || (n > 0 && !m_file)) m_readFailed = true;
    if (n > 0 && m_file) {
        bool ok = true;
        if (n > kUncheckedBody) {
            const int64_t left = static_cast<int64_t>(m_file->Length()) - m_file->Tell();
            if (n > left) {
                m_file->Seek(0, 2);
                ok = false;
                m_readFailed = true;
            }
        }
        if (ok) {
            result = new char[static_cast<size_t>(n) + 1];
            if (m_file->Read(result, n) == n) {
                result[n] = '\0';
            } else {
                m_readFailed = true;
                delete[] result;
                result = nullptr;
            }
        }
    }
    if (!result) {
        result = new char[1];
        result[0] = '\0';
    }
    if (text) {
        *text = result;
    } else {
        delete[] result;
    }
    return *this;
}

CXArchive& CXArchive::operator>>(CXString* text) {
    int32_t n = 0;
    uint8_t b[4];
    if (readExact(b, 4)) n = static_cast<int32_t>(static_cast<uint32_t>(getLE(b, 4)));
    CXString value;
    if (!readBody(n, &value)) value = CXString();
    if (text) *text = value;
    return *this;
}

CXArchive& CXArchive::operator>>(CXRect* rect) {
    int v[4] = {0, 0, 0, 0};
    if (rect) {
        v[0] = rect->left;
        v[1] = rect->top;
        v[2] = rect->right;
        v[3] = rect->bottom;
    }
    *this >> &v[0] >> &v[1] >> &v[2] >> &v[3];
    if (rect) rect->Set(v[0], v[1], v[2], v[3]);
    return *this;
}

CXArchive& CXArchive::operator>>(char* c) {
    if (!m_file) return *this;
    FILE* stream = m_file->GetHandle();
    if (stream) {
        char value = 0;
        if (std::fscanf(stream, "%c", &value) == 1 && c) *c = value;
    } else {
        char value = 0;
        if (m_file->Read(&value, 1) == 1 && c) *c = value;
    }
    return *this;
}

void CXArchive::writeShortString(const CXString& text) {
    const uint8_t n = static_cast<uint8_t>(text.getLength());
    writeBytes(&n, 1);
    writeBytes(text.c_str(), n);
}

void CXArchive::readShortString(CXString* text) {
    uint8_t n = 0;
    CXString value;
    if (readExact(&n, 1) && !readBody(n, &value)) value = CXString();
    if (text) *text = value;
}

void CXArchive::FRead(CXString& word) {
    if (!m_file) return;
    char buffer[1024];
    buffer[0] = '\0';
    FILE* stream = m_file->GetHandle();
    if (stream) {
        if (std::fscanf(stream, "%1023s", buffer) != 1) buffer[0] = '\0';
    } else {
        // A memory file: the same scan, leaving the blank that ends the word unread.
        char c = 0;
        bool have = false;
        while (m_file->Read(&c, 1) == 1) {
            if (!isBlank(static_cast<unsigned char>(c))) {
                have = true;
                break;
            }
        }
        int n = 0;
        while (have) {
            buffer[n++] = c;
            if (n == 1023 || m_file->Read(&c, 1) != 1) break;
            if (isBlank(static_cast<unsigned char>(c))) {
                m_file->Seek(-1, 1);
                break;
            }
        }
        buffer[n] = '\0';
    }
    word = buffer;
}

void CXArchive::FWrite(const CXString& text) { writeBytes(text.c_str(), static_cast<int>(std::strlen(text.c_str()))); }

CXArchive& CXArchive::CopyFileA(CXString name) {
    auto* source = new CFile(nullptr, name, CFile::kReadBinary);
    if (source->GetHandle() && m_file) {
        const int length = source->Length();
        if (length > 0) {
            std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(length)]);
            const int got = source->Read(buffer.get(), length);
            writeBytes(buffer.get(), got);
        }
    }
    delete source;
    return *this;
}
