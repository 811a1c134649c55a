// Converts sound files of package archives: Encode runs the outside encoder
// ("oggenc", found on PATH) on a WAV file; Decode turns an Ogg Vorbis stream into a
// 16-bit PCM WAV file, streaming, and fails past kMaxDecodedBytes of samples.
#pragma once
#include <cstdint>
#include <cstdio>

#include "foundation/CXString.h"

class COggConverter {
public:
    static constexpr int64_t kMaxDecodedBytes = int64_t(1) << 30;
    static constexpr const char* kEncoder = "oggenc";

    virtual ~COggConverter() = default;

    // True when the encoder ran, exited with 0 and left the destination.
    bool Encode(CXString source, CXString destination);
    // Engine paths; true when the whole stream was decoded into the destination.
    bool Decode(CXString source, CXString destination);
    // The same on open streams: the source is taken over (closed here in every case);
    // the destination stays open, written from its start. An opened stream's comments
    // and format go to stderr and the source's path (an engine path) to stdout.
    static bool DecodeStream(FILE* source, FILE* destination, const char* sourcePath);
};
