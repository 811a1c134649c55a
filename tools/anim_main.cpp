// vondrel-anim: PNG frames and a text manifest to an animation file.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/AnimationBuilder.h"

namespace {

void usage(FILE* out) {
    std::fputs(
        "usage: vondrel-anim [--code 0|4] [--depth 15|16] MANIFEST OUTPUT\n"
        "\n"
        "Builds an animation file from the PNG frames a manifest names.\n"
        "  --code 0|4     frames written plain (0, default) or run-length packed (4)\n"
        "  --depth 15|16  pixels as 5-5-5 or 5-6-5 words (default 16)\n"
        "\n"
        "Manifest lines ('#' starts a comment):\n"
        "  fps N | flags N | opacity N | author TEXT | description TEXT\n"
        "  frame FILE.png [X Y]\n"
        "  event NAME\n"
        "    frames N N ...\n"
        "    loop START END [COUNT]\n"
        "    fps N | flags N | opacity N\n"
        "    position P [name=TEXT] [step=DX,DY] [sound=FILE] [opacity=N]\n"
        "  end\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    tools::AnimationOptions options;
    std::string files[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if ((arg == "--code" || arg == "--depth") && i + 1 < argc) {
            const std::string value = argv[++i];
            int* target = arg == "--code" ? &options.code : &options.depth;
            *target = value == "0" ? 0 : value == "4" ? 4 : value == "15" ? 15 : value == "16" ? 16 : -1;
            continue;
        }
        if (arg.rfind("--", 0) == 0 || count == 2) {
            std::fprintf(stderr, "vondrel-anim: unexpected argument \"%s\"\n", argv[i]);
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
    if (!tools::buildAnimation(files[0], files[1], options, &error)) {
        std::fprintf(stderr, "vondrel-anim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
