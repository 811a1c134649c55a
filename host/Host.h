// The program `vondrel`: takes its own options out of the arguments, builds the
// command line, the window and the application, and runs the frames.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CWindow;

namespace host {

struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;
    // On screen: no audio output; sounds play silently on the real clock.
    bool noAudio = false;
    // Frames to run before closing; negative runs until the game or the user ends.
    int frames = -1;
    uint32_t stepMs = 16;
    std::string dumpDir;
    int dumpEvery = 0;
    // Engine paths (Windows form); a relative INI name lies in the start folder.
    std::string ini = "vondrel.ini";
    std::string bigFile;
    // The port of NETSERVER and NETCLIENT; negative keeps the default.
    int netPort = -1;
    // A scripted input session (host path) replayed through the input layer.
    std::string inputFile;
    // Printed documents: the PDF folder (host path; empty: the default) and the lp
    // queue (empty: the default; "none": the file only). Headless never spools.
    std::string printDir;
    std::string printer;
    // The program name and every argument that is not the host's, in order.
    std::vector<std::string> engineArguments;
    // Set when an option is malformed.
    std::string error;
};

Options parseOptions(int argc, const char* const* argv);

// Watches a run from inside (the host's tests): `started` once the game is loaded,
// before the first frame; `frameDone` after each frame's step and presentation (frames
// count from 0).
struct RunObserver {
    std::function<void(CWindow& window)> started;
    std::function<void(int frame, CWindow& window)> frameDone;
};

// Runs the program; returns its exit status.
int run(int argc, const char* const* argv, const RunObserver& observer = {});

} // namespace host
