// Decoders that turn a WAV file into plain PCM for a sound buffer, chosen by the
// file's WAVE format tag: 1 is read as it is, 2 (ADPCM) is decoded by libsndfile
// through a table of three entry points, which tests may empty to stand for a
// missing decoder. One codec object per format serves every load in turn (loads
// run on the host thread, one at a time).
#pragma once
#include <cstdint>

#include "foundation/CDataBuffer.h"
#include "foundation/CXString.h"
#include "platform/Audio.h"

class CFile;
class CWindow;

class CSoundCodec {
public:
    CSoundCodec() = default;
    virtual ~CSoundCodec();
    CSoundCodec(const CSoundCodec&) = delete;
    CSoundCodec& operator=(const CSoundCodec&) = delete;

    // Releases the decoded data.
    virtual void flush();
    // Fills the decoded data and the format record from an open file, read from its
    // start; a file it cannot decode leaves no data.
    virtual void decode(CFile* file) = 0;
    // The format of the decoded data.
    virtual platform::WaveFormat* getDesc() = 0;
    CDataBuffer* getBufferIfc() { return m_data; }

    // The table: none, PCM, ADPCM, indexed by format tag. Every init_codecs has its
    // done_codecs (two applications may overlap); the last done_codecs empties it.
    static void init_codecs();
    static void done_codecs();
    static CSoundCodec* getCodec(int32_t tag);

    // The load's header scan: checks "RIFF"/"WAVE", finds "fmt " and reads its
    // format tag as a signed 16-bit number, then seeks back to the start. False for
    // a file that is not RIFF/WAVE or ends before "fmt ".
    static bool readFormatTag(CFile* file, int32_t* tag);
    // From the current position (just behind a chunk header or the RIFF header),
    // skips chunks up to the one named id and leaves the position behind its
    // header; false when the file ends first.
    static bool findChunk(CFile* file, const char* id, uint32_t* size);

protected:
    CDataBuffer* m_data = nullptr;

private:
    static CSoundCodec** codecs;
    static int s_users;
};

class CSoundCodec_PCM : public CSoundCodec {
public:
    void decode(CFile* file) override;
    platform::WaveFormat* getDesc() override { return &m_format; }

protected:
    platform::WaveFormat m_format;
};

// The decoder's entry points, named and typed as libsndfile's.
struct SndInfo {
    int64_t frames;
    int32_t samplerate;
    int32_t channels;
    int32_t format;
    int32_t sections;
    int32_t seekable;
};
struct SndEntries {
    void* (*sf_open)(const char* path, int32_t mode, SndInfo* info) = nullptr;
    int64_t (*sf_readf_short)(void* handle, int16_t* samples, int64_t frames) = nullptr;
    int32_t (*sf_close)(void* handle) = nullptr;
};

class CSoundCodec_ADPCM : public CSoundCodec {
public:
    // Decodes by path, so the file must lie on disk.
    void decode(CFile* file) override;
    platform::WaveFormat* getDesc() override { return &m_format; }

    // Takes the entry points from the linked library (again, if taken already).
    static void initialize(CWindow* window);
    static void done();
    static bool isLoaded() { return sf_open != nullptr && sf_readf_short != nullptr && sf_close != nullptr; }

    static decltype(SndEntries::sf_open) sf_open;
    static decltype(SndEntries::sf_readf_short) sf_readf_short;
    static decltype(SndEntries::sf_close) sf_close;
    // What initialize takes the entry points from; a test empties it to stand for
    // a decoder that cannot be loaded.
    static SndEntries& library();

protected:
    platform::WaveFormat m_format;
};
