#include "shell/RiffChunks.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/ByteOrder.h"

RiffScanner::RiffScanner(Reader reader, int64_t length, Padding padding)
    : m_reader(std::move(reader)), m_length(std::max<int64_t>(length, 0)), m_padding(padding) {}

bool RiffScanner::read(int64_t offset, void* destination, int64_t count) const {
    if (count <= 0) return true;
    if (offset < 0 || offset > m_length || count > m_length - offset) return false;
    return m_reader(offset, destination, count) == count;
}

bool RiffScanner::readHeader() {
    uint8_t h[12];
    if (!read(0, h, 12) || std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVE", 4) != 0) return false;
    m_position = 12;
    return true;
}

bool RiffScanner::find(const char* id, RiffChunk* chunk) {
    // Each step moves forward by at least the 8 bytes of a header: the scan ends.
    for (;;) {
        uint8_t h[8];
        if (!read(m_position, h, 8)) return false;
        const uint32_t size = byteorder::readLE32(h + 4);
        const int64_t data = m_position + 8;
        m_position = data + size + (m_padding == Padding::kWord ? (size & 1) : 0);
        if (std::memcmp(h, id, 4) == 0) {
            chunk->offset = data;
            chunk->size = size;
            chunk->present = static_cast<uint32_t>(std::min<int64_t>(size, m_length - data));
            return true;
        }
    }
}
