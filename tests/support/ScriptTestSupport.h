// Support for script tests: a world with a temporary folder, a manual clock, a window,
// the value pools, the runners and the global trash; definition files written and
// loaded from text, or loaded into a scene through the type table; frames stepped on
// the manual clock; events raised and values read back; elements built in code; a
// behaviour double that records its runs; a scene that unloads itself; and archive
// round trips through a temporary file.
//
// A typical behaviour test:
//
//   test::ScriptWorld world;
//   auto* scene = world.loadScene("game.cnv", {
//       "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=1",
//       "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={N^ADD(2);}"});
//   test::runBehaviour(scene, "GO");
//   EXPECT_EQ(test::intValue(scene, "N"), 3);
//   world.frames(3, 100);  // timers fire, pools and the global trash are freed
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CXString.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/MessageBox.h"
#include "platform/PeriodicTimer.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

class CRefreshScreen;
class CXArchive;
class CXArray;
class CFile;
class CMElement;
class CMElements;

namespace test {

// A scene-like container for tests; it unloads (finishing and deleting its objects)
// when it goes away.
class TestScene : public CMC_ObjectsContainer {
public:
    explicit TestScene(const char* name, CWindow* window = nullptr, int type = kScene)
        : CMC_ObjectsContainer(window, nullptr, CXString(name), type) {}
    ~TestScene() override { unload(); }
};

// One test's script world (its window has a keyboard and a mouse device over the
// world's own input layer, polled by each frame's tick). The value pools and the runners are created on first use
// and kept for the rest of the test program; every world starts with all pooled
// values free and an empty global trash. Scenes made by loadScene belong to the world
// and are unloaded before its window goes.
class ScriptWorld {
public:
    ScriptWorld();
    ~ScriptWorld();
    ScriptWorld(const ScriptWorld&) = delete;
    ScriptWorld& operator=(const ScriptWorld&) = delete;

    TempDir& dir() { return m_dir; }
    platform::ManualClock& clock() { return m_clock; }
    // The world's own input layer: tests push device records and set states here.
    platform::InputSystem& input() { return m_input; }
    CWindow* window() { return &m_window; }
    // The world's periodic timer: each frame runs the callbacks due on the manual clock.
    platform::ManualPeriodicTimer& timer() { return m_timer; }

    // An optional headless display: a windowed software display of the size (16-bit
    // unless the world's display system says otherwise) on the world's window, which
    // becomes active, so every frame draws the refresh screen and presents it. False
    // when the display could not be made.
    bool enableDisplay(CXSize size = CXSize(320, 200));
    platform::SoftwareDisplaySystem& displaySystem() { return m_displaySystem; }
    // The window's refresh screen (null without a display).
    CRefreshScreen* screen();
    // 64-bit FNV-1a hash of the front buffer (what the screen shows); 0 without a display.
    uint64_t frontBufferHash();
    // Writes the front buffer as PNG into the world's folder; its native path, empty on failure.
    std::string frontBufferPng(const std::string& name);
    // Every message box shown while the world exists, in order.
    const std::vector<platform::MessageBoxRecord>& messageBoxes() const { return m_messageBoxes.boxes; }

    // Writes a definition file (lines joined with CR LF) and returns its engine path.
    std::string writeDefinition(const std::string& name, const std::vector<std::string>& lines);
    // Writes the file and reads it with the definition reader; the caller owns the list.
    CMElements* loadDefinition(const std::string& name, const std::vector<std::string>& lines);
    // Reads an existing file by its name inside the folder.
    CMElements* load(const std::string& name);

    // Writes the definition file, builds its objects into a new scene of this world
    // through the type table (by TYPE word, in the fixed passes) and initialises them
    // in registration order, as a scene does once loaded. The elements that no pass
    // built are kept as leftover(). Null when the file cannot be read.
    TestScene* loadScene(const std::string& fileName, const std::vector<std::string>& lines,
                         const char* sceneName = "SCENE");
    // The names of the elements the last loadScene left unbuilt.
    const std::vector<std::string>& leftover() const { return m_leftover; }

    // One frame: the manual clock advances by `ms`, the periodic callbacks due then run
    // (music refills), the window runs its tick (pollers,
    // timers: timed behaviours tick, the deferred-delete collector runs every 10 s;
    // signals delivered), then the application's step frees every pooled value and
    // flushes the global trash.
    void frame(uint32_t ms = 10);
    void frames(int count, uint32_t ms = 10);
    // The application step's part that concerns scripts: pools freed, trash flushed.
    void applicationStep();

private:
    TempDir m_dir;
    platform::ManualClock m_clock;
    platform::ScopedClock m_scopedClock;
    platform::ManualPeriodicTimer m_timer;
    platform::ScopedPeriodicTimer m_scopedTimer;
    platform::RecordedMessageBox m_messageBoxes;
    platform::ScopedMessageBox m_scopedMessageBox;
    platform::InputSystem m_input;
    platform::ScopedInput m_scopedInput;
    platform::SoftwareDisplaySystem m_displaySystem;
    std::unique_ptr<platform::ScopedDisplaySystem> m_scopedDisplay;
    // A window whose display size the world chooses.
    class WorldWindow : public CWindow {
    public:
        int createDisplay(CXSize size);
    };
    WorldWindow m_window;
    std::vector<std::unique_ptr<TestScene>> m_scenes;
    std::vector<std::string> m_leftover;
};

// Raises an event on the named object of the scene (or the scene itself for an empty
// name), with each handler's own arguments; true when a handler took it.
bool raise(CMC_ObjectsContainer* scene, const char* object, const char* event);
// The caret form: EVENT^ARGUMENT, then the plain EVENT when nothing took that.
bool raise(CMC_ObjectsContainer* scene, const char* object, const char* event, const char* argument);
// Runs the named behaviour with the texts as "$1"..., testing its condition when asked;
// its result (true after a BREAK). False when there is no such behaviour. A behaviour
// with code but no statements fails the test: it was loaded (loadCnv, readImage) but
// not initialised, which the scene's entry (onInit) does.
bool runBehaviour(CMC_ObjectsContainer* scene, const char* name, std::initializer_list<const char*> arguments = {},
                  bool checkCondition = false);
// Makes a behaviour "test_code" in the scene from the code, runs it as runBehaviour
// does, and deletes it.
bool runCode(CMC_ObjectsContainer* scene, const char* code, std::initializer_list<const char*> arguments = {});

// Reading values back: the named variable (parent scopes included) as a number, a
// bool or its text. A missing variable fails the current test and gives 0 / "".
int intValue(CMC_ObjectsContainer* scene, const char* name);
double doubleValue(CMC_ObjectsContainer* scene, const char* name);
bool boolValue(CMC_ObjectsContainer* scene, const char* name);
std::string textValue(CMC_ObjectsContainer* scene, const char* name);
// Any value's text (a variable's value, another object's name); "<null>" for null.
std::string valueText(CMC_Object* value);
// Whether the scene (parent scopes included) holds an object of that name.
bool hasObject(CMC_ObjectsContainer* scene, const char* name);
// A new argument array of copies of the texts, as behaviours receive "$1"...
CXArray* makeArguments(std::initializer_list<const char*> texts);

// Definition-file lines: an object of a type with its properties ("NAME:KEY=VALUE"
// texts given as "KEY=VALUE"), and lists of such lines joined.
using Lines = std::vector<std::string>;
Lines object(const std::string& name, const std::string& type, const Lines& properties = {});
void append(Lines& lines, const Lines& more);

// A new element with the given properties in order (the caller owns it).
CMElement* makeElement(const char* name, std::initializer_list<std::pair<const char*, const char*>> properties = {});

// A behaviour that records each run instead of running statements.
class RecordingBehaviour : public CMC_Behaviour {
public:
    struct Run {
        CMC_Object* caller;
        std::vector<std::string> arguments;  // empty for no argument list
        bool hadArguments;
        bool checkCondition;
    };

    RecordingBehaviour(CMC_ObjectsContainer* container, const char* name, bool result = false)
        : CMC_Behaviour(container, CXString(name), CXString()), m_result(result) {}

    bool run(CMC_Object* caller, CXArray* arguments, bool checkCondition) override;

    const std::vector<Run>& runs() const { return m_runs; }
    int count() const { return static_cast<int>(m_runs.size()); }
    // Called inside each run (after it is recorded).
    std::function<void(CMC_Object* caller)> onRun;

private:
    std::vector<Run> m_runs;
    bool m_result;
};

// Writes with an archive over a temporary file and returns the bytes written.
std::string archiveBytes(const std::function<void(CXArchive&)>& write);
// Reads the bytes back through an archive over a temporary file.
void readArchive(const std::string& bytes, const std::function<void(CXArchive&)>& read);

// Little-endian pieces for expected byte strings.
std::string le32(int32_t value);
std::string archiveString(const std::string& text);

}  // namespace test
