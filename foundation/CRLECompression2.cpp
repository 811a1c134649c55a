#include "foundation/CRLECompression2.h"

#include <cstring>

CRLECompression2::CRLECompression2(CXSize size, short* lineLengths, char* data, int dataSize)
    : CCompression(data, dataSize), m_imageSize(size), m_lineLengths(lineLengths) {}

CRLECompression2::~CRLECompression2() { delete[] m_lineLengths; }

char* CRLECompression2::Compress(int& length) {
    length = 0;
    return nullptr;
}

char* CRLECompression2::Decompress(int) {
    const int64_t width = m_imageSize.cx;
    const int64_t height = m_imageSize.cy;
    const int64_t dataSize = m_size > 0 && m_data ? m_size : 0;
    // Two packed bytes give at most 129 output bytes.
    if (width < 0 || height < 0 || width * height > INT32_MAX ||
        width * height > dataSize * 65 || (height > 0 && !m_lineLengths)) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    const size_t outEnd = static_cast<size_t>(width * height);
    char* out = new char[outEnd > 0 ? outEnd : 1]();
    const auto* in = reinterpret_cast<const uint8_t*>(m_data);
    size_t op = 0;
    size_t lineStart = 0;
    for (int64_t y = 0; y < height; ++y) {
        const int length = m_lineLengths[y];
        if (length <= 0) continue;
        if (static_cast<size_t>(length) > static_cast<size_t>(dataSize) - lineStart) goto fail;
        {
            const size_t lineEnd = lineStart + static_cast<size_t>(length);
            size_t ip = lineStart;
            while (ip < lineEnd) {
                const int n = static_cast<int8_t>(in[ip++]);
                if (n < 0) {
                    const size_t count = static_cast<size_t>(1 - n);
                    if (ip >= lineEnd || count > outEnd - op) goto fail;
                    std::memset(out + op, in[ip++], count);
                    op += count;
                } else {
                    const size_t count = static_cast<size_t>(n) + 1;
                    if (count > lineEnd - ip || count > outEnd - op) goto fail;
                    std::memcpy(out + op, in + ip, count);
                    ip += count;
                    op += count;
                }
            }
            lineStart = lineEnd;
        }
    }
    return out;

fail:
    delete[] out;
    setErrorCode(kErrCorruptData);
    return nullptr;
}
