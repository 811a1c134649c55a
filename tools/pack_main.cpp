// vondrel-pack: a folder to a packed big file.
#include "tools/BigFilePacker.h"
#include "tools/Cli.h"

int main(int argc, char** argv) {
    std::string name;
    tools::Cli cli("vondrel-pack", "FOLDER OUTPUT", "Packs the folder tree into a big file the engine opens with --big-file.");
    cli.option("--name", "TEXT", "the name in the file's header (default the output's file name)",
               [&](const std::string& value) {
                   name = value;
                   return !value.empty();
               });
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 2, 2, &files); status >= 0) return status;
    std::string error;
    if (!tools::packFolder(files[0], files[1], name, &error)) return cli.fail(error);
    return 0;
}
