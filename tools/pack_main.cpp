// vondrel-pack: a folder to a packed big file, and a big file listed or unpacked.
#include "tools/BigFilePacker.h"
#include "tools/Cli.h"

int main(int argc, char** argv) {
    std::string name;
    std::string extractTo;
    bool list = false;
    tools::Cli cli("vondrel-pack", "FOLDER OUTPUT | --list FILE | --extract DIR FILE",
                   "Packs the folder tree into a big file the engine opens with --big-file;\n"
                   "with --list or --extract, shows or unpacks the big file FILE.");
    cli.option("--name", "TEXT", "the name in the file's header (default the output's file name)",
               [&](const std::string& value) {
                   name = value;
                   return !value.empty();
               });
    cli.flag("--list", "prints the size and path of every file in FILE", &list);
    cli.option("--extract", "DIR", "writes the files of FILE below DIR (made when missing)", [&](const std::string& value) {
        extractTo = value;
        return !value.empty();
    });
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 1, 2, &files); status >= 0) return status;
    std::string error;
    if (list || !extractTo.empty()) {
        if (list && !extractTo.empty()) return cli.misuse("--list and --extract exclude each other");
        if (files.size() != 1) return cli.misuse("--list and --extract take one big file");
        if (list) {
            std::vector<tools::ListedFile> listed;
            if (!tools::listBigFile(files[0], &listed, &error)) return cli.fail(error);
            tools::printListing(listed);
            return 0;
        }
        if (!tools::extractBigFile(files[0], extractTo, &error)) return cli.fail(error);
        return 0;
    }
    if (files.size() != 2) return cli.misuse("missing arguments");
    if (!tools::packFolder(files[0], files[1], name, &error)) return cli.fail(error);
    return 0;
}
