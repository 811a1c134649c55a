// vondrel-package: a game folder to a package archive, and an archive listed or unpacked.
#include "tools/Cli.h"
#include "tools/PackagePacker.h"

int main(int argc, char** argv) {
    std::string extractTo;
    bool list = false;
    tools::Cli cli("vondrel-package", "FOLDER OUTPUT.pik | --list FILE.pik | --extract DIR FILE.pik",
                   "Packs the game folder into a package archive; entry names start with the folder's name.\n"
                   "With --list or --extract, shows or unpacks the archive FILE.pik as a game is installed.");
    cli.flag("--list", "prints the stored length and name of every entry", &list);
    cli.option("--extract", "DIR", "extracts every entry below DIR (made when missing)", [&](const std::string& value) {
        extractTo = value;
        return !value.empty();
    });
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 1, 2, &files); status >= 0) return status;
    std::string error;
    if (list || !extractTo.empty()) {
        if (list && !extractTo.empty()) return cli.misuse("--list and --extract exclude each other");
        if (files.size() != 1) return cli.misuse("--list and --extract take one archive");
        if (list) {
            std::vector<tools::ListedFile> listed;
            if (!tools::listPackage(files[0], &listed, &error)) return cli.fail(error);
            tools::printListing(listed);
            return 0;
        }
        if (!tools::extractPackage(files[0], extractTo, &error)) return cli.fail(error);
        return 0;
    }
    if (files.size() != 2) return cli.misuse("missing arguments");
    if (!tools::packPackage(files[0], files[1], &error)) return cli.fail(error);
    return 0;
}
