// Streamed music reader: the input is written to a file and opened as music on the
// manual audio device; an opened file must hand out exactly its data, within the
// file, and a stream over it must survive refills looped and unlooped on the manual
// timer and clock.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"
#include "platform/PeriodicTimer.h"
#include "shell/CSndStream.h"
#include "shell/CSound4.h"
#include "shell/CStreamedWAV.h"

namespace {

std::string scratchFile() { return fuzz::scratchFile("streamedwav"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::ManualAudioSystem audio;
    static platform::ManualClock clock(1000);
    static platform::ManualPeriodicTimer timer;
    static bool installed = false;
    if (!installed) {
        platform::setAudio(&audio);
        platform::setClock(&clock);
        platform::setPeriodicTimer(&timer);
        CSound4::CreateDirectSoundInterface(nullptr);
        installed = true;
    }
    audio.clearCalls();
    const std::string path = scratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    const CXString name(platform::toEnginePath(path).c_str());

    {
        platform::IAudioBuffer* buffer = nullptr;
        platform::WaveFormat format;
        CStreamedWAV reader(nullptr, name, &buffer, &format);
        if (reader.LastError() == 0) {
            if (!buffer || reader.getDataSize() > size) std::abort();
            std::vector<uint8_t> chunk(4096);
            uint64_t total = 0;
            for (int got; (got = reader.Read(static_cast<int>(chunk.size()), chunk.data())) > 0;) total += got;
            if (total != reader.getDataSize()) std::abort();
        } else if (buffer) {
            std::abort();
        }
    }
    for (bool loop : {true, false}) {
        CSndStream stream(nullptr, name);
        if (stream.LastError() != 0) break;
        stream.Play(loop);
        for (uint32_t ms : {50u, 70u, 400u, 1300u, 50u}) {
            clock.advance(ms);
            timer.runDue();
        }
        stream.Stop();
        stream.Resume();
        clock.advance(60);
        timer.runDue();
    }
    return 0;
}
