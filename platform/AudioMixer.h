// The software mixer: adds playing sources into one block of output at the mix format.
// A source is 8-bit unsigned or 16-bit signed PCM, mono or stereo, read at its own rate
// (its frequency over the mix rate is the step, with linear interpolation between
// frames), scaled by its volume (hundredths of a decibel, gain 10^(v/2000)) and pan (the
// opposite channel loses |pan| hundredths of a decibel), and clipped to the sample range
// of the output. No device, clock or thread here: the caller holds whatever lock guards
// the sources and feeds the block to its output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Gain of a volume in hundredths of a decibel as a Q15 factor (32768 is unity).
int32_t gainQ15(int32_t hundredthsDb);

struct MixFormat {
    uint16_t channels = 2;   // 1 or 2
    uint16_t bits = 16;      // 8 or 16
    uint32_t rate = 22050;   // frames per second
};

struct MixSource {
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
    uint16_t channels = 1;
    uint16_t bits = 16;
    uint32_t rate = 22050;   // the rate the data is read at
    int32_t volume = 0;
    int32_t pan = 0;
    bool looping = false;
    // In and out: a one-shot that reaches its end stops, its position back at the start.
    bool playing = false;
    // In frames, 32.32 fixed point.
    uint64_t position = 0;

    uint32_t blockAlign() const { return static_cast<uint32_t>(channels) * (bits / 8); }
    uint32_t frames() const { return blockAlign() ? bytes / blockAlign() : 0; }
    // The play cursor in bytes.
    uint32_t cursorBytes() const { return static_cast<uint32_t>(position >> 32) * blockAlign(); }
};

class AudioMixer {
public:
    // Writes frames of output at the format: silence plus every playing source,
    // whose positions advance by what was mixed.
    void mix(const MixFormat& format, MixSource* const* sources, size_t count, uint8_t* out,
             uint32_t frames);

private:
    std::vector<int32_t> m_accumulator;
};

}  // namespace platform
