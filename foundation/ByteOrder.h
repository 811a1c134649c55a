// Little-endian 16- and 32-bit fields, the byte order of every file and network form
// the engine reads and writes and of its pixel buffers; big-endian reads for the
// formats of other programs (PSD). Any alignment.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

namespace byteorder {

// On little-endian hosts the fields are plain unaligned loads and stores (memcpy), which
// the compiler keeps in registers inside pixel loops; byte-wise stores through uint8_t
// would alias every other buffer there and force reloads.
constexpr bool kNativeLE = std::endian::native == std::endian::little;

inline uint16_t readLE16(const void* at) {
    if constexpr (kNativeLE) {
        uint16_t v;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    const auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline int16_t readLEInt16(const void* at) { return static_cast<int16_t>(readLE16(at)); }

inline uint32_t readLE32(const void* at) {
    if constexpr (kNativeLE) {
        uint32_t v;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    const auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline int32_t readLEInt32(const void* at) { return static_cast<int32_t>(readLE32(at)); }

inline void writeLE16(void* at, uint16_t v) {
    if constexpr (kNativeLE) {
        std::memcpy(at, &v, sizeof v);
        return;
    }
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void writeLE32(void* at, uint32_t v) {
    if constexpr (kNativeLE) {
        std::memcpy(at, &v, sizeof v);
        return;
    }
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint16_t readBE16(const void* at) {
    const auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline uint32_t readBE32(const void* at) {
    const auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

} // namespace byteorder
