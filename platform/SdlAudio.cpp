#include <SDL.h>

#include "platform/Audio.h"

namespace platform {

namespace {

void SDLCALL fill(void* user, Uint8* stream, int len) {
    static_cast<SdlAudioSystem*>(user)->render(stream, static_cast<uint32_t>(len));
}

// About twenty milliseconds of frames, a power of two.
Uint16 blockFrames(uint32_t rate) {
    Uint16 n = 256;
    while (n < 4096 && n < rate / 50) n = static_cast<Uint16>(n * 2);
    return n;
}

}  // namespace

SdlAudioSystem::~SdlAudioSystem() {
    detach();
    // Open without a device since open().
    closeOutput();
    if (m_started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioSystem::open() {
    if (!m_started) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            m_error = SDL_GetError();
            return false;
        }
        m_started = true;
    }
    return openOutput(mixFormat());
}

bool SdlAudioSystem::openOutput(const WaveFormat& format) {
    if (m_device && m_format.channels == format.channels && m_format.bitsPerSample == format.bitsPerSample &&
        m_format.samplesPerSec == format.samplesPerSec) {
        return true;
    }
    closeOutput();
    if (!m_started) {
        m_error = "audio not started";
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samplesPerSec);
    want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = blockFrames(format.samplesPerSec);
    want.callback = fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts the mix to what the hardware takes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        m_error = SDL_GetError();
        return false;
    }
    m_device = id;
    m_format = format;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

void SdlAudioSystem::closeOutput() {
    // Waits for a callback in progress.
    if (m_device) SDL_CloseAudioDevice(m_device);
    m_device = 0;
}

}  // namespace platform
