#include "foundation/CRLECompression.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxBlock = 127;

// One encoder for both unit sizes; units are compared as raw bytes.
template <int Unit>
char* encode(const char* data, int n, int* packedLength) {
    const int units = n > 0 ? n / Unit : 0;
    // Worst case: a one-unit literal block costs 1 + Unit bytes and is always
    // followed by a run of at least two units, so 2 bytes per input byte suffice.
    std::vector<char> work(static_cast<size_t>(units) * Unit * 2 + 8);
    char* out = work.data();
    size_t o = 0;

    auto same = [&](int a, int b) { return std::memcmp(data + a * Unit, data + b * Unit, Unit) == 0; };
    auto flushLiteral = [&](int start, int count) {
        if (count == 0) return;
        out[o++] = static_cast<char>(count);
        std::memcpy(out + o, data + start * Unit, static_cast<size_t>(count) * Unit);
        o += static_cast<size_t>(count) * Unit;
    };

    int pendingStart = 0;
    int pending = 0;
    int i = 0;
    while (i < units) {
        const bool nextEqual = i + 1 < units && same(i, i + 1);
        if (nextEqual || pending == kMaxBlock) {
            flushLiteral(pendingStart, pending);
            pending = 0;
            int r = 1;
            while (r < kMaxBlock && i + r < units && same(i, i + r)) ++r;
            if (r < 4) {
                flushLiteral(i, r);
            } else {
                out[o++] = static_cast<char>(128 + r);
                std::memcpy(out + o, data + i * Unit, Unit);
                o += Unit;
            }
            i += r;
        } else {
            if (pending == 0) pendingStart = i;
            ++pending;
            ++i;
        }
    }
    flushLiteral(pendingStart, pending);

    char* result = new char[o > 0 ? o : 1];
    if (o > 0) std::memcpy(result, out, o);
    if (packedLength) *packedLength = static_cast<int>(o);
    return result;
}

template <int Unit>
char* decode(const char* packed, int packedSize, int decodedSize) {
    if (decodedSize < 0 || packedSize < 0 || (packedSize > 0 && !packed)) return nullptr;
    // A run block of 2 (bytes) or 3 (16-bit) packed bytes yields at most 127
    // units; anything asking for more output than that cannot be genuine.
    constexpr int64_t kMaxRatio = Unit == 1 ? 64 : 85;
    if (static_cast<int64_t>(decodedSize) > static_cast<int64_t>(packedSize) * kMaxRatio) return nullptr;

    char* out = new char[decodedSize > 0 ? decodedSize : 1];
    const auto* in = reinterpret_cast<const uint8_t*>(packed);
    size_t ip = 0;
    size_t op = 0;
    const size_t inEnd = static_cast<size_t>(packedSize);
    const size_t outEnd = static_cast<size_t>(decodedSize);
    while (op < outEnd) {
        if (ip >= inEnd) goto fail;
        const unsigned c = in[ip++];
        if (c < 128) {
            const size_t bytes = static_cast<size_t>(c) * Unit;
            if (bytes > inEnd - ip || bytes > outEnd - op) goto fail;
            std::memcpy(out + op, in + ip, bytes);
            ip += bytes;
            op += bytes;
        } else {
            const size_t count = c - 128;
            if (Unit > inEnd - ip || count * Unit > outEnd - op) goto fail;
            if (Unit == 1) {
                std::memset(out + op, in[ip], count);
            } else {
                uint8_t unit[Unit];
                std::memcpy(unit, in + ip, Unit);
                char* p = out + op;
                for (size_t k = 0; k < count; ++k, p += Unit) std::memcpy(p, unit, Unit);
            }
            ip += Unit;
            op += count * Unit;
        }
    }
    return out;

fail:
    delete[] out;
    return nullptr;
}

}  // namespace

char* CRLECompression::__compresschar(char* data, int n, int* packedLength) {
    return encode<1>(data, n, packedLength);
}

char* CRLECompression::__compress(char* data, int n, int* packedLength) {
    return encode<2>(data, n, packedLength);
}

char* CRLECompression::__decompresschar(char* packed, int packedSize, int decodedSize) {
    return decode<1>(packed, packedSize, decodedSize);
}

char* CRLECompression::__decompress(char* packed, int packedSize, int decodedSize) {
    return decode<2>(packed, packedSize, decodedSize);
}

int CRLECompression::byteAt(const char* packed, int packedSize, int decodedSize, int64_t index) {
    if (index < 0 || index >= decodedSize || packedSize < 0 || (packedSize > 0 && !packed)) return -1;
    // The same checks as decoding: every block inside both ends, the output filled.
    if (static_cast<int64_t>(decodedSize) > static_cast<int64_t>(packedSize) * 64) return -1;
    const auto* in = reinterpret_cast<const uint8_t*>(packed);
    const size_t inEnd = static_cast<size_t>(packedSize);
    const size_t outEnd = static_cast<size_t>(decodedSize);
    const auto at = static_cast<size_t>(index);
    int value = -1;
    size_t ip = 0;
    size_t op = 0;
    while (op < outEnd) {
        if (ip >= inEnd) return -1;
        const unsigned c = in[ip++];
        if (c < 128) {
            if (c > inEnd - ip || c > outEnd - op) return -1;
            if (at >= op && at < op + c) value = in[ip + (at - op)];
            ip += c;
            op += c;
        } else {
            const size_t count = c - 128;
            if (ip >= inEnd || count > outEnd - op) return -1;
            if (at >= op && at < op + count) value = in[ip];
            ip += 1;
            op += count;
        }
    }
    return value;
}
