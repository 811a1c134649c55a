#include "host/Host.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "foundation/CEngineEnv.h"
#include "foundation/CLanguageOSVer.h"
#include "foundation/CXVersion.h"
#include "graphics/screen/CSecondaryDisplay.h"
#include "graphics/screen/CSurface.h"
#include "host/HostTasks.h"
#include "host/InputScript.h"
#include "net/CMC_NetPeer.h"
#include "net/CXSocket.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/PeriodicTimer.h"
#include "platform/Presenter.h"
#include "platform/Print.h"
#include "platform/QuitMessage.h"
#include "platform/SdlInput.h"
#include "platform/SdlJoystick.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

namespace host {

namespace {

constexpr const char* kCaption = "Vondrel";
constexpr const char* kSecondCaption = "Vondrel (2)";
constexpr int kFrameRate = 60;
// The headless clock's calendar starts at a fixed date so that runs repeat exactly.
constexpr int64_t kHeadlessEpoch = 946684800;  // 2000-01-01 00:00:00 UTC

std::atomic<bool> g_closeRequested{false};

extern "C" void onCloseSignal(int) { g_closeRequested = true; }

void printUsage(const char* program, FILE* out) {
    std::fprintf(out,
        "usage: %s [host options] [engine options] [-- engine words]\n"
        "host options:\n"
        "  --help             this text\n"
        "  --version          the engine's version\n"
        "  --headless         no display or audio device; a manual clock steps each frame\n"
        "  --no-audio         no audio output; sounds play silently\n"
        "  --frames N         close after N frames\n"
        "  --step-ms N        headless milliseconds per frame (default 16)\n"
        "  --dump-dir D       frame dumps go to D (the last frame as D/last.png)\n"
        "  --dump-every N     dump every Nth frame besides the last\n"
        "  --ini NAME         settings file (default vondrel.ini, relative to the start folder)\n"
        "  --big-file NAME    packed big file to open (or to write with -bigfile)\n"
        "  --net-port N       port of NETSERVER and NETCLIENT (default 4661)\n"
        "  --print-dir D      printed pages go to D/DocPrint-N.pdf (default $XDG_DATA_HOME/vondrel/prints)\n"
        "  --printer DEST     lp queue for printed pages (none: the file only)\n"
        "  --input FILE       replay the input events of FILE (lines \"N move X Y\", \"N down|up left|right\",\n"
        "                     \"N keydown|keyup|key NAME\"; N is the frame, from 1)\n"
        "engine options (\"-\" or \"/\" and the word, case as shown):\n"
        "  -path FOLDER       the game's folder (default: the current folder)\n"
        "  -game NAME         the game's folder, also its name\n"
        "  -window            in a window instead of full screen\n"
        "  -res W H           screen size (default 800 600)\n"
        "  -noframe           a window without a frame\n"
        "  -pf                page flipping (full screen)\n"
        "  -vmem              surfaces in video memory\n"
        "  -delay MS          with -window: a second window shows the screen MS milliseconds later\n"
        "  -debug             the engine's diagnostics on stderr\n"
        "  -log               the engine's log\n"
        "  -nomusic           no music\n"
        "  -nosound           no sound effects\n"
        "  -nogfx             the graphics flag\n"
        "  -code              write a coded copy (NAME.coded) of each definition file read\n"
        "  -decode            write a decoded copy (NAME.decoded) of each definition file read\n"
        "  -remove            the remove flag\n"
        "  -2bin              write the game as binary images (status 1 when one is not written)\n"
        "  -forceCNV          read the definition files even when binary images exist\n"
        "  -cheat             cheat mode\n"
        "  -quorbliten        cheat mode, as -cheat\n"
        "  -params            run with parameters\n"
        "  -forcenew          the force-new flag\n"
        "  -omitdir           the omit-folder flag\n"
        "  -player NAME       the player's name\n"
        "  -server [ADDRESS]  server mode, and the server's address\n"
        "  -client            client mode\n"
        "  -fullname NAME     the game's full name (\"_\" for blanks)\n"
        "  -version V         a version the game's scripts may read\n"
        "  -pikfile F         a package name the game's scripts may read\n"
        "  -pack [-file F]    pack the -path folder into a package (F, default FOLDER.pik) and exit\n"
        "  -bigfile           pack the -path folder into the --big-file file and exit\n"
        "  -uninstall -game G remove the installed game G and exit\n"
        "after \"--\" every word goes to the engine unchecked (words the game's scripts ask for)\n",
        program);
}

// The engine's words and how many values follow each; -1: one value unless the next
// word is an option.
struct EngineWord {
    const char* word;
    int values;
};
constexpr EngineWord kEngineWords[] = {
    {"nomusic", 0},  {"nosound", 0}, {"window", 0},   {"nogfx", 0},    {"server", -1},  {"client", 0},
    {"pf", 0},       {"code", 0},    {"decode", 0},   {"remove", 0},   {"vmem", 0},     {"quorbliten", 0},
    {"cheat", 0},    {"2bin", 0},    {"forceCNV", 0}, {"debug", 0},    {"bigfile", 0},  {"log", 0},
    {"params", 0},   {"noframe", 0}, {"forcenew", 0}, {"omitdir", 0},  {"res", 2},      {"path", 1},
    {"game", 1},     {"delay", 1},   {"pack", 0},     {"file", 1},     {"player", 1},   {"fullname", 1},
    {"version", 1},  {"pikfile", 1}, {"uninstall", 0},
};

// The engine word the argument names ("-" or "/" and the word), or null.
const EngineWord* engineWord(const char* argument) {
    if (argument[0] != '-' && argument[0] != '/') return nullptr;
    for (const EngineWord& w : kEngineWords)
        if (!std::strcmp(argument + 1, w.word)) return &w;
    return nullptr;
}

bool looksLikeOption(const char* argument) { return argument[0] == '-' && argument[1] != '\0'; }

bool parseCount(const char* text, long long low, long long high, long long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end || v < low || v > high) return false;
    value = v;
    return true;
}

constexpr int kDisplayDepth = 16;

// Binary images of the game that could not be written so far.
int imageFailures() {
    return CEngineEnv::failureCount("scene image") + CEngineEnv::failureCount("application image");
}

// Headless, the mirror's window is this placeholder: its screen is kept for the dump.
char g_headlessSecondWindow = 0;

// The window's display: windowed with "window" (mirrored on the second window when there
// is one), else full screen in the resolution at 16 bits. The window's error code,
// non-zero when that failed.
int createDisplay(CWindow& window, const CCommandLine6& commandLine, platform::WindowHandle secondWindow) {
    if (window.LastError() != 0) return window.LastError();
    if (commandLine.isWindowMode()) return window.CreateSurface(secondWindow);
    return window.SetDisplayMode(commandLine.getResolution(), kDisplayDepth);
}

platform::IDisplaySurface* primaryOf(CWindow& window) {
    CSurface* surface = window.GetSurface();
    return surface ? surface->GetPrimaryBufferInterface() : nullptr;
}

// The mirror's screen; null without a mirror.
platform::IDisplaySurface* secondPrimaryOf(CWindow& window) {
    CSecondaryDisplay* mirror = window.getSecondaryDisplay();
    CSurface* surface = mirror ? mirror->getSurface() : nullptr;
    return surface ? surface->GetPrimaryBufferInterface() : nullptr;
}

// Writes a screen's frame into the dump folder under the name; false, with the file
// and the reason on stderr, when it could not be written.
bool dumpFrame(platform::IDisplaySurface* primary, const Options& options, const char* name) {
    const std::string path = options.dumpDir + "/" + name;
    std::string why;
    if (platform::HeadlessPresenter::dump(primary, path, &why)) return true;
    std::fprintf(stderr, "%s: frame dump failed: %s\n", options.engineArguments[0].c_str(), why.c_str());
    return false;
}

bool dumpFrame(CWindow& window, const Options& options, const char* name) {
    return dumpFrame(primaryOf(window), options, name);
}

// Why the game folder gave no game, for the line after the engine's own message.
std::string whyNoGame(const CCommandLine6& commandLine) {
    const std::string given = commandLine.getPath().c_str();
    const std::string folder = given.empty() ? platform::getCurrentDirectory() : given;
    std::string data = folder;
    if (!data.empty() && data.back() != '\\' && data.back() != '/') data += '\\';
    data += "Dane";
    if (!platform::isDirectory(folder.c_str())) return folder + ": no such folder (give the game's folder with -path)";
    if (!platform::isDirectory(data.c_str())) return folder + ": no Dane folder in it";
    if (!platform::exists((data + "\\application.def").c_str()) &&
        !platform::exists((data + "\\application.bin").c_str()))
        return folder + ": no structure file (Dane\\application.def)";
    return folder + ": its structure file gives no application (-debug shows why)";
}

// Shows the frame just made (and the mirror's, on its window); every --dump-every th
// frame (1-based) also goes to a file. False when that dump failed.
bool present(CWindow& window, const Options& options, platform::IPresenter& presenter,
             platform::IPresenter* secondPresenter, int frame) {
    presenter.present(primaryOf(window));
    if (secondPresenter)
        if (platform::IDisplaySurface* second = secondPrimaryOf(window)) secondPresenter->present(second);
    if (options.dumpDir.empty() || options.dumpEvery <= 0 || (frame + 1) % options.dumpEvery != 0) return true;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame + 1);
    return dumpFrame(window, options, name);
}

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
        } else if (!std::strcmp(a, "--no-audio")) {
            options.noAudio = true;
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
        } else if (!std::strcmp(a, "--net-port")) {
            count(a, 0, 65535, n);
            options.netPort = static_cast<int>(n);
        } else if (!std::strcmp(a, "--input")) {
            if (const char* text = value(a)) options.inputFile = text;
        } else if (!std::strcmp(a, "--print-dir")) {
            if (const char* text = value(a)) options.printDir = text;
        } else if (!std::strcmp(a, "--printer")) {
            if (const char* text = value(a)) options.printer = text;
        } else if (!std::strcmp(a, "--big-file")) {
            if (const char* text = value(a)) options.bigFile = platform::toEnginePath(text);
        } else if (!std::strcmp(a, "--")) {
            for (++i; i < argc; ++i) options.engineArguments.emplace_back(argv[i] ? argv[i] : "");
        } else if (const EngineWord* word = engineWord(a)) {
            options.engineArguments.emplace_back(a);
            for (int v = 0; v < (word->values < 0 ? 1 : word->values) && i + 1 < argc && argv[i + 1]; ++v) {
                if (word->values < 0 && looksLikeOption(argv[i + 1])) break;
                options.engineArguments.emplace_back(argv[++i]);
            }
        } else if (looksLikeOption(a)) {
            if (options.error.empty()) options.error = std::string("unknown option ") + a;
        } else {
            options.engineArguments.emplace_back(a);
        }
    }
    return options;
}

int run(int argc, const char* const* argv, const RunObserver& observer) {
    Options options = parseOptions(argc, argv);
    // The game changes the current folder as it goes: a relative dump folder is taken
    // from the start folder once, here.
    if (!options.dumpDir.empty()) {
        std::error_code failed;
        const std::filesystem::path absolute = std::filesystem::absolute(options.dumpDir, failed);
        if (!failed) options.dumpDir = absolute.string();
    }
    if (!options.printDir.empty()) {
        std::error_code failed;
        const std::filesystem::path absolute = std::filesystem::absolute(options.printDir, failed);
        if (!failed) options.printDir = absolute.string();
    }
    const char* program = options.engineArguments[0].c_str();
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, options.error.c_str());
        printUsage(program, stderr);
        return 2;
    }
    if (options.help) {
        printUsage(program, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", CXVersion::getCurrentVersion()->toString().c_str());
        return 0;
    }
    // The input script is read before anything starts, relative to the start folder.
    InputScript inputScript;
    if (!options.inputFile.empty()) {
        std::string why;
        if (!inputScript.load(options.inputFile, &why)) {
            std::fprintf(stderr, "%s: %s\n", program, why.c_str());
            return 2;
        }
    }

    CMC_NetPeer::setPort(options.netPort >= 0 ? options.netPort : CMC_NetPeer::kDefaultPort);

    // 1. The command line of the engine's arguments; "debug" routes the debugger output.
    std::vector<const char*> engineArgv;
    for (const std::string& a : options.engineArguments) engineArgv.push_back(a.c_str());
    CCommandLine6 commandLine(static_cast<int>(engineArgv.size()), engineArgv.data());
    platform::StderrDebugOutput stderrOutput;
    std::unique_ptr<platform::ScopedDebugOutput> debugRoute;
    if (commandLine.isDebugMode()) debugRoute = std::make_unique<platform::ScopedDebugOutput>(stderrOutput);
    recordEngineLocation();
    if (int status = 0; runTask(commandLine, options.bigFile, program, &status)) return status;

    // Headless, time is the manual clock's, and the periodic callbacks (music refills)
    // run in the frame step on it, on this thread: a run repeats exactly.
    platform::ManualClock headlessClock(0, kHeadlessEpoch);
    std::unique_ptr<platform::ScopedClock> clockRoute;
    platform::ManualPeriodicTimer headlessTimer;
    std::unique_ptr<platform::ScopedPeriodicTimer> timerRoute;
    if (options.headless) {
        clockRoute = std::make_unique<platform::ScopedClock>(headlessClock);
        timerRoute = std::make_unique<platform::ScopedPeriodicTimer>(headlessTimer);
    }
    platform::SdlMessageBox screenBox;
    std::unique_ptr<platform::ScopedMessageBox> boxRoute;
    if (!options.headless) boxRoute = std::make_unique<platform::ScopedMessageBox>(screenBox);

    // 2. The window of the resolution (borderless with "noframe"); headless there is none,
    // no poller thread, and the tick polls.
    const CXSize resolution = commandLine.getResolution();
    platform::HeadlessPresenter headlessPresenter;
    std::unique_ptr<platform::SdlPresenter> screen;
    bool screenFailed = false;
    if (!options.headless) {
        screen = std::make_unique<platform::SdlPresenter>();
        if (!screen->open(kCaption, resolution.cx, resolution.cy, !commandLine.isWindowMode(),
                          commandLine.isNoFrame())) {
            // Nothing would show the game: one line, and no run.
            std::fprintf(stderr, "%s: no screen: %s\n", program, screen->error().c_str());
            return 1;
        }
    }
    platform::IPresenter& presenter = screen ? static_cast<platform::IPresenter&>(*screen) : headlessPresenter;
    // With "window" and a "delay" the screen is mirrored, that much later, on a second
    // window beside the first (on the screen, overlapping it when there is no room),
    // which never takes the focus; headless on a placeholder whose last frame is dumped.
    std::unique_ptr<platform::SdlPresenter> secondScreen;
    platform::WindowHandle secondWindow = nullptr;
    if (commandLine.isWindowMode() && commandLine.isSecondaryDisplayEnabled()) {
        if (options.headless) {
            secondWindow = &g_headlessSecondWindow;
        } else if (!screenFailed) {
            secondScreen = std::make_unique<platform::SdlPresenter>();
            if (secondScreen->openMirror(kSecondCaption, resolution.cx, resolution.cy, commandLine.isNoFrame())) {
                secondScreen->showBeside(*screen);
                secondWindow = secondScreen->window();
            } else {
                std::fprintf(stderr, "%s: no second display: %s\n", program, secondScreen->error().c_str());
                secondScreen.reset();
            }
        }
    }
    // On screen, the devices read what the window's events bring; headless nothing comes.
    std::unique_ptr<platform::SdlInputSystem> screenInput;
    std::unique_ptr<platform::ScopedInput> inputRoute;
    platform::SdlWindowPlacement screenPlacement;
    std::unique_ptr<platform::ScopedWindowPlacement> placementRoute;
    if (screen && !screenFailed) {
        screenInput = std::make_unique<platform::SdlInputSystem>(screen->window());
        inputRoute = std::make_unique<platform::ScopedInput>(*screenInput);
        placementRoute = std::make_unique<platform::ScopedWindowPlacement>(screenPlacement);
    }
    // On screen, SDL's joysticks, read on this thread each frame; headless, the installed
    // system (none unless a test installed one).
    std::unique_ptr<platform::SdlJoystickSystem> screenJoysticks;
    std::unique_ptr<platform::ScopedJoystickSystem> joystickRoute;
    if (screen && !screenFailed) {
        screenJoysticks = std::make_unique<platform::SdlJoystickSystem>();
        joystickRoute = std::make_unique<platform::ScopedJoystickSystem>(*screenJoysticks);
    }
    // The audio, before the window that makes its device: headless, the manual system on
    // the headless clock; on screen, SDL's output, or silence on the real clock when none
    // opens, so that scripts waiting for a sound's end go on.
    platform::ManualAudioSystem headlessAudio;
    headlessAudio.setRecording(false);
    platform::NullAudioSystem silentAudio;
    std::unique_ptr<platform::SdlAudioSystem> speakers;
    platform::IAudioSystem* audioSystem = &silentAudio;
    if (options.headless) {
        audioSystem = &headlessAudio;
    } else if (!options.noAudio) {
        speakers = std::make_unique<platform::SdlAudioSystem>();
        if (speakers->open()) {
            audioSystem = speakers.get();
        } else {
            std::fprintf(stderr, "%s: no sound: %s\n", program, speakers->error().c_str());
            speakers.reset();
        }
    }
    platform::ScopedAudio audioRoute(*audioSystem);
    // Printed pages become PDF files; a printer installed already (a test's) stays.
    platform::PdfPrinter pdfPrinter(options.printDir.empty() ? platform::PdfPrinter::defaultFolder() : options.printDir,
                                    options.printer, !options.headless);
    std::unique_ptr<platform::ScopedPrinter> printerRoute;
    if (!platform::isPrinterInstalled()) printerRoute = std::make_unique<platform::ScopedPrinter>(pdfPrinter);

    CLanguageOSVer language;
    auto window = std::make_unique<CWindow>(screen ? screen->window() : nullptr, &commandLine, &language, resolution,
                                            nullptr, CWindow::exePath, options.headless);
    language.setWindowIfc(window.get());
    if (screenFailed) window->setErrorCode(CWindow::kErrorGraphics);

    // 3. The display.
    if (createDisplay(*window, commandLine, secondWindow) != 0) {
        window->ShowError(CXString(kCaption));
        window.reset();
        return 1;
    }
    if (!options.dumpDir.empty()) {
        const std::string folder = platform::toEnginePath(options.dumpDir);
        if (!platform::isDirectory(folder.c_str()) && !platform::makeDirectory(folder.c_str())) {
            std::fprintf(stderr, "%s: --dump-dir %s: cannot make the folder (%s)\n", program, options.dumpDir.c_str(),
                         std::strerror(errno));
            window.reset();
            return 1;
        }
    }

    // 4. The application and its game.
    auto application = std::make_unique<CApplication>(window.get(), CXString(options.bigFile.c_str()),
                                                      CXString(options.ini.c_str()), &commandLine);
    const std::string noGameReason = whyNoGame(commandLine);
    const int imagesFailedBefore = imageFailures();
    application->preinitializeApplication(false);
    if (application->LastError() == CWindow::kErrorNoGame) {
        window->setErrorCode(CWindow::kErrorNoGame);
        window->ShowError(CXString(kCaption));
        std::fprintf(stderr, "%s: no game: %s\n", program, noGameReason.c_str());
        application.reset();
        window.reset();
        return 1;
    }

    // 5. The window commands, creation and activation.
    set(window.get(), nullptr);
    window->OnCreate();
    window->OnActivateApp(true);
    if (observer.started) observer.started(*window);

    // 6. The frames.
    g_closeRequested = false;
    platform::takeQuitMessage();
    std::signal(SIGINT, onCloseSignal);
    std::signal(SIGTERM, onCloseSignal);
    using Clock = std::chrono::steady_clock;
    const auto framePeriod = std::chrono::microseconds(1000000 / kFrameRate);
    auto nextFrame = Clock::now();
    uint64_t headlessMs = 0;
    bool dumpsWritten = true;
    for (int frame = 0;; ++frame) {
        if ((options.frames >= 0 && frame >= options.frames) || !dumpsWritten) {
            window->OnExit();
            window->OnDestroy();
            break;
        }
        if (options.headless) {
            headlessMs += options.stepMs;
            headlessClock.set(headlessMs);
            headlessClock.setWallClock(kHeadlessEpoch + static_cast<int64_t>(headlessMs / 1000));
            headlessTimer.runDue();
        }
        if (platform::takeQuitMessage()) break;
        platform::PresenterEvents events;
        if (screen) screen->pumpEvents(events);
        platform::joystickSystem().update();
        if (g_closeRequested.exchange(false)) events.close = true;
        for (bool focus : events.focus) window->OnActivateApp(focus);
        for (const auto& [x, y] : events.moves) window->OnMove(x, y);
        inputScript.deliver(frame + 1);
        if (events.close && window->OnExit()) {
            window->OnDestroy();
            break;
        }
        if (window->domodal()) break;
        // Network events run here, on the host thread, after the application's step.
        CMC_NetPeer::tickPeers();
        dumpsWritten = present(*window, options, presenter, secondScreen.get(), frame);
        if (observer.frameDone) observer.frameDone(frame, *window);
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

    if (!options.dumpDir.empty() && dumpsWritten) {
        dumpsWritten = dumpFrame(*window, options, "last.png");
        if (platform::IDisplaySurface* second = secondPrimaryOf(*window))
            dumpsWritten = dumpFrame(second, options, "second-last.png") && dumpsWritten;
    }
    // Images that -2bin could not write fail the run; each was named on stderr.
    const bool imagesWritten = !commandLine.is2Bin() || imageFailures() == imagesFailedBefore;

    // 7. The application, then the window.
    application.reset();
    window.reset();
    CXSocket::done();
    return dumpsWritten && imagesWritten ? 0 : 1;
}

} // namespace host
