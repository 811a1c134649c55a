#include "shell/CWAVFile.h"

#include <cstring>

#include "foundation/ByteOrder.h"
#include "platform/FileSystem.h"
#include "shell/RiffChunks.h"

namespace {

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Chunks are word-aligned, as the writer pads them.
RiffScanner scannerOver(FILE* f) {
    int64_t length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    return RiffScanner(
        [f](int64_t offset, void* destination, int64_t count) -> int64_t {
            if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return 0;
            return static_cast<int64_t>(std::fread(destination, 1, static_cast<size_t>(count), f));
        },
        length, RiffScanner::Padding::kWord);
}

}  // namespace

CWAVFile::~CWAVFile() { close(); }

int32_t CWAVFile::open(const char* name, const platform::WaveFormat* format, int32_t mode,
                       const uint8_t* extra) {
    if (!name) return kBadArgument;
    close();
    m_hasFormat = false;
    m_extra.clear();
    m_size = 0;
    m_mode = mode == kModeRead ? kModeRead : kModeWrite;
    if (m_mode == kModeRead) {
        m_file = platform::fopen(name, "rb");
        if (!m_file) return kFailed;
        int32_t r = readHeader();
        if (r == kOk) r = resetFile();
        if (r != kOk) {
            std::fclose(m_file);
            m_file = nullptr;
        }
        return r;
    }
    if (!format) return kBadArgument;
    m_format = *format;
    m_hasFormat = true;
    if (m_format.formatTag != platform::kWaveFormatPcm) {
        m_extra.assign(m_format.extraSize, 0);
        if (extra) std::memcpy(m_extra.data(), extra, m_extra.size());
    }
    // Written beside the file and renamed over it at close: a file that did not come
    // out whole never takes the old one's place.
    m_writer = std::make_unique<platform::AtomicFileWriter>(name);
    int32_t r = m_writer->good() ? writeHeader() : kFailed;
    if (r == kOk) r = resetFile();
    if (r != kOk) m_writer.reset();
    return r;
}

int32_t CWAVFile::readHeader() {
    RiffScanner riff = scannerOver(m_file);
    RiffChunk fmt;
    uint8_t f[16];
    if (!riff.readHeader() || !riff.find("fmt ", &fmt) || fmt.size < 16 || !riff.read(fmt.offset, f, 16)) return kFailed;
    m_format.formatTag = get16(f);
    m_format.channels = get16(f + 2);
    m_format.samplesPerSec = byteorder::readLE32(f + 4);
    m_format.avgBytesPerSec = byteorder::readLE32(f + 8);
    m_format.blockAlign = get16(f + 12);
    m_format.bitsPerSample = get16(f + 14);
    m_format.extraSize = 0;
    if (m_format.formatTag != platform::kWaveFormatPcm) {
        uint8_t e[2];
        if (fmt.size < 18 || !riff.read(fmt.offset + 16, e, 2)) return kFailed;
        m_format.extraSize = get16(e);
        if (18u + m_format.extraSize > fmt.size) return kFailed;
        m_extra.resize(m_format.extraSize);
        if (!riff.read(fmt.offset + 18, m_extra.data(), static_cast<int64_t>(m_extra.size()))) return kFailed;
    }
    m_hasFormat = true;
    return kOk;
}

int32_t CWAVFile::writeHeader() {
    const uint32_t fmtSize = m_format.formatTag == platform::kWaveFormatPcm ? 16u : 18u + m_format.extraSize;
    std::vector<uint8_t> h(12 + 8 + fmtSize + 12, 0);
    std::memcpy(&h[0], "RIFF", 4);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    byteorder::writeLE32(&h[16], fmtSize);
    uint8_t* f = &h[20];
    put16(f, m_format.formatTag);
    put16(f + 2, m_format.channels);
    byteorder::writeLE32(f + 4, m_format.samplesPerSec);
    byteorder::writeLE32(f + 8, m_format.avgBytesPerSec);
    put16(f + 12, m_format.blockAlign);
    put16(f + 14, m_format.bitsPerSample);
    if (fmtSize > 16) {
        put16(f + 16, m_format.extraSize);
        if (!m_extra.empty()) std::memcpy(f + 18, m_extra.data(), m_extra.size());
    }
    uint8_t* fact = f + fmtSize;
    std::memcpy(fact, "fact", 4);
    byteorder::writeLE32(fact + 4, 4);
    byteorder::writeLE32(fact + 8, 0xFFFFFFFFu);
    m_factValue = fact + 8 - h.data();
    return m_writer->write(h.data(), h.size()) ? kOk : kFailed;
}

int32_t CWAVFile::resetFile() {
    if (m_mode == kModeRead) {
        RiffScanner riff = scannerOver(m_file);
        RiffChunk data;
        if (!riff.readHeader() || !riff.find("data", &data) || std::fseek(m_file, static_cast<long>(data.offset), SEEK_SET) != 0)
            return kFailed;
        m_size = data.size;
        m_dataStart = static_cast<int64_t>(data.offset);
        return kOk;
    }
    static const uint8_t header[8] = {'d', 'a', 't', 'a', 0, 0, 0, 0};
    if (!m_writer->write(header, 8)) return kFailed;
    m_dataStart = m_writer->size();
    m_size = 0;
    return kOk;
}

int32_t CWAVFile::write(uint32_t count, const uint8_t* bytes, uint32_t* written) {
    if (!m_writer || m_mode != kModeWrite) return kNoFile;
    if (!bytes || !written) return kBadArgument;
    *written = 0;
    if (count > 0xFFFFFFFFu - 64 - m_size) return kFailed;  // the RIFF size must fit 32 bits
    // A write that does not fit fails the whole file: close then reports it.
    if (!m_writer->write(bytes, count)) return kFailed;
    *written = count;
    m_size += count;
    return kOk;
}

int32_t CWAVFile::close() {
    if (m_mode == kModeRead) {
        if (m_file) std::fclose(m_file);
        m_file = nullptr;
        return kOk;
    }
    if (!m_writer) return kNoFile;
    const std::unique_ptr<platform::AtomicFileWriter> writer = std::move(m_writer);
    uint8_t value[4];
    auto patch = [&](int64_t offset, uint32_t v) {
        byteorder::writeLE32(value, v);
        return writer->writeAt(offset, value, 4);
    };
    const uint8_t pad = 0;
    if ((m_size & 1) && !writer->write(&pad, 1)) return kFailed;
    const uint32_t total = static_cast<uint32_t>(m_dataStart) + m_size + (m_size & 1);
    if (!patch(m_dataStart - 4, m_size) || !patch(4, total - 8) || !patch(m_factValue, 0) || !writer->commit())
        return kFailed;
    return kOk;
}
