// Sound effects from a file: the WAV writer's header reader, then the load a SOUND
// makes (the RIFF scan for the format tag, the PCM or ADPCM codec, the buffer on
// the manual audio device), played and stopped on the manual clock.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shell/CSound4.h"
#include "shell/CSoundCodec.h"
#include "shell/CWAVFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::ManualAudioSystem audio;
    static platform::ManualClock clock(1000);
    static bool installed = false;
    if (!installed) {
        audio.setRecording(false);
        platform::setAudio(&audio);
        platform::setClock(&clock);
        CSound4::CreateDirectSoundInterface(nullptr);
        CSoundCodec::init_codecs();
        installed = true;
    }
    const std::string path = fuzz::scratchFile("soundfx");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    const std::string name = platform::toEnginePath(path);

    {
        CWAVFile reader;
        if (reader.open(name.c_str(), nullptr, CWAVFile::kModeRead) == CWAVFile::kOk) {
            const platform::WaveFormat* format = reader.getFormat();
            if (!format || reader.getExtra().size() != format->extraSize || reader.getExtra().size() > size) std::abort();
        }
    }

    CSound4 sound(nullptr, CXString(name.c_str()), false, true);
    sound.Play();
    for (uint32_t ms : {10u, 300u, 5000u}) {
        clock.advance(ms);
        sound.IsPlaying();
    }
    sound.pause();
    sound.resume();
    sound.Play(true);
    clock.advance(40);
    sound.Stop();
    return 0;
}
