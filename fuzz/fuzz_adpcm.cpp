// ADPCM sound decoding: the input is written to a file and decoded by the ADPCM
// codec as a sound effect's load does. Decoded data must be whole 16-bit frames of
// the format it reports, and a failed decode must leave none.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/CFile.h"
#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"
#include "shell/CSoundCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSoundCodec_ADPCM codec;
    const std::string path = fuzz::scratchFile("adpcm");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    CFile file(nullptr, CXString(platform::toEnginePath(path).c_str()), CFile::kRead | CFile::kBinary);
    if (file.LastError() != 0) return 0;
    codec.decode(&file);
    if (CDataBuffer* decoded = codec.getBufferIfc()) {
        const platform::WaveFormat* format = codec.getDesc();
        if (format->formatTag != platform::kWaveFormatPcm || format->bitsPerSample != 16 ||
            (format->channels != 1 && format->channels != 2) || format->blockAlign != format->channels * 2 ||
            decoded->getCount() % format->blockAlign != 0)
            std::abort();
        // Touch the last byte so that a short buffer shows.
        if (decoded->getCount() > 0) decoded->getBuffer()[decoded->getCount() - 1] ^= 1;
    }
    codec.flush();
    file.Close();
    return 0;
}
