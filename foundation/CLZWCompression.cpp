#include "foundation/CLZWCompression.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/ByteOrder.h"

namespace {

constexpr uint32_t kResetCode = 256;
constexpr uint32_t kFirstCode = 257;
constexpr uint32_t kCodeLimit = 65536;  // codes 0..65535
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 16;
constexpr size_t kHeaderSize = 12;

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void put(uint32_t code, int width) {
        m_acc |= static_cast<uint64_t>(code & ((1u << width) - 1)) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_out.push_back(static_cast<uint8_t>(m_acc));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    void finish() {
        if (m_bits > 0) m_out.push_back(static_cast<uint8_t>(m_acc));
        m_acc = 0;
        m_bits = 0;
    }

private:
    std::vector<uint8_t>& m_out;
    uint64_t m_acc = 0;
    int m_bits = 0;
};

// The encoder's dictionary: per prefix code, a chain of (byte, code) links.
// Only the literals' chains start out empty; an assigned code gets an empty
// chain when it is assigned, so nothing else needs clearing.
struct EncoderDictionary {
    std::unique_ptr<int32_t[]> firstChild{new int32_t[kCodeLimit]};
    std::unique_ptr<int32_t[]> sibling{new int32_t[kCodeLimit]};
    std::unique_ptr<uint8_t[]> byteOf{new uint8_t[kCodeLimit]};

    EncoderDictionary() { clear(); }

    int32_t find(uint32_t prefix, uint8_t b) const {
        for (int32_t c = firstChild[prefix]; c >= 0; c = sibling[c])
            if (byteOf[c] == b) return c;
        return -1;
    }
    void add(uint32_t prefix, uint8_t b, uint32_t code) {
        byteOf[code] = b;
        firstChild[code] = -1;
        sibling[code] = firstChild[prefix];
        firstChild[prefix] = static_cast<int32_t>(code);
    }
    void clear() { std::fill(firstChild.get(), firstChild.get() + 256, -1); }
};

}  // namespace

char* CLZWCompression::compress(int& length) {
    const uint8_t* in = reinterpret_cast<const uint8_t*>(m_data);
    const size_t n = m_size > 0 && m_data ? static_cast<size_t>(m_size) : 0;

    std::vector<uint8_t> out(kHeaderSize);
    out.reserve(kHeaderSize + n * 2 + 16);
    BitWriter bits(out);
    auto dict = std::make_unique<EncoderDictionary>();

    uint32_t codeCount = 0;
    bits.put(kResetCode, kMinWidth);
    ++codeCount;

    int width = kMinWidth;
    uint32_t codesLeft = 256;
    uint32_t next = kFirstCode;
    bool haveCurrent = n > 0;
    uint32_t current = haveCurrent ? in[0] : 0;
    // Statistics that decide a dictionary reset once the code width is large.
    uint64_t periodCodes = 1;
    uint64_t periodBytes = 1;
    uint64_t totalInBits = 0;
    uint64_t totalOutBits = 0;

    for (size_t i = 1; i < n; ++i) {
        const uint8_t b = in[i];
        ++periodBytes;
        const int32_t extended = dict->find(current, b);
        if (extended >= 0) {
            current = static_cast<uint32_t>(extended);
            continue;
        }
        if (next < kCodeLimit) dict->add(current, b, next++);
        bits.put(current, width);
        ++codeCount;
        ++periodCodes;
        current = b;

        if (--codesLeft == 0) {
            if (width < kMaxWidth) {
                codesLeft = 1u << width;
                ++width;
            } else {
                codesLeft = 2048;
            }
            periodCodes = 0;
            periodBytes = 0;
        } else if (codesLeft == 2) {
            totalInBits += periodBytes * 8;
            totalOutBits += periodCodes * static_cast<uint64_t>(width);
            const uint64_t periodOutBits = periodCodes * static_cast<uint64_t>(width);
            const uint64_t periodRatio = periodOutBits ? periodBytes * 800 / periodOutBits : 0;
            const uint64_t overallRatio = totalOutBits ? totalInBits * 100 / totalOutBits : 0;
            if (overallRatio > periodRatio && width >= 12) {
                bits.put(b, width);
                bits.put(kResetCode, width);
                codeCount += 2;
                dict->clear();
                next = kFirstCode;
                width = kMinWidth;
                codesLeft = 256;
                totalInBits = 0;
                totalOutBits = 0;
                haveCurrent = i + 1 < n;
                if (haveCurrent) current = in[++i];
                periodCodes = 1;
                periodBytes = 1;
            } else {
                periodCodes = 0;
                periodBytes = 0;
            }
        }
    }
    if (haveCurrent) {
        bits.put(current, width);
        ++codeCount;
    }
    bits.finish();

    byteorder::writeLE32(out.data(), static_cast<uint32_t>(n));
    byteorder::writeLE32(out.data() + 4, static_cast<uint32_t>(out.size() - kHeaderSize));
    byteorder::writeLE32(out.data() + 8, codeCount);
    char* result = new char[out.size()];
    std::memcpy(result, out.data(), out.size());
    length = static_cast<int>(out.size());
    return result;
}

char* CLZWCompression::decompress(int) {
    const uint8_t* block = reinterpret_cast<const uint8_t*>(m_data);
    const size_t blockSize = m_size > 0 && m_data ? static_cast<size_t>(m_size) : 0;
    if (blockSize < kHeaderSize) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    const uint32_t unpacked = byteorder::readLE32(block);
    const uint32_t packedSize = byteorder::readLE32(block + 4);
    const uint32_t codeCount = byteorder::readLE32(block + 8);
    const uint8_t* codes = block + kHeaderSize;
    // Every code takes at least 9 bits of the packed data.
    if (packedSize > blockSize - kHeaderSize || unpacked > INT32_MAX ||
        static_cast<uint64_t>(codeCount) * kMinWidth > static_cast<uint64_t>(packedSize) * 8) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    const uint64_t bitEnd = static_cast<uint64_t>(packedSize) * 8;
    uint64_t bitPos = 0;
    auto readCode = [&](int width, uint32_t& code) {
        if (bitPos + static_cast<uint64_t>(width) > bitEnd) return false;
        const size_t at = static_cast<size_t>(bitPos >> 3);
        uint32_t word = 0;
        for (size_t k = 0; k < 4 && at + k < packedSize; ++k) word |= static_cast<uint32_t>(codes[at + k]) << (8 * k);
        code = (word >> (bitPos & 7)) & ((1u << width) - 1);
        bitPos += static_cast<uint64_t>(width);
        return true;
    };

    // No string is longer than the number of codes read so far (nor than the
    // dictionary), so the codes bound the output: a size beyond that is a lie.
    const uint64_t longest = std::min<uint64_t>(codeCount, kCodeLimit);
    if (unpacked > static_cast<uint64_t>(codeCount) * (longest + 1)) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    std::unique_ptr<char[]> result(new char[unpacked > 0 ? unpacked : 1]);
    uint8_t* out = reinterpret_cast<uint8_t*>(result.get());
    size_t op = 0;
    // Entries are read only below the next code to assign, and every such
    // entry was written since the last reset: no clearing needed.
    std::unique_ptr<uint16_t[]> prefix(new uint16_t[kCodeLimit]);
    std::unique_ptr<uint8_t[]> lastByte(new uint8_t[kCodeLimit]);
    std::unique_ptr<uint8_t[]> stack(new uint8_t[kCodeLimit + 1]);

    // Writes the string of a code (its first byte through *first); false when
    // it would pass the unpacked size.
    auto emit = [&](uint32_t code, uint8_t* first) {
        size_t depth = 0;
        while (code >= 256) {
            stack[depth++] = lastByte[code];
            code = prefix[code];
        }
        stack[depth++] = static_cast<uint8_t>(code);
        if (depth > unpacked - op) return false;
        *first = static_cast<uint8_t>(code);
        while (depth > 0) out[op++] = stack[--depth];
        return true;
    };

    int width = kMinWidth;
    uint32_t next = kFirstCode;
    uint32_t previous = 0;
    bool ok = true;
    for (uint32_t remaining = codeCount; remaining > 0 && ok; --remaining) {
        uint32_t code = 0;
        if (!readCode(width, code)) {
            ok = false;
            break;
        }
        if (code == kResetCode) {
            next = kFirstCode;
            width = kMinWidth;
            if (--remaining == 0) break;
            if (!readCode(kMinWidth, code) || op >= unpacked) {
                ok = false;
                break;
            }
            previous = code & 0xFF;
            out[op++] = static_cast<uint8_t>(previous);
            continue;
        }
        uint8_t first = 0;
        if (code < 256) {
            if (op >= unpacked) {
                ok = false;
                break;
            }
            out[op++] = static_cast<uint8_t>(code);
            first = static_cast<uint8_t>(code);
        } else if (code < next) {
            ok = emit(code, &first);
        } else if (code == next) {
            // Not yet assigned: the previous string plus its own first byte.
            ok = emit(previous, &first) && op < unpacked;
            if (ok) out[op++] = first;
        } else {
            ok = false;
        }
        if (!ok) break;
        if (next < kCodeLimit) {
            prefix[next] = static_cast<uint16_t>(previous);
            lastByte[next] = first;
            ++next;
        }
        previous = code;
        if (width < kMaxWidth && next >= (1u << width)) ++width;
    }

    if (!ok || op != unpacked) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    m_size = static_cast<int32_t>(unpacked);
    return result.release();
}
