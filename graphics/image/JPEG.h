// Decodes a JPEG picture, from a file or from bytes in memory, into the engine's
// 16-bit pixels: 5-5-5 at depth 15, 5-6-5 at any other depth. The library's output is
// RGB (greyscale is converted); CMYK and YCCK pictures are refused. A fatal error of
// the library makes the decoder fail: it never exits, throws or writes a file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

class JPEG {
public:
    // Widest and tallest picture decoded.
    static constexpr int kMaxSide = 8192;
    // Progressive pictures with more scans than this are refused (each scan
    // re-reads the whole coefficient buffer).
    static constexpr int kMaxScans = 500;
    // Working memory of the library for one picture.
    static constexpr int64_t kMaxMemory = int64_t{256} * 1024 * 1024;

    // Opens the file (an engine path) and reads its header.
    explicit JPEG(const char* path);
    // Reads the header of the bytes, which stay the caller's and must outlive the decoder.
    JPEG(const char* data, size_t size);
    ~JPEG();
    JPEG(const JPEG&) = delete;
    JPEG& operator=(const JPEG&) = delete;

    // True once the header is read and decompression has started.
    bool isOk() const { return m_started; }
    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    // A new[] buffer of width x height 16-bit pixels at the depth, rows from the top;
    // null when the decoder failed now or before. Decodes once.
    char* decompress(int bpp);

    // The 16-bit pixel of an 8-bit RGB triple at the depth.
    static uint16_t pack(int r, int g, int b, int bpp);

private:
    struct State;
    bool start(const char* data, size_t size);
    void destroy();

    FILE* m_stream = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::unique_ptr<State> m_state;
    bool m_started = false;
};
