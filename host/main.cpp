// The program that owns the window and runs a game. For now it parses its
// arguments and reports the engine's version.
#include <cstdio>
#include <cstring>

#include "foundation/CXVersion.h"
#include "shell/CCommandLine6.h"

namespace {

void printUsage(const char* program) {
    std::printf("usage: %s [--version] [--help] [engine options...]\n", program);
}

} // namespace

int main(int argc, char** argv) {
    bool showHelp = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) showHelp = true;
    }
    if (showHelp) {
        printUsage(argv[0]);
        return 0;
    }
    // The engine's options ("-window", "-path <folder>", ...) are read once here
    // and handed to the window and the application when they exist.
    CCommandLine6 commandLine(argc, argv);
    (void)commandLine;
    CXString version = CXVersion::getCurrentVersion()->toString();
    std::printf("%s\n", version.c_str());
    return 0;
}
