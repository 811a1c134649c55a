#include "tools/AviWriter.h"

namespace tools {

namespace {

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

// A chunk: its code, size and body, padded to an even length.
std::string chunk(const char* code, const std::string& body) {
    std::string out(code, 4);
    put32(out, static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() & 1) out.push_back('\0');
    return out;
}

std::string list(const char* type, const std::string& body) { return chunk("LIST", std::string(type, 4) + body); }

}  // namespace

std::string rawAvi(int32_t width, int32_t height, int32_t fps, const std::vector<std::string>& frames) {
    if (width <= 0 || height <= 0 || fps <= 0) return std::string();
    const size_t row = static_cast<size_t>(width) * 3;
    const size_t stride = (row + 3) & ~size_t{3};
    const uint32_t frameBytes = static_cast<uint32_t>(stride * static_cast<size_t>(height));
    const uint32_t count = static_cast<uint32_t>(frames.size());

    std::string avih;
    put32(avih, static_cast<uint32_t>(1000000 / fps));  // microseconds a frame
    put32(avih, frameBytes * static_cast<uint32_t>(fps));
    put32(avih, 0);
    put32(avih, 0x10);  // has an index
    put32(avih, count);
    put32(avih, 0);
    put32(avih, 1);  // streams
    put32(avih, frameBytes);
    put32(avih, static_cast<uint32_t>(width));
    put32(avih, static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i) put32(avih, 0);

    std::string strh("vidsDIB ", 8);
    put32(strh, 0);  // flags
    put16(strh, 0);  // priority
    put16(strh, 0);  // language
    put32(strh, 0);  // initial frames
    put32(strh, 1);  // scale
    put32(strh, static_cast<uint32_t>(fps));
    put32(strh, 0);  // start
    put32(strh, count);
    put32(strh, frameBytes);
    put32(strh, 0xFFFFFFFFu);  // quality
    put32(strh, 0);            // sample size
    put16(strh, 0);
    put16(strh, 0);
    put16(strh, static_cast<uint16_t>(width));
    put16(strh, static_cast<uint16_t>(height));

    std::string strf;
    put32(strf, 40);
    put32(strf, static_cast<uint32_t>(width));
    put32(strf, static_cast<uint32_t>(height));  // positive: rows bottom-up
    put16(strf, 1);
    put16(strf, 24);
    put32(strf, 0);  // no compression
    put32(strf, frameBytes);
    for (int i = 0; i < 4; ++i) put32(strf, 0);

    const std::string hdrl = list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));

    std::string movi;
    std::string index;
    for (const std::string& frame : frames) {
        if (frame.size() != row * static_cast<size_t>(height)) return std::string();
        std::string body;
        body.reserve(frameBytes);
        for (int32_t y = height - 1; y >= 0; --y) {
            body.append(frame, static_cast<size_t>(y) * row, row);
            body.append(stride - row, '\0');
        }
        index += "00db";
        put32(index, 0x10);  // key frame
        put32(index, static_cast<uint32_t>(4 + movi.size()));  // from the "movi" code
        put32(index, frameBytes);
        movi += chunk("00db", body);
    }
    std::string body = "AVI " + hdrl + list("movi", movi) + chunk("idx1", index);
    return chunk("RIFF", body);
}

}  // namespace tools
