#include "platform/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

int32_t gainQ15(int32_t hundredthsDb) {
    const int32_t v = std::clamp(hundredthsDb, -10000, 0);
    return static_cast<int32_t>(std::lround(32768.0 * std::pow(10.0, v / 2000.0)));
}

namespace {

template <int Bits>
inline int32_t sampleAt(const uint8_t* p) {
    if constexpr (Bits == 8) {
        return (int32_t(p[0]) - 128) * 256;
    } else {
        return static_cast<int16_t>(uint16_t(p[0] | p[1] << 8));
    }
}

inline int32_t lerp(int32_t a, int32_t b, int32_t frac15) {
    return a + static_cast<int32_t>((int64_t(b - a) * frac15) >> 15);
}

inline int32_t scale(int32_t sample, int32_t gain) { return (sample * gain + 0x4000) >> 15; }

// Adds one source into the accumulator of interleaved output frames.
template <int Bits, int Channels, int OutChannels>
void mixInto(MixSource& s, uint64_t step, int32_t gainLeft, int32_t gainRight, int32_t* acc,
             uint32_t frames) {
    constexpr uint32_t block = Channels * Bits / 8;
    constexpr uint32_t width = Bits / 8;
    const uint32_t count = s.frames();
    const uint64_t end = uint64_t(count) << 32;
    const uint8_t* data = s.data;
    uint64_t pos = s.position;
    for (uint32_t i = 0; i < frames; ++i) {
        if (pos >= end) {
            if (!s.looping) {
                s.playing = false;
                pos = 0;
                break;
            }
            pos %= end;
        }
        const uint32_t index = static_cast<uint32_t>(pos >> 32);
        const uint32_t next = index + 1 < count ? index + 1 : (s.looping ? 0 : index);
        const int32_t frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
        const uint8_t* a = data + size_t(index) * block;
        const uint8_t* b = data + size_t(next) * block;
        int32_t left = lerp(sampleAt<Bits>(a), sampleAt<Bits>(b), frac);
        int32_t right = left;
        if constexpr (Channels == 2) right = lerp(sampleAt<Bits>(a + width), sampleAt<Bits>(b + width), frac);
        if constexpr (OutChannels == 2) {
            acc[2 * i] += scale(left, gainLeft);
            acc[2 * i + 1] += scale(right, gainRight);
        } else {
            acc[i] += scale(Channels == 2 ? (left + right) / 2 : left, gainLeft);
        }
        pos += step;
    }
    if (s.playing && pos >= end) {
        if (s.looping) {
            pos %= end;
        } else {
            s.playing = false;
            pos = 0;
        }
    }
    s.position = pos;
}

template <int OutChannels>
void mixSource(MixSource& s, uint64_t step, int32_t gl, int32_t gr, int32_t* acc, uint32_t frames) {
    if (s.bits == 8) {
        if (s.channels == 2) mixInto<8, 2, OutChannels>(s, step, gl, gr, acc, frames);
        else mixInto<8, 1, OutChannels>(s, step, gl, gr, acc, frames);
    } else {
        if (s.channels == 2) mixInto<16, 2, OutChannels>(s, step, gl, gr, acc, frames);
        else mixInto<16, 1, OutChannels>(s, step, gl, gr, acc, frames);
    }
}

}  // namespace

void AudioMixer::mix(const MixFormat& format, MixSource* const* sources, size_t count, uint8_t* out,
                     uint32_t frames) {
    const uint32_t outChannels = format.channels == 2 ? 2 : 1;
    const size_t samples = size_t(frames) * outChannels;
    m_accumulator.assign(samples, 0);
    int32_t* acc = m_accumulator.data();
    for (size_t k = 0; k < count; ++k) {
        MixSource* s = sources[k];
        if (!s || !s->playing) continue;
        const bool valid = s->data && (s->bits == 8 || s->bits == 16) &&
                           (s->channels == 1 || s->channels == 2) && s->frames() > 0 &&
                           s->rate > 0 && format.rate > 0;
        if (!valid) {
            s->playing = false;
            s->position = 0;
            continue;
        }
        const uint64_t step = (uint64_t(s->rate) << 32) / format.rate;
        const int32_t gain = gainQ15(s->volume);
        int32_t gl = gain;
        int32_t gr = gain;
        if (outChannels == 2) {
            // The side the sound pans away from is attenuated by |pan|.
            if (s->pan > 0) gl = scale(gain, gainQ15(-s->pan));
            if (s->pan < 0) gr = scale(gain, gainQ15(s->pan));
            mixSource<2>(*s, step, gl, gr, acc, frames);
        } else {
            mixSource<1>(*s, step, gl, gr, acc, frames);
        }
    }
    if (format.bits == 8) {
        for (size_t i = 0; i < samples; ++i) {
            const int32_t v = std::clamp(acc[i], -32768, 32767);
            out[i] = static_cast<uint8_t>((v >> 8) + 128);
        }
    } else {
        for (size_t i = 0; i < samples; ++i) {
            const uint16_t v = static_cast<uint16_t>(std::clamp(acc[i], -32768, 32767));
            out[2 * i] = static_cast<uint8_t>(v & 0xFF);
            out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
}

}  // namespace platform
