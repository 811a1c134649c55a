// Installing and uninstalling games on a memory registry store: records, packages
// kept or deleted, bad game names, damaged packages and links in a game folder.
#include <gtest/gtest.h>

#include <unistd.h>
#include <zlib.h>

#include <map>
#include <string>

#include "net/CDownloadManagerIfc.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "scene/CMC_System.h"
#include "scene/CVondrelWEB.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

using platform::Hive;

const std::string kGameKey = "Software\\Korvinhaus\\VondrelWeb\\game1";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VondrelWEB_game1";

void put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

// A package of stored entries.
std::string package(const std::vector<std::pair<std::string, std::string>>& files, uint8_t type = 2) {
    std::string out = "SFX01";
    put32(out, static_cast<uint32_t>(files.size()));
    for (const auto& [name, data] : files) {
        out += static_cast<char>(type);
        put32(out, static_cast<uint32_t>(data.size()));
        put32(out, static_cast<uint32_t>(data.size()));
        out += data;
        put32(out, static_cast<uint32_t>(name.size()));
        out += name;
    }
    return out;
}

class FakeManager : public CDownloadManagerIfc {
public:
    FakeManager(test::TempDir& dir, bool succeed) : m_dir(dir), m_succeed(succeed) {}
    bool download(CXString packageName, CXString server) override {
        calls += std::string(packageName.c_str()) + "@" + server.c_str() + ";";
        if (m_succeed) m_dir.write(packageName.c_str(), package({{"game1\\Dane\\a.cnv", "A"}}));
        return m_succeed;
    }
    std::string calls;

private:
    test::TempDir& m_dir;
    bool m_succeed;
};

struct Install : ::testing::Test {
    Install() : scopedStore(store), cd(dir.path()), scopedClock(clock) {
        clock.setWallClock(1700000000);
        store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", "C:\\VW");
        store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "File", "vw.exe");
    }
    std::string value(Hive hive, const std::string& key, const std::string& name) {
        std::string out;
        return store.getValue(hive, key, name, &out) ? out : "<none>";
    }
    platform::MemoryRegistryStore store;
    platform::ScopedRegistryStore scopedStore;
    test::TempDir dir;
    test::ScopedCurrentDirectory cd;
    platform::ManualClock clock;
    platform::ScopedClock scopedClock;
};

TEST_F(Install, UnpacksRecordsAndDeletesThePackage) {
    dir.write("game1.pik", package({{"game1\\Dane\\a.cnv", "A"}, {"game1\\b.txt", "B"}}));
    EXPECT_TRUE(CVondrelWEB::install(nullptr, "game1", "Gra Pierwsza", "srv"));
    EXPECT_EQ(dir.read("game1/Dane/a.cnv"), "A");
    EXPECT_EQ(dir.read("game1/b.txt"), "B");
    EXPECT_FALSE(dir.exists("game1.pik"));
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "TimesPlayed"), "0");
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "TotalTime"), "0");
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "InstallTime"), "1700000000");
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "FullName"), "Gra Pierwsza");
    EXPECT_EQ(value(Hive::LocalMachine, kUninstall, "DisplayName"), "VondrelWEB - game1");
    EXPECT_EQ(value(Hive::LocalMachine, kUninstall, "UninstallString"), "C:\\VW\\vw.exe -uninstall -game game1");

    // Installed already: nothing changes.
    clock.setWallClock(1800000000);
    dir.write("game1.pik", package({{"game1\\c.txt", "C"}}));
    EXPECT_TRUE(CVondrelWEB::install(nullptr, "game1", "Other", "srv"));
    EXPECT_FALSE(dir.exists("game1/c.txt"));
    EXPECT_TRUE(dir.exists("game1.pik"));
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "InstallTime"), "1700000000");
}

TEST_F(Install, FolderWithoutInstallTimeIsInstalledOver) {
    dir.write("game1/old.txt", "old");
    dir.write("game1.pik", package({{"game1\\new.txt", "new"}}));
    EXPECT_TRUE(CVondrelWEB::install(nullptr, "game1", "G", ""));
    EXPECT_EQ(dir.read("game1/new.txt"), "new");
    EXPECT_EQ(dir.read("game1/old.txt"), "old");
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "InstallTime"), "1700000000");
}

TEST_F(Install, MissingOrDamagedPackageRecordsNothing) {
    EXPECT_FALSE(CVondrelWEB::install(nullptr, "game1", "G", ""));
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "InstallTime"), "<none>");
    // One entry of a bad type: the rest comes out, but the package stays and nothing
    // is recorded, so the next install tries again.
    std::string damaged = package({{"game1\\a.txt", "A"}});
    damaged += package({{"game1\\b.txt", "B"}}, 7).substr(9);
    damaged[5] = 2;
    dir.write("game1.pik", damaged);
    EXPECT_TRUE(CVondrelWEB::install(nullptr, "game1", "G", ""));
    EXPECT_TRUE(dir.exists("game1.pik"));
    EXPECT_FALSE(dir.exists("game1/b.txt"));
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey));
    EXPECT_FALSE(store.keyExists(Hive::LocalMachine, kUninstall));
}

TEST_F(Install, ManagerFetchesThePackageFirst) {
    FakeManager failing(dir, false);
    EXPECT_FALSE(CVondrelWEB::install(&failing, "game1", "G", "http://s"));
    EXPECT_EQ(failing.calls, "game1.pik@http://s;");
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey));
    FakeManager working(dir, true);
    EXPECT_TRUE(CVondrelWEB::install(&working, "game1", "G", "http://s"));
    EXPECT_EQ(dir.read("game1/Dane/a.cnv"), "A");
    EXPECT_FALSE(dir.exists("game1.pik"));
}

TEST_F(Install, GameNamesOfOneComponentOnly) {
    dir.write("x.pik", package({{"x\\a", "A"}}));
    for (const char* name : {"", ".", "..", "a\\b", "a/b", "c:x", "..\\x"}) {
        SCOPED_TRACE(name);
        FakeManager manager(dir, true);
        EXPECT_FALSE(CVondrelWEB::install(&manager, name, "G", ""));
        EXPECT_EQ(manager.calls, "");
        EXPECT_EQ(CVondrelWEB::uninstall(name), 1);
    }
    EXPECT_TRUE(dir.exists("x.pik"));
    EXPECT_EQ(value(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path"), "C:\\VW");
}

TEST_F(Install, UninstallDeletesFolderAndRecordsButNoLinkTarget) {
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", dir.engine("games"));
    dir.write("games/game1/Dane/a.cnv", "A");
    dir.write("outside/keep.txt", "keep");
    ASSERT_EQ(symlink(dir.native("outside").c_str(), dir.native("games/game1/Dane/link").c_str()), 0);
    ASSERT_EQ(symlink(dir.native("outside/keep.txt").c_str(), dir.native("games/game1/f").c_str()), 0);
    for (const char* name : {"Path", "File", "Lang", "FullName", "Version", "InstallTime"})
        store.setValue(Hive::CurrentUser, kGameKey, name, "v");
    store.setValue(Hive::CurrentUser, kGameKey + "\\deep\\deeper\\deepest", "x", "1");
    store.setValue(Hive::LocalMachine, kUninstall, "DisplayName", "d");
    store.setValue(Hive::LocalMachine, kUninstall, "UninstallString", "u");
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey + std::string("\\game2"), "InstallTime", "1");

    EXPECT_EQ(CVondrelWEB::uninstall("game1"), 0);
    EXPECT_FALSE(dir.exists("games/game1"));
    EXPECT_TRUE(dir.exists("games"));
    EXPECT_EQ(dir.read("outside/keep.txt"), "keep");
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey));
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey + "\\deep"));
    EXPECT_FALSE(store.keyExists(Hive::LocalMachine, kUninstall));
    EXPECT_EQ(value(Hive::CurrentUser, CVondrelWEB::kEngineKey + std::string("\\game2"), "InstallTime"), "1");
    // Never installed: nothing to delete.
    EXPECT_EQ(CVondrelWEB::uninstall("game1"), 0);
}

TEST_F(Install, UninstallWithoutPathDeletesNothing) {
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", "");
    dir.write("game1/a.txt", "A");
    store.setValue(Hive::CurrentUser, kGameKey, "InstallTime", "1");
    EXPECT_EQ(CVondrelWEB::uninstall("game1"), 1);
    EXPECT_TRUE(dir.exists("game1/a.txt"));
    EXPECT_EQ(value(Hive::CurrentUser, kGameKey, "InstallTime"), "1");
}

TEST_F(Install, InstallThenUninstallAgreeOnTheFolder) {
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", dir.engine(""));
    dir.write("game1.pik", package({{"game1\\a.txt", "A"}}));
    EXPECT_TRUE(CVondrelWEB::install(nullptr, "game1", "G", ""));
    EXPECT_EQ(CVondrelWEB::uninstall("game1"), 0);
    EXPECT_FALSE(dir.exists("game1"));
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey));
}


// A package writes only into its own game's folder: one entry anywhere else refuses it
// whole, and the engine's files and another game's stay as they were.
TEST(InstallConfinement, PackagesWriteOnlyIntoTheirGamesFolder) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> entries;
        bool installs;
    };
    const Case cases[] = {
        {"under the game", {{"game1\\Dane\\a.cnv", "A"}, {"game1\\b.txt", "B"}}, true},
        {"another letter case", {{"GAME1\\Dane\\a.cnv", "A"}}, true},
        {"top level", {{"game1\\Dane\\a.cnv", "A"}, {"settings.ini", "[x]"}}, false},
        {"another game", {{"game1\\Dane\\a.cnv", "A"}, {"game2\\data.txt", "evil"}}, false},
        {"the engine", {{"game1\\Dane\\a.cnv", "A"}, {"vondrel", "evil"}}, false},
        {"the engine's library", {{"libvondrel.so", "evil"}}, false},
        {"the game's name alone", {{"game1", "file"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::ScopedCurrentDirectory cd(dir.path());
        platform::MemoryRegistryStore store;
        platform::ScopedRegistryStore scopedStore(store);
        platform::CapturedDebugOutput debug;
        platform::ScopedDebugOutput scopedDebug(debug);
        const std::map<std::string, std::string> kept = {
            {"vondrel", "\x7F" "ELF engine"}, {"libvondrel.so", "library"}, {"game2/data.txt", "other game"}};
        for (const auto& [name, bytes] : kept) dir.write(name, bytes);
        dir.write("game1.pik", package(c.entries));

        testing::internal::CaptureStderr();
        EXPECT_EQ(CVondrelWEB::install(nullptr, "game1", "G", ""), c.installs);
        testing::internal::GetCapturedStderr();
        for (const auto& [name, bytes] : kept) EXPECT_EQ(dir.read(name), bytes) << name;
        EXPECT_FALSE(dir.exists("settings.ini"));
        EXPECT_FALSE(dir.exists("game1.pik"));
        // Engine paths: the game's folder is found whatever its letter case.
        EXPECT_EQ(platform::exists(dir.engine("game1\\Dane\\a.cnv").c_str()), c.installs);
        EXPECT_EQ(store.keyExists(Hive::CurrentUser, kGameKey), c.installs);
        EXPECT_EQ(store.keyExists(Hive::LocalMachine, kUninstall), c.installs);
        const bool logged = !debug.lines.empty() && debug.lines.back().find("refused") != std::string::npos;
        EXPECT_EQ(logged, !c.installs);
    }
}

TEST(SystemInstall, InstallsFromTheEngineFolderAndUninstalls) {
    // SYSTEM INSTALL takes the package beside the engine, whatever the current folder is.
    test::ScriptWorld world;
    platform::MemoryRegistryStore store;
    platform::ScopedRegistryStore scopedStore(store);
    world.dir().mkdir("exe");
    world.dir().mkdir("here");
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", world.dir().engine("exe"));
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "File", "vw");
    world.dir().write("exe/game1.pik", package({{"game1\\Dane\\a.cnv", "A"}}));
    auto* scene = world.loadScene("system.cnv", test::object("S", "STRING"));
    ASSERT_NE(scene, nullptr);
    scene->addObject(new CMC_System(scene));
    const CXString savedExe = CWindow::exePath;
    CWindow::exePath = CXString(world.dir().engine("exe").c_str());
    test::ScopedCurrentDirectory here(world.dir().path() + "/here");

    test::runCode(scene, "SYSTEM^INSTALL(\"game1\", \"Gra\");");
    EXPECT_EQ(world.dir().read("exe/game1/Dane/a.cnv"), "A");
    EXPECT_FALSE(world.dir().exists("exe/game1.pik"));
    std::string fullName;
    EXPECT_TRUE(store.getValue(Hive::CurrentUser, kGameKey, "FullName", &fullName));
    EXPECT_EQ(fullName, "Gra");

    test::runCode(scene, "SYSTEM^UNINSTALL(\"game1\");");
    EXPECT_FALSE(world.dir().exists("exe/game1"));
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, kGameKey));
    CWindow::exePath = savedExe;
}

}  // namespace
