// vondrel-font: an animation of letter frames to a font file.
#include "tools/Cli.h"
#include "tools/FontBuilder.h"

int main(int argc, char** argv) {
    tools::Cli cli("vondrel-font", "ANIMATION OUTPUT",
                   "Builds a bitmap font file from an animation whose frames are the letters.",
                   "The letters are the names of the first event's frames (vondrel-anim's\n"
                   "'position P name=X'); frames must share one size, and a one-pixel border\n"
                   "of every frame is left clear.\n");
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 2, 2, &files); status >= 0) return status;
    std::string error;
    if (!tools::buildFont(files[0], files[1], &error)) return cli.fail(error);
    return 0;
}
