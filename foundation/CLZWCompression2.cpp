#include "foundation/CLZWCompression2.h"

#include <lzo/lzo1x.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "foundation/ByteOrder.h"

namespace {

constexpr size_t kHeaderSize = 8;
// LZO1X never expands data by more than this, nor packs more than 256:1.
size_t worstPackedSize(size_t n) { return n + n / 16 + 64 + 3; }
constexpr uint64_t kMaxRatio = 256;

bool lzoReady() {
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

}  // namespace

char* CLZWCompression2::compress(int& length) {
    length = 0;
    const size_t n = m_size > 0 && m_data ? static_cast<size_t>(m_size) : 0;
    if (!lzoReady()) return nullptr;
    auto work = std::make_unique<uint8_t[]>(worstPackedSize(n));
    auto workMemory = std::make_unique<uint8_t[]>(LZO1X_1_MEM_COMPRESS);
    lzo_uint packed = 0;
    static const uint8_t empty[1] = {0};
    const auto* src = n > 0 ? reinterpret_cast<const uint8_t*>(m_data) : empty;
    if (lzo1x_1_compress(src, n, work.get(), &packed, workMemory.get()) != LZO_E_OK) return nullptr;
    const size_t total = kHeaderSize + packed;
    if (total > INT32_MAX) return nullptr;
    char* result = new char[total];
    byteorder::writeLE32(result, static_cast<uint32_t>(n));
    byteorder::writeLE32(result + 4, static_cast<uint32_t>(packed));
    std::memcpy(result + kHeaderSize, work.get(), packed);
    length = static_cast<int>(total);
    return result;
}

char* CLZWCompression2::decompress() {
    const auto* block = reinterpret_cast<const uint8_t*>(m_data);
    const size_t blockSize = m_size > 0 && m_data ? static_cast<size_t>(m_size) : 0;
    if (blockSize < kHeaderSize || !lzoReady()) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    const uint32_t unpacked = byteorder::readLE32(block);
    const uint32_t packed = byteorder::readLE32(block + 4);
    if (packed > blockSize - kHeaderSize || unpacked > INT32_MAX ||
        unpacked > static_cast<uint64_t>(packed) * kMaxRatio + 1024) {
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    char* out = new char[unpacked > 0 ? unpacked : 1];
    lzo_uint outLength = unpacked;
    const int rc = lzo1x_decompress_safe(block + kHeaderSize, packed, reinterpret_cast<uint8_t*>(out), &outLength,
                                         nullptr);
    if (rc != LZO_E_OK || outLength != unpacked) {
        delete[] out;
        setErrorCode(kErrCorruptData);
        return nullptr;
    }
    return out;
}
