#include "tools/AnimationBuilder.h"
#include "tools/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/play/CAnimo.h"
#include "platform/Png.h"

namespace tools {

namespace {

bool parseInt(const std::string& word, long min, long max, int* out) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(word.c_str(), &end, 0);
    if (errno || *end || v < min || v > max) return false;
    *out = static_cast<int>(v);
    return true;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string restOf(const std::string& line, const std::string& keyword) {
    size_t at = line.find(keyword) + keyword.size();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    return line.substr(at);
}

uint16_t packPixel(const uint8_t* rgba, int depth) {
    const int r = rgba[0], g = rgba[1], b = rgba[2];
    if (depth == 15) return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

struct Builder {
    Builder(const AnimationOptions& o, std::string f) : options(o), folder(std::move(f)) {}
    const AnimationOptions& options;
    std::string folder;
    CAnimo animo{nullptr};
    _annEventInfo3* event = nullptr;
    struct Position {
        int event, position;
        _anmFrameInfo3 record;
    };
    std::vector<_annEventInfo3> events;
    std::vector<Position> positions;
    std::string error;

    bool fail(int line, const std::string& message) {
        error = "line " + std::to_string(line) + ": " + message;
        return false;
    }

    bool addFrame(int line, const std::vector<std::string>& w) {
        if (w.size() != 2 && w.size() != 4) return fail(line, "frame needs a file and optionally X Y");
        int x = 0, y = 0;
        if (w.size() == 4 && (!parseInt(w[2], -32768, 32767, &x) || !parseInt(w[3], -32768, 32767, &y)))
            return fail(line, "bad frame offset");
        platform::PngPicture image;
        std::string message;
        const std::string path = w[1].size() && w[1][0] == '/' ? w[1] : folder + w[1];
        if (!platform::readPng(path, 4, &image, &message, CImage::kMaxSide)) return fail(line, message);
        const size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
        CGraphicsObject picture(nullptr, CXSize(image.width, image.height), options.depth);
        char* alpha = new char[n];
        for (size_t i = 0; i < n; ++i) {
            const uint16_t v = packPixel(&image.pixels[i * 4], options.depth);
            picture.GetDataPtr()[2 * i] = static_cast<char>(v & 0xFF);
            picture.GetDataPtr()[2 * i + 1] = static_cast<char>(v >> 8);
            alpha[i] = static_cast<char>(image.pixels[i * 4 + 3]);
        }
        picture.GetChannelAlpha() = alpha;
        picture.GetChannelSize(3) = static_cast<int>(n);
        picture.SetPosition(x, y);
        animo.AddFrame(&picture);
        return true;
    }

    bool eventLine(int line, const std::vector<std::string>& w) {
        const std::string& k = w[0];
        if (k == "frames") {
            event->frames.clear();
            for (size_t i = 1; i < w.size(); ++i) {
                int f;
                if (!parseInt(w[i], 0, animo.GetNOF() - 1, &f)) return fail(line, "frame number not among the frames: " + w[i]);
                event->frames.push_back(static_cast<uint16_t>(f));
            }
            if (event->frames.size() > 65535) return fail(line, "too many positions");
            return true;
        }
        if (k == "loop") {
            int s, e, c = 0;
            if (w.size() < 3 || w.size() > 4 || !parseInt(w[1], 0, 65535, &s) || !parseInt(w[2], 0, 65535, &e) ||
                (w.size() == 4 && !parseInt(w[3], 0, 65535, &c)))
                return fail(line, "loop needs START END [COUNT]");
            event->loopStart = static_cast<uint16_t>(s);
            event->loopEnd = static_cast<uint16_t>(e);
            event->loopCount = static_cast<uint16_t>(c);
            return true;
        }
        int v;
        if (k == "fps" || k == "flags" || k == "opacity") {
            const long max = k == "opacity" ? 255 : 0x7FFFFFFF;
            if (w.size() != 2 || !parseInt(w[1], k == "fps" ? 1 : 0, max, &v)) return fail(line, "bad " + k);
            if (k == "fps") event->fps = v;
            if (k == "flags") event->flags = v;
            if (k == "opacity") event->opacity = static_cast<uint8_t>(v);
            return true;
        }
        if (k == "position") {
            Position p{static_cast<int>(events.size()), 0, {}};
            if (w.size() < 2 || !parseInt(w[1], 0, 65535, &p.position)) return fail(line, "position needs a number");
            for (size_t i = 2; i < w.size(); ++i) {
                const size_t eq = w[i].find('=');
                const std::string key = w[i].substr(0, eq), value = eq == std::string::npos ? "" : w[i].substr(eq + 1);
                if (key == "name" && !value.empty()) {
                    p.record.hasName = true;
                    p.record.name = value.c_str();
                } else if (key == "sound" && !value.empty()) {
                    p.record.hasSound = true;
                    p.record.sound = value.c_str();
                } else if (key == "step") {
                    const size_t comma = value.find(',');
                    int dx, dy;
                    if (comma == std::string::npos || !parseInt(value.substr(0, comma), -32768, 32767, &dx) ||
                        !parseInt(value.substr(comma + 1), -32768, 32767, &dy))
                        return fail(line, "step needs DX,DY");
                    p.record.dx = static_cast<int16_t>(dx);
                    p.record.dy = static_cast<int16_t>(dy);
                } else if (key == "opacity" && parseInt(value, 0, 255, &v)) {
                    p.record.opacity = static_cast<uint8_t>(v);
                } else {
                    return fail(line, "unknown position setting " + w[i]);
                }
            }
            positions.push_back(p);
            return true;
        }
        return fail(line, "unknown word in an event: " + k);
    }

    bool line(int number, const std::string& text) {
        std::istringstream in(text.substr(0, text.find('#')));
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        if (w.empty()) return true;
        const std::string& k = w[0];
        if (event) {
            if (k == "end") {
                events.push_back(*event);
                event = nullptr;
                return true;
            }
            return eventLine(number, w);
        }
        int v;
        if (k == "event") {
            if (w.size() != 2) return fail(number, "event needs one name");
            if (w[1].size() > 31) return fail(number, "event names have at most 31 characters");
            current = _annEventInfo3();
            current.name = w[1].c_str();
            event = &current;
            return true;
        }
        if (k == "frame") return addFrame(number, w);
        if (k == "author") {
            animo.Author() = restOf(text, "author").c_str();
            return true;
        }
        if (k == "description") {
            animo.Description() = restOf(text, "description").c_str();
            return true;
        }
        if (k == "fps" && w.size() == 2 && parseInt(w[1], 1, 1000, &v)) {
            animo.SetFPS(v);
            return true;
        }
        if (k == "flags" && w.size() == 2 && parseInt(w[1], 0, 0xFFFF00, &v) && (v & 0xFF) == 0) {
            animo.SetAnimoFlags(v);
            return true;
        }
        if (k == "opacity" && w.size() == 2 && parseInt(w[1], 0, 255, &v)) {
            animo.SetOpacity(static_cast<uint8_t>(v));
            return true;
        }
        return fail(number, "cannot read \"" + text + "\"");
    }

    _annEventInfo3 current;
};

}  // namespace

bool buildAnimation(const std::string& manifestPath, const std::string& outputPath, const AnimationOptions& options,
                    std::string* error) {
    auto fail = [&](const std::string& message) { return tools::report(error, message); };
    if (options.code != 0 && options.code != 4) return fail("compression must be 0 or 4");
    if (options.depth != 15 && options.depth != 16) return fail("depth must be 15 or 16");
    std::ifstream manifest(manifestPath);
    if (!manifest) return fail(manifestPath + ": cannot open the manifest");
    auto builder = std::make_unique<Builder>(options, folderOf(manifestPath));
    builder->animo.Author() = "";
    std::string text;
    for (int number = 1; std::getline(manifest, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (!builder->line(number, text)) return fail(manifestPath + ": " + builder->error);
    }
    if (builder->event) return fail(manifestPath + ": event without \"end\"");
    if (builder->animo.GetNOF() == 0) return fail(manifestPath + ": no frames");
    for (const _annEventInfo3& e : builder->events) builder->animo.AddEvent(e);
    for (const Builder::Position& p : builder->positions) {
        _anmFrameInfo3* rec = builder->animo.GetFrameInfo(p.event, p.position);
        if (!rec) return fail(manifestPath + ": position " + std::to_string(p.position) + " is not in its event");
        *rec = p.record;
    }
    const std::string temporary = temporaryFor(outputPath);
    if (temporary.empty()) return fail(outputPath + ": cannot write (" + std::strerror(errno) + ")");
    builder->animo.Save(CXString(temporary.c_str()), static_cast<_compression>(options.code));
    return finishOutput(temporary, outputPath, builder->animo.LastError() == 0, "cannot write the animation", error);
}

}  // namespace tools
