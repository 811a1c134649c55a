// vondrel-img: a PNG to an engine image file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/ImageConverter.h"

namespace {

void usage(FILE* out) {
    std::fputs(
        "usage: vondrel-img [--depth 15|16] [--code 0|4] [--position X,Y] INPUT.png OUTPUT.img\n"
        "\n"
        "Converts a PNG into an engine image file.\n"
        "  --depth 15|16    pixels as 5-5-5 or 5-6-5 words (default 16)\n"
        "  --code 0|4       written plain (0, default) or run-length packed (4)\n"
        "  --position X,Y   the image's position (default 0,0)\n"
        "The PNG's alpha becomes the alpha plane; a fully opaque PNG gets none.\n",
        out);
}

bool number(const std::string& text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < -1000000 || v > 1000000) return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tools::ImageOptions options;
    std::string files[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if ((arg == "--depth" || arg == "--code" || arg == "--position") && i + 1 < argc) {
            const std::string value = argv[++i];
            bool ok = false;
            if (arg == "--depth") ok = number(value, &options.depth);
            if (arg == "--code") ok = number(value, &options.code);
            if (arg == "--position") {
                const size_t comma = value.find(',');
                ok = comma != std::string::npos && number(value.substr(0, comma), &options.x) &&
                     number(value.substr(comma + 1), &options.y);
            }
            if (!ok) {
                std::fprintf(stderr, "vondrel-img: bad value \"%s\" for %s\n", value.c_str(), arg.c_str());
                return 2;
            }
            continue;
        }
        if (arg.rfind("--", 0) == 0 || count == 2) {
            std::fprintf(stderr, "vondrel-img: unexpected argument \"%s\"\n", argv[i]);
            usage(stderr);
            return 2;
        }
        files[count++] = arg;
    }
    if (count != 2) {
        usage(stderr);
        return 2;
    }
    std::string error;
    if (!tools::convertPngToImage(files[0], files[1], options, &error)) {
        std::fprintf(stderr, "vondrel-img: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
