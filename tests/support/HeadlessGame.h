// A game played in-process without a screen: a temporary folder to write it in (the
// current folder while the fixture lives), the manual clock, registry, message box,
// audio and refill timer, and the window's folders put back at the end. startGame
// builds the window, the command line "-path <game>" and the application, which loads
// the game and enters its start scene; frame plays one frame on the manual clock.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/PeriodicTimer.h"
#include "platform/RegistryStore.h"
#include "support/TempDir.h"

class CApplication;
class CCommandLine6;
class CMC_Application;
class CMC_Scene;
class CWindow;

namespace test {

// A definition file's text: the lines, each closed by CR LF.
std::string definitionText(const std::vector<std::string>& lines);
// An 8-bit mono WAV at 1000 Hz: a byte a millisecond, so its data lasts `ms` milliseconds.
std::string millisecondWav(uint32_t ms);

class HeadlessGame {
public:
    // The engine's folder is the temporary one.
    HeadlessGame();
    // Ends the game and puts the window's folders back.
    virtual ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Plays the game in the folder's sub-folder `game`, started from the temporary
    // folder. With a display size the window gets a 16-bit software display of that
    // size first and is active, so that frames draw.
    void startGame(const std::string& game = "GAME", CXSize display = CXSize());
    // The application, then the window.
    void stopGame();
    CMC_Application* app();
    // The scene of the current episode; null when none.
    CMC_Scene* playing();
    // A frame: the clock moves by `ms`, the refills due run, then the window's frame.
    void frame(uint32_t ms = 50);

    TempDir dir;
    ScopedCurrentDirectory start;
    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock{clock};
    platform::MemoryRegistryStore registry;
    platform::ScopedRegistryStore scopedRegistry{registry};
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox{box};
    platform::ManualAudioSystem audio;
    platform::ScopedAudio scopedAudio{audio};
    platform::ManualPeriodicTimer timer;
    platform::ScopedPeriodicTimer scopedTimer{timer};
    platform::SoftwareDisplaySystem display;
    std::unique_ptr<CWindow> window;
    std::unique_ptr<CCommandLine6> commandLine;
    std::unique_ptr<CApplication> application;

private:
    std::unique_ptr<platform::ScopedDisplaySystem> m_scopedDisplay;
    CXString m_savedExe;
    CXString m_savedCd;
    CXString m_savedRoot;
};

}  // namespace test
