// vondrel-package: a game folder to a package archive.
#include "tools/Cli.h"
#include "tools/PackagePacker.h"

int main(int argc, char** argv) {
    tools::Cli cli("vondrel-package", "FOLDER OUTPUT.pik",
                   "Packs the game folder into a package archive; entry names start with the folder's name.");
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 2, 2, &files); status >= 0) return status;
    std::string error;
    if (!tools::packPackage(files[0], files[1], &error)) return cli.fail(error);
    return 0;
}
