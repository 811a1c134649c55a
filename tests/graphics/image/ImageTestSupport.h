// Byte builders for image-file tests and a JPEG encoder over the library.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imgtest {

using Bytes = std::string;

inline void put32(Bytes& b, int32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
}
inline void put16(Bytes& b, int v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
inline void putBE32(Bytes& b, uint32_t v) {
    for (int i = 3; i >= 0; --i) b += static_cast<char>(v >> (8 * i));
}
inline void putBE16(Bytes& b, int v) {
    b += static_cast<char>((v >> 8) & 0xFF);
    b += static_cast<char>(v & 0xFF);
}
inline Bytes words(std::initializer_list<uint16_t> values) {
    Bytes b;
    for (uint16_t v : values) put16(b, v);
    return b;
}

// A "PIK" file: header, pixel bytes, alpha bytes (alpha count field given apart so
// that corrupt counts can be written).
inline Bytes pik(int width, int height, int depth, int field16, int code, int alphaCount, int x, int y,
                 const Bytes& pixels, const Bytes& alpha) {
    Bytes b("PIK", 3);
    b += '\0';
    for (int v : {width, height, depth, field16, 0, code, alphaCount, x, y}) put32(b, v);
    return b + pixels + alpha;
}

// An "NVI" file.
inline Bytes nvi(int width, int height, int depth, int pixelCount, int alphaCount, int x, int y, int code,
                 const Bytes& pixels, const Bytes& alpha) {
    Bytes b("NVI", 3);
    b += '\0';
    put16(b, width);
    put16(b, height);
    b += static_cast<char>(depth);
    put32(b, pixelCount);
    put32(b, alphaCount);
    put16(b, x);
    put16(b, y);
    put32(b, code);
    b += Bytes(12, '\0');
    return b + pixels + alpha;
}

// The older layout: 80 unread bytes (the first three given), then the header.
inline Bytes older(int width, int height, int flags, const Bytes& pixels, const Bytes& alpha, const Bytes& start = "OLD") {
    Bytes b = start + Bytes(80 - start.size(), '\0');
    put16(b, width);
    put16(b, height);
    b += Bytes(6, '\0');
    put16(b, flags);
    return b + pixels + alpha;
}

// A JPEG of the library's encoder at quality 100 without chroma subsampling;
// `samples` holds width x height x components bytes.
Bytes encodeJpeg(int width, int height, int components, int colorSpace, const std::vector<uint8_t>& samples);
Bytes solidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b);

}  // namespace imgtest
