#include "shell/CStreamedWAV.h"

#include <algorithm>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/CBigFile.h"
#include "foundation/CFile.h"
#include "platform/FileSystem.h"
#include "shell/CSound4.h"
#include "shell/RiffChunks.h"

namespace {

constexpr uint32_t kStreamFlags = platform::kBufferCtrlFrequency | platform::kBufferCtrlPan | platform::kBufferCtrlVolume;
// The buffer holds this many milliseconds of sound.
constexpr uint64_t kBufferMs = 1200;

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

CStreamedWAV::CStreamedWAV(CWindow* window, CXString fileName, platform::IAudioBuffer** buffer,
                           platform::WaveFormat* format)
    : m_window(window), m_format(format) {
    Open(fileName);
    if (buffer) *buffer = m_buffer.get();
}

CStreamedWAV::~CStreamedWAV() { Flush(); }

void CStreamedWAV::Close() { m_file.reset(); }

void CStreamedWAV::Flush() {
    m_file.reset();
    m_buffer.reset();
}

bool CStreamedWAV::Open(CXString fileName) {
    Flush();
    m_bigFile = nullptr;
    m_inBigFile = false;
    m_baseOffset = 0;
    m_readOffset = 0;
    m_dataSize = 0;
    m_dataStart = 0;
    m_bufferSize = 0;
    setErrorCode(0);
    auto file = std::make_unique<CFile>(m_window, fileName, CFile::kReadBinary);
    if (file->LastError() == 0 && file->GetHandle()) {
        m_file = std::move(file);
        const int length = m_file->Length();
        return readHeader(length > 0 ? static_cast<uint32_t>(length) : 0);
    }
    CBigFile* big = CFile::getBigFileIfc();
    int size = 0;
    const int offset = big ? big->Locate(fileName, &size) : -1;
    if (offset < 0) {
        setErrorCode(kErrorNotFound);
        return false;
    }
    m_bigFile = big;
    m_inBigFile = true;
    m_baseOffset = offset;
    return readHeader(static_cast<uint32_t>(size));
}

int CStreamedWAV::readAt(uint32_t offset, void* destination, int count) {
    if (count <= 0) return 0;
    const int64_t at = m_baseOffset + offset;
    int64_t got = -1;
    if (m_inBigFile) {
        got = m_bigFile ? m_bigFile->ReadAt(at, destination, count) : -1;
    } else if (m_file) {
        got = platform::readAt(m_file->GetHandle(), at, destination, static_cast<size_t>(count));
    }
    return got > 0 ? static_cast<int>(got) : 0;
}

bool CStreamedWAV::readHeader(uint32_t length) {
    auto fail = [this](int code) {
        setErrorCode(code);
        return false;
    };
    RiffScanner riff([this](int64_t offset, void* destination, int64_t count) {
        return int64_t(readAt(static_cast<uint32_t>(offset), destination, static_cast<int>(count)));
    }, length, RiffScanner::Padding::kNone);
    RiffChunk fmt, data;
    if (!riff.readHeader() || !riff.find("fmt ", &fmt) || fmt.size < 16 || fmt.present != fmt.size)
        return fail(kErrorFormat);
    // The record holds 18 bytes; a longer chunk's rest is skipped.
    unsigned char f[18] = {};
    const uint32_t take = std::min<uint32_t>(fmt.size, 18);
    if (!riff.read(fmt.offset, f, take)) return fail(kErrorFormat);
    platform::WaveFormat format;
    format.formatTag = le16(f);
    format.channels = le16(f + 2);
    format.samplesPerSec = byteorder::readLE32(f + 4);
    format.avgBytesPerSec = byteorder::readLE32(f + 8);
    format.blockAlign = le16(f + 12);
    format.bitsPerSample = le16(f + 14);
    format.extraSize = take == 18 ? le16(f + 16) : 0;
    if (format.formatTag != platform::kWaveFormatPcm || !riff.find("data", &data)) return fail(kErrorFormat);
    if (m_format) *m_format = format;
    const uint32_t block = format.blockAlign ? format.blockAlign : 1;
    m_dataStart = static_cast<uint32_t>(data.offset);
    // A chunk longer than the file keeps the whole blocks present.
    m_dataSize = data.present;
    if (m_dataSize != data.size) m_dataSize = m_dataSize / block * block;
    m_readOffset = 0;

    // 1.2 seconds of sound, in whole blocks.
    const uint64_t bytes = uint64_t(format.avgBytesPerSec) * kBufferMs / 1000 / block * block;
    m_bufferSize = bytes > platform::kBufferBytesMax ? 0 : static_cast<uint32_t>(bytes);
    platform::IAudioDevice* device = CSound4::getDevice();
    if (!device) return fail(kErrorBuffer);
    std::unique_ptr<platform::IAudioBuffer> buffer;
    if (device->createBuffer({kStreamFlags, m_bufferSize, &format}, &buffer) != platform::kAudioOk || !buffer)
        return fail(kErrorBuffer);
    m_buffer = std::move(buffer);
    return true;
}

void CStreamedWAV::StartRead() { m_readOffset = 0; }

int CStreamedWAV::Read(int count, void* destination) {
    if (count <= 0 || !destination || m_readOffset >= m_dataSize) return 0;
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(count), m_dataSize - m_readOffset);
    const int got = readAt(m_dataStart + m_readOffset, destination, static_cast<int>(n));
    m_readOffset += static_cast<uint32_t>(got);
    return got;
}

void CStreamedWAV::setPosition(int32_t position) {
    const uint32_t block = m_format && m_format->blockAlign ? m_format->blockAlign : 1;
    uint32_t p = position < 0 ? 0 : static_cast<uint32_t>(position);
    p = std::min(p, m_dataSize) / block * block;
    m_readOffset = p;
}
