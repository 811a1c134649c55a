// Shared body of the animation targets: the input, under a signature the target
// chooses, is loaded without a window; a loaded animation is played, stepped
// both ways and drawn, and written back and read again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/CFile.h"
#include "graphics/play/CAnimo.h"

inline void fuzzAnimation(const std::string& bytes) {
    CFile_Stream stream(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
    CAnimo anim(nullptr);
    if (anim.Load(&stream) != 0) {
        if (anim.GetNOF() != 0 || anim.GetNOE() != 0) std::abort();
        return;
    }
    CGraphicsObject target(nullptr, CXSize(32, 32), 16);
    for (int e = 0; e < anim.GetNOE() && e < 4; ++e) {
        anim.Play(static_cast<_animoevent>(e), 0, 0);
        for (int i = 0; i < 24 && anim.isPlaying(); ++i) {
            anim.next();
            anim.redraw(&target);
        }
        anim.playReverse(anim.GetEventName(e), -1);
        for (int i = 0; i < 8 && anim.isPlaying(); ++i) anim.previous();
    }
}

// The first input byte picks one of the signatures, the rest follows it.
inline int fuzzFamily(const uint8_t* data, size_t size, const char* const* signatures, int count) {
    if (size < 1) return 0;
    std::string bytes(signatures[data[0] % count], 3);
    bytes += '\0';
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    fuzzAnimation(bytes);
    return 0;
}
