#include "net/COggConverter.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cinttypes>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SafeFiles.h"

namespace {

constexpr int kBufferSize = 4096;
constexpr int kMaxHolesInARow = 64;
constexpr int kWavHeaderSize = 44;

size_t readFile(void* data, size_t size, size_t count, void* source) {
    return std::fread(data, size, count, static_cast<FILE*>(source));
}
int seekFile(void* source, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<FILE*>(source), static_cast<off_t>(offset), whence);
}
int closeFile(void* source) { return std::fclose(static_cast<FILE*>(source)); }
long tellFile(void* source) { return static_cast<long>(ftello(static_cast<FILE*>(source))); }

void put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void put32(uint8_t* at, uint32_t value) {
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

void wavHeader(uint8_t* header, int channels, uint32_t rate, uint32_t dataBytes) {
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);
    put16(header + 20, 1);
    put16(header + 22, static_cast<uint32_t>(channels));
    put32(header + 24, rate);
    put32(header + 28, rate * static_cast<uint32_t>(channels) * 2);
    put16(header + 32, static_cast<uint32_t>(channels) * 2);
    put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, dataBytes);
}

// What the decoder tells of a stream it opened: its comments, the file and the
// stream's format on the error stream, the file's path on the output stream.
void writeDiagnostics(OggVorbis_File* stream, const vorbis_info* info, const char* sourcePath) {
    const vorbis_comment* comments = ov_comment(stream, -1);
    if (comments)
        for (int i = 0; i < comments->comments; ++i) {
            if (comments->user_comments[i] && comments->comment_lengths[i] > 0)
                std::fwrite(comments->user_comments[i], 1, static_cast<size_t>(comments->comment_lengths[i]), stderr);
            std::fputc('\n', stderr);
        }
    std::fprintf(stdout, "%s\n", sourcePath ? sourcePath : "");
    std::fflush(stdout);
    const int64_t rate = info->rate;
    const int64_t samples = ov_pcm_total(stream, -1);
    std::fprintf(stderr, "\nBitstream is %d channel, %" PRId64 "Hz\n", info->channels, rate);
    std::fprintf(stderr, "\nDecoded length: %" PRId64 " samples\n", samples);
    std::fprintf(stderr, "Encoded by: %s\n\n", comments && comments->vendor ? comments->vendor : "");
}

}  // namespace

bool COggConverter::Encode(CXString source, CXString destination) {
    const std::string from = platform::toNativePath(source.c_str());
    const std::string to = platform::toNativePath(destination.c_str());
    const int status = platform::runProgram({kEncoder, "-Q", from, "-o", to});
    platform::invalidateDirectoryCache();
    return status == 0 && platform::fileSize(destination.c_str()) > 0;
}

bool COggConverter::Decode(CXString source, CXString destination) {
    FILE* in = platform::fopen(source.c_str(), "rb");
    if (!in) return false;
    FILE* out = platform::fopen(destination.c_str(), "w+b");
    if (!out) {
        std::fclose(in);
        return false;
    }
    const bool ok = DecodeStream(in, out, source.c_str());
    const bool closed = std::fclose(out) == 0;
    return ok && closed;
}

bool COggConverter::DecodeStream(FILE* source, FILE* destination, const char* sourcePath) {
    OggVorbis_File stream;
    const ov_callbacks callbacks = {&readFile, &seekFile, &closeFile, &tellFile};
    if (std::fseek(source, 0, SEEK_SET) != 0 || ov_open_callbacks(source, &stream, nullptr, 0, callbacks) != 0) {
        std::fclose(source);
        std::fputs("Input does not appear to be an Ogg bitstream.\n", stderr);
        return false;
    }
    const vorbis_info* info = ov_info(&stream, -1);
    if (info) writeDiagnostics(&stream, info, sourcePath);
    bool ok = info && info->channels > 0 && info->channels <= 255 && info->rate > 0;
    const int channels = ok ? info->channels : 0;
    const uint32_t rate = ok ? static_cast<uint32_t>(info->rate) : 0;
    uint8_t header[kWavHeaderSize] = {};
    ok = ok && std::fseek(destination, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof header, destination) == sizeof header;
    int64_t total = 0;
    int holes = 0;
    char buffer[kBufferSize];
    while (ok) {
        int section = 0;
        const long got = ov_read(&stream, buffer, kBufferSize, 0, 2, 1, &section);
        if (got == 0) break;
        if (got < 0) {
            // A hole in the stream is passed over; a stream of nothing else is damaged.
            ok = ++holes < kMaxHolesInARow;
            continue;
        }
        holes = 0;
        total += got;
        if (total > kMaxDecodedBytes) {
            ok = false;
            break;
        }
        ok = std::fwrite(buffer, 1, static_cast<size_t>(got), destination) == static_cast<size_t>(got);
    }
    ov_clear(&stream);
    if (!ok) return false;
    wavHeader(header, channels, rate, static_cast<uint32_t>(total));
    return std::fseek(destination, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof header, destination) == sizeof header &&
           std::fflush(destination) == 0;
}
