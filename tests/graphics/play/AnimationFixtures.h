// Animation files built byte by byte, one per layout family, for the reader's
// tests and the fuzzers' seeds. Every fixture has the same two frames:
// frame 0 is 2 x 1 at (3, 4), pixels 0x001F 0xF800, alpha 0xFF 0x80;
// frame 1 is 1 x 1 at (0, 0), pixel 0x07E0, no alpha.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/CLZWCompression2.h"

namespace animfix {

struct Bytes {
    std::string s;
    Bytes& u8(int v) { s += static_cast<char>(v & 0xFF); return *this; }
    Bytes& i16(int v) { u8(v); return u8(v >> 8); }
    Bytes& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) u8(static_cast<int>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Bytes& zeros(size_t n) { s.append(n, '\0'); return *this; }
    Bytes& raw(const std::string& b) { s += b; return *this; }
    // A field of n bytes holding the text and NULs.
    Bytes& fixed(const std::string& t, size_t n) { s += t.substr(0, n); return zeros(n - std::min(n, t.size())); }
    // int32 length, the bytes (no NUL).
    Bytes& text(const std::string& t) { i32(static_cast<int32_t>(t.size())); return raw(t); }
    // int32 length counting the NUL, the bytes and the NUL.
    Bytes& ztext(const std::string& t) { i32(static_cast<int32_t>(t.size() + 1)); raw(t); return u8(0); }
};

inline std::string frame0Pixels() { return Bytes().i16(0x001F).i16(0xF800).s; }
inline std::string frame0Alpha() { return std::string("\xFF\x80", 2); }
inline std::string frame1Pixels() { return Bytes().i16(0x07E0).s; }

// A new-family frame header of 32 or 52 bytes.
inline std::string newFrameHeader(int w, int h, int x, int y, int code, int32_t dataSize, int32_t alphaSize,
                                  size_t size) {
    Bytes b;
    b.i16(w).i16(h).i16(x).i16(y).i16(code).i32(dataSize);
    if (alphaSize > 0)
        b.i16(4).i32(0).i32(0).i32(0).i32(alphaSize);
    else
        b.i16(0);
    return b.zeros(size - b.s.size()).s;
}

inline std::string newFrames(size_t headerSize) {
    return newFrameHeader(2, 1, 3, 4, 0, 4, 2, headerSize) + newFrameHeader(1, 1, 0, 0, 0, 2, 0, headerSize) +
           frame0Pixels() + frame0Alpha() + frame1Pixels();
}

// "NVI", "NV+" or "NVP": events "walk" (frames 0 1 0, loop 1-2 twice, 10 FPS,
// hide on stop; position 0 named "first", position 1 with sound "step.wav") and
// "idle" with no positions. FPS 12, flag word 0x80001, opacity 200.
inline std::string nv(const std::string& signature) {
    Bytes b;
    b.fixed(signature, 4).i16(2).i16(16).i16(2).zeros(12).u8(0).i32(12).i32(0x80001).u8(200).i16(3).zeros(10);
    b.text("Au").text("De");
    b.fixed("walk", 32).i16(3).i32(1).i16(1).i16(2).i16(2).i16(0).i32(10).i32(0x100).u8(255).zeros(4).i32(0).i32(0);
    b.i16(0).i16(1).i16(0);
    b.i32(1).i32(0).i16(0).i16(0).i32(-1).i32(0).i32(0).u8(255).u8(0).i32(0).ztext("first");
    b.i32(0).i32(0).i16(2).i16(-1).i32(-1).i32(1).i32(0).u8(128).u8(0).i32(0).ztext("step.wav");
    b.i32(0).i32(0).i16(0).i16(0).i32(-1).i32(0).i32(0).u8(255).u8(0).i32(0);
    b.fixed("idle", 32).i16(0).i32(0).zeros(8).i32(15).i32(0).u8(255).zeros(4).i32(0).i32(0);
    return b.raw(newFrames(signature == "NV+" ? 32 : 52)).s;
}

// "PAK" with no events, or with "walk" (frames 1 0, loop 1 twice, steps (5, -1)
// and (0, 0)) and "run" (frame 0).
inline std::string pak(bool withEvents) {
    Bytes b;
    b.fixed("PAK", 4).i16(2).fixed("Au", 128).fixed("De", 256).i16(16).i16(withEvents ? 2 : 0).zeros(13);
    if (withEvents) {
        b.fixed("walk", 32).i16(2).i16(1).i16(0).i16(2).i16(1).i16(0);
        b.i16(5).i16(-1).zeros(6).i16(0).i16(0).zeros(6);
        b.fixed("run", 32).i16(1).i16(0).i16(0).i16(0).i16(0);
        b.i16(0).i16(0).zeros(6);
    }
    return b.raw(newFrames(32)).s;
}

// "PIK" (version 1) with only an "EXT" chunk.
inline std::string pik() {
    Bytes b;
    b.fixed("PIK", 4).i16(2).i16(4).i32(0);
    b.raw("EXT").i32(0).ztext("Au").ztext("De");
    b.i32(4).i32(2).i16(2).i16(3).i16(1).i16(4).i16(0).i16(4);
    b.i32(2).i32(0).i16(1).i16(0).i16(1).i16(0).i16(0).i16(4);
    return b.raw(frame0Pixels() + frame0Alpha() + frame1Pixels()).s;
}

inline std::string oldHeader(int w, int h, int x, int y, int32_t first, int32_t alpha) {
    return Bytes().i16(w).i16(x).i16(h).i16(y).i16(0).i16(4).i32(4).i32(first).i32(0).i32(0).i32(alpha).s;
}

// "PI2" (version 2): frames kept as read, compression code 1.
inline std::string pi2() {
    Bytes b;
    b.fixed("PI2", 4).i16(2).i16(4).i32(0);
    b.raw(oldHeader(2, 1, 3, 4, 4, 2) + oldHeader(1, 1, 0, 0, 2, 0));
    return b.raw(frame0Pixels() + frame0Alpha() + frame1Pixels()).s;
}

inline std::string lzo(const std::string& in) {
    std::string copy = in;
    CLZWCompression2 codec(copy.data(), static_cast<int>(copy.size()));
    int length = 0;
    char* block = codec.compress(length);
    std::string out(block, static_cast<size_t>(length));
    delete[] block;
    return out;
}

// "PI3" (version 3) with "SEQ" (2 positions) and "POS" (steps (7, 8), opacity
// 100 at both); frames in LZO blocks.
inline std::string pi3() {
    const std::string p0 = lzo(frame0Pixels()), a0 = lzo(frame0Alpha()), p1 = lzo(frame1Pixels());
    Bytes b;
    b.fixed("PI3", 4).i16(2).i16(4).i32(0);
    b.raw("SEQ").i32(2).i32(0).i32(1);
    b.raw("POS");
    for (int i = 0; i < 2; ++i) b.i32(7).i32(8).u8(100).zeros(24);
    b.raw(oldHeader(2, 1, 3, 4, static_cast<int32_t>(p0.size()), static_cast<int32_t>(a0.size())));
    b.raw(oldHeader(1, 1, 0, 0, static_cast<int32_t>(p1.size()), 0));
    return b.raw(p0 + a0 + p1).s;
}

}  // namespace animfix
