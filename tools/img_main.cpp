// vondrel-img: a PNG to an engine image file.
#include "tools/Cli.h"
#include "tools/ImageConverter.h"

int main(int argc, char** argv) {
    tools::ImageOptions options;
    tools::Cli cli("vondrel-img", "INPUT.png OUTPUT.img", "Converts a PNG into an engine image file.",
                   "The PNG's alpha becomes the alpha plane; a fully opaque PNG gets none.\n");
    cli.choice("--depth", "15|16", "pixels as 5-5-5 or 5-6-5 words (default 16)", {15, 16}, &options.depth);
    cli.choice("--code", "0|4", "written plain (0, default) or run-length packed (4)", {0, 4}, &options.code);
    cli.option("--position", "X,Y", "the image's position (default 0,0)", [&](const std::string& value) {
        const size_t comma = value.find(',');
        return comma != std::string::npos &&
               tools::Cli::toInteger(value.substr(0, comma), -1000000, 1000000, &options.x) &&
               tools::Cli::toInteger(value.substr(comma + 1), -1000000, 1000000, &options.y);
    });
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 2, 2, &files); status >= 0) return status;
    std::string error;
    if (!tools::convertPngToImage(files[0], files[1], options, &error)) return cli.fail(error);
    return 0;
}
