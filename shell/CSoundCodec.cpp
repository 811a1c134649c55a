#include "shell/CSoundCodec.h"

#include <sndfile.h>

#include <climits>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "platform/FileSystem.h"
#include "shell/RiffChunks.h"

CSoundCodec** CSoundCodec::codecs = nullptr;
int CSoundCodec::s_users = 0;

CSoundCodec::~CSoundCodec() { flush(); }

void CSoundCodec::flush() {
    delete m_data;
    m_data = nullptr;
}

void CSoundCodec::init_codecs() {
    if (s_users++ > 0) return;
    codecs = new CSoundCodec*[3]{nullptr, new CSoundCodec_PCM, new CSoundCodec_ADPCM};
}

void CSoundCodec::done_codecs() {
    if (s_users == 0 || --s_users > 0) return;
    for (int i = 0; i < 3; ++i) delete codecs[i];
    delete[] codecs;
    codecs = nullptr;
}

CSoundCodec* CSoundCodec::getCodec(int32_t tag) {
    if (!codecs || tag < 0 || tag > 2) return nullptr;
    return codecs[tag];
}

namespace {

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Chunk sizes are skipped as stored, without a pad byte.
RiffScanner scannerOver(CFile* file) {
    return RiffScanner(
        [file](int64_t offset, void* destination, int64_t count) -> int64_t {
            if (file->Seek(static_cast<int>(offset), 0) != 0) return 0;
            return file->Read(destination, static_cast<int>(count));
        },
        file->Length(), RiffScanner::Padding::kNone);
}

}  // namespace

bool CSoundCodec::findChunk(CFile* file, const char* id, uint32_t* size) {
    RiffScanner riff = scannerOver(file);
    riff.seek(file->Tell());
    RiffChunk chunk;
    if (!riff.find(id, &chunk) || file->Seek(static_cast<int>(chunk.offset), 0) != 0) return false;
    *size = chunk.size;
    return true;
}

bool CSoundCodec::readFormatTag(CFile* file, int32_t* tag) {
    RiffScanner riff = scannerOver(file);
    RiffChunk fmt;
    unsigned char t[2];
    if (!riff.readHeader() || !riff.find("fmt ", &fmt) || !riff.read(fmt.offset, t, 2)) return false;
    *tag = static_cast<int16_t>(le16(t));
    return file->Seek(0, 0) == 0;
}

void CSoundCodec_PCM::decode(CFile* file) {
    flush();
    m_format = platform::WaveFormat{};
    RiffScanner riff = scannerOver(file);
    RiffChunk fmt, data;
    if (!riff.readHeader() || !riff.find("fmt ", &fmt) || fmt.size < 16 || fmt.present != fmt.size) return;
    // The record holds 18 bytes; a longer chunk's rest is skipped.
    unsigned char f[18] = {};
    const uint32_t take = fmt.size < 18 ? fmt.size : 18;
    if (!riff.read(fmt.offset, f, take)) return;
    m_format.formatTag = le16(f);
    m_format.channels = le16(f + 2);
    m_format.samplesPerSec = byteorder::readLE32(f + 4);
    m_format.avgBytesPerSec = byteorder::readLE32(f + 8);
    m_format.blockAlign = le16(f + 12);
    m_format.bitsPerSample = le16(f + 14);
    m_format.extraSize = take == 18 ? le16(f + 16) : 0;
    if (!riff.find("data", &data)) return;
    // A data chunk longer than the file keeps the whole blocks present.
    uint32_t bytes = data.present;
    if (bytes != data.size) {
        const uint32_t block = m_format.blockAlign ? m_format.blockAlign : 1;
        bytes = bytes / block * block;
    }
    m_data = new CDataBuffer(static_cast<int>(bytes), 1);
    if (bytes > 0 && !riff.read(data.offset, m_data->getBuffer(), bytes)) flush();
}

decltype(SndEntries::sf_open) CSoundCodec_ADPCM::sf_open = nullptr;
decltype(SndEntries::sf_readf_short) CSoundCodec_ADPCM::sf_readf_short = nullptr;
decltype(SndEntries::sf_close) CSoundCodec_ADPCM::sf_close = nullptr;

namespace {

void* libOpen(const char* path, int32_t mode, SndInfo* info) {
    SF_INFO i{};
    SNDFILE* f = ::sf_open(path, mode, &i);
    if (info) {
        info->frames = i.frames;
        info->samplerate = i.samplerate;
        info->channels = i.channels;
        info->format = i.format;
        info->sections = i.sections;
        info->seekable = i.seekable;
    }
    return f;
}
int64_t libReadShort(void* h, int16_t* samples, int64_t frames) {
    return ::sf_readf_short(static_cast<SNDFILE*>(h), samples, frames);
}
int32_t libClose(void* h) { return ::sf_close(static_cast<SNDFILE*>(h)); }

}  // namespace

SndEntries& CSoundCodec_ADPCM::library() {
    static SndEntries entries{&libOpen, &libReadShort, &libClose};
    return entries;
}

void CSoundCodec_ADPCM::initialize(CWindow*) {
    sf_open = library().sf_open;
    sf_readf_short = library().sf_readf_short;
    sf_close = library().sf_close;
}

void CSoundCodec_ADPCM::done() {
    sf_open = nullptr;
    sf_readf_short = nullptr;
    sf_close = nullptr;
}

void CSoundCodec_ADPCM::decode(CFile* file) {
    flush();
    m_format = platform::WaveFormat{};
    if (!isLoaded()) initialize(nullptr);
    if (!isLoaded()) return;
    const std::string path = platform::toNativePath(file->getFilePath().c_str());
    SndInfo info{};
    void* h = sf_open(path.c_str(), SFM_READ, &info);
    if (!h) return;
    // The decoded size must be a byte count of 32 bits that a buffer can hold.
    const int64_t bytes = info.frames * int64_t(info.channels) * 2;
    if (info.channels >= 1 && info.channels <= 2 && info.frames >= 0 && bytes <= INT_MAX &&
        info.samplerate > 0) {
        m_format.formatTag = platform::kWaveFormatPcm;
        m_format.channels = static_cast<uint16_t>(info.channels);
        m_format.samplesPerSec = static_cast<uint32_t>(info.samplerate);
        m_format.bitsPerSample = 16;
        m_format.blockAlign = static_cast<uint16_t>(info.channels * 2);
        m_format.avgBytesPerSec = m_format.blockAlign * m_format.samplesPerSec;
        m_data = new CDataBuffer(static_cast<int>(bytes), 1);
        if (bytes > 0) {
            int64_t got = sf_readf_short(h, reinterpret_cast<int16_t*>(m_data->getBuffer()), info.frames);
            if (got < 0) got = 0;
            if (got < info.frames) {
                std::memset(m_data->getBuffer() + got * m_format.blockAlign, 0,
                            static_cast<size_t>(bytes - got * m_format.blockAlign));
            }
        }
    }
    sf_close(h);
}
