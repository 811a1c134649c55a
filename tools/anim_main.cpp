// vondrel-anim: PNG frames and a text manifest to an animation file.
#include "tools/AnimationBuilder.h"
#include "tools/Cli.h"

int main(int argc, char** argv) {
    tools::AnimationOptions options;
    tools::Cli cli("vondrel-anim", "MANIFEST OUTPUT", "Builds an animation file from the PNG frames a manifest names.",
                   "Manifest lines ('#' starts a comment):\n"
                   "  fps N | flags N | opacity N | author TEXT | description TEXT\n"
                   "  frame FILE.png [X Y]\n"
                   "  event NAME\n"
                   "    frames N N ...\n"
                   "    loop START END [COUNT]\n"
                   "    fps N | flags N | opacity N\n"
                   "    position P [name=TEXT] [step=DX,DY] [sound=FILE] [opacity=N]\n"
                   "  end\n");
    cli.choice("--code", "0|4", "frames written plain (0, default) or run-length packed (4)", {0, 4}, &options.code);
    cli.choice("--depth", "15|16", "pixels as 5-5-5 or 5-6-5 words (default 16)", {15, 16}, &options.depth);
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 2, 2, &files); status >= 0) return status;
    std::string error;
    if (!tools::buildAnimation(files[0], files[1], options, &error)) return cli.fail(error);
    return 0;
}
