#include "host/Host.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "foundation/CLanguageOSVer.h"
#include "foundation/CXVersion.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/QuitMessage.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

namespace host {

namespace {

constexpr const char* kCaption = "Vondrel";
constexpr int kFrameRate = 60;
// The headless clock's calendar starts at a fixed date so that runs repeat exactly.
constexpr int64_t kHeadlessEpoch = 946684800;  // 2000-01-01 00:00:00 UTC

std::atomic<bool> g_closeRequested{false};

extern "C" void onCloseSignal(int) { g_closeRequested = true; }

void printUsage(const char* program) {
    std::printf(
        "usage: %s [host options] [engine options]\n"
        "host options:\n"
        "  --help             this text\n"
        "  --version          the engine's version\n"
        "  --headless         no display or audio device; a manual clock steps each frame\n"
        "  --frames N         close after N frames\n"
        "  --step-ms N        headless milliseconds per frame (default 16)\n"
        "  --dump-dir D       headless frame dumps go to D\n"
        "  --dump-every N     dump every Nth frame besides the last\n"
        "  --ini NAME         settings file (default vondrel.ini, relative to the start folder)\n"
        "  --big-file NAME    packed big file to open\n"
        "engine options are words after \"-\" or \"/\" (-window, -path <folder>, -debug, ...)\n",
        program);
}

bool parseCount(const char* text, long long low, long long high, long long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end || v < low || v > high) return false;
    value = v;
    return true;
}

// The host's window events since the last frame: true when the user asked to close.
bool pumpEvents() { return g_closeRequested.exchange(false); }

// Creates the window's display: the window's error code, non-zero when that
// failed. No display exists yet; a headless run never has one.
int createDisplay(CWindow& window, const Options&, const CCommandLine6&) { return window.LastError(); }

// Shows the frame just made (and dumps it when asked); nothing to show yet.
void present(CWindow&, const Options&, int) {}

} // namespace

Options parseOptions(int argc, const char* const* argv) {
    Options options;
    options.engineArguments.emplace_back(argc > 0 && argv[0] ? argv[0] : "vondrel");
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i] ? argv[i] : "";
        auto value = [&](const char* name) -> const char* {
            if (i + 1 < argc && argv[i + 1]) return argv[++i];
            options.error = std::string(name) + " needs a value";
            return nullptr;
        };
        auto count = [&](const char* name, long long low, long long high, long long& out) {
            const char* text = value(name);
            if (text && !parseCount(text, low, high, out) && options.error.empty())
                options.error = std::string(name) + ": not a number in range: " + text;
        };
        long long n = 0;
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            options.help = true;
        } else if (!std::strcmp(a, "--version")) {
            options.version = true;
        } else if (!std::strcmp(a, "--headless")) {
            options.headless = true;
        } else if (!std::strcmp(a, "--frames")) {
            count(a, 0, INT32_MAX, n);
            options.frames = static_cast<int>(n);
        } else if (!std::strcmp(a, "--step-ms")) {
            n = options.stepMs;
            count(a, 0, 60000, n);
            options.stepMs = static_cast<uint32_t>(n);
        } else if (!std::strcmp(a, "--dump-every")) {
            count(a, 0, INT32_MAX, n);
            options.dumpEvery = static_cast<int>(n);
        } else if (!std::strcmp(a, "--dump-dir")) {
            if (const char* text = value(a)) options.dumpDir = text;
        } else if (!std::strcmp(a, "--ini")) {
            if (const char* text = value(a)) options.ini = platform::toEnginePath(text);
        } else if (!std::strcmp(a, "--big-file")) {
            if (const char* text = value(a)) options.bigFile = platform::toEnginePath(text);
        } else {
            options.engineArguments.emplace_back(a);
        }
    }
    return options;
}

int run(int argc, const char* const* argv) {
    const Options options = parseOptions(argc, argv);
    const char* program = options.engineArguments[0].c_str();
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, options.error.c_str());
        printUsage(program);
        return 2;
    }
    if (options.help) {
        printUsage(program);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", CXVersion::getCurrentVersion()->toString().c_str());
        return 0;
    }

    // 1. The command line of the engine's arguments; "debug" routes the debugger output.
    std::vector<const char*> engineArgv;
    for (const std::string& a : options.engineArguments) engineArgv.push_back(a.c_str());
    CCommandLine6 commandLine(static_cast<int>(engineArgv.size()), engineArgv.data());
    platform::StderrDebugOutput stderrOutput;
    std::unique_ptr<platform::ScopedDebugOutput> debugRoute;
    if (commandLine.isDebugMode()) debugRoute = std::make_unique<platform::ScopedDebugOutput>(stderrOutput);

    platform::ManualClock headlessClock(0, kHeadlessEpoch);
    std::unique_ptr<platform::ScopedClock> clockRoute;
    if (options.headless) clockRoute = std::make_unique<platform::ScopedClock>(headlessClock);
    platform::SdlMessageBox screenBox;
    std::unique_ptr<platform::ScopedMessageBox> boxRoute;
    if (!options.headless) boxRoute = std::make_unique<platform::ScopedMessageBox>(screenBox);

    // 2. The window; headless it has no poller thread and the tick polls.
    CLanguageOSVer language;
    auto window = std::make_unique<CWindow>(nullptr, &commandLine, &language, commandLine.getResolution(), nullptr,
                                            CWindow::exePath, options.headless);
    language.setWindowIfc(window.get());

    // 3. The display.
    if (createDisplay(*window, options, commandLine) != 0) {
        window->ShowError(CXString(kCaption));
        return 1;
    }

    // 4. The application and its game.
    auto application = std::make_unique<CApplication>(window.get(), CXString(options.bigFile.c_str()),
                                                      CXString(options.ini.c_str()), &commandLine);
    application->preinitializeApplication(false);
    if (application->LastError() == CWindow::kErrorNoGame) {
        window->setErrorCode(CWindow::kErrorNoGame);
        window->ShowError(CXString(kCaption));
        application.reset();
        window.reset();
        return 1;
    }

    // 5. The window commands, creation and activation.
    set(window.get(), nullptr);
    window->OnCreate();
    window->OnActivateApp(true);

    // 6. The frames.
    g_closeRequested = false;
    platform::takeQuitMessage();
    std::signal(SIGINT, onCloseSignal);
    std::signal(SIGTERM, onCloseSignal);
    using Clock = std::chrono::steady_clock;
    const auto framePeriod = std::chrono::microseconds(1000000 / kFrameRate);
    auto nextFrame = Clock::now();
    uint64_t headlessMs = 0;
    for (int frame = 0;; ++frame) {
        if (options.frames >= 0 && frame >= options.frames) {
            window->OnExit();
            window->OnDestroy();
            break;
        }
        if (options.headless) {
            headlessMs += options.stepMs;
            headlessClock.set(headlessMs);
            headlessClock.setWallClock(kHeadlessEpoch + static_cast<int64_t>(headlessMs / 1000));
        }
        if (platform::takeQuitMessage()) break;
        if (pumpEvents() && window->OnExit()) {
            window->OnDestroy();
            break;
        }
        if (window->domodal()) break;
        present(*window, options, frame);
        if (!options.headless) {
            nextFrame += framePeriod;
            const auto now = Clock::now();
            if (nextFrame < now) nextFrame = now;
            std::this_thread::sleep_until(nextFrame);
        }
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    platform::takeQuitMessage();

    // 7. The application, then the window.
    application.reset();
    window.reset();
    return 0;
}

} // namespace host
