// The host's jobs that exit instead of playing: -pack, -bigfile, -uninstall, and the
// engine location it records.
#include "host/Host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CBigFile.h"
#include "net/CSelfExtract.h"
#include "net/CSelfExtractInfo.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "scene/CVondrelWEB.h"
#include "support/TempDir.h"

namespace {

using platform::Hive;

struct HostTasks : ::testing::Test {
    HostTasks() : scoped(store) {}
    int run(std::vector<const char*> args) {
        args.insert(args.begin(), "vondrel");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = host::run(static_cast<int>(args.size()), args.data());
        errors = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        return status;
    }
    std::string engineValue(const char* name) {
        std::string value;
        return store.getValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, name, &value) ? value : "<none>";
    }
    platform::MemoryRegistryStore store;
    platform::ScopedRegistryStore scoped;
    test::TempDir dir;
    std::string errors;
};

TEST_F(HostTasks, PackWritesThePackageOfTheGameFolder) {
    dir.write("game1/Dane/a.cnv", "A");
    const std::string folder = dir.native("game1");
    const std::string output = dir.native("out.pik");
    EXPECT_EQ(run({"-pack", "-path", folder.c_str(), "-file", output.c_str()}), 0) << errors;
    CSelfExtract package(CXString(dir.engine("out.pik").c_str()));
    ASSERT_TRUE(package.ReadTOC());
    ASSERT_EQ(package.GetCount(), 1);
    EXPECT_STREQ(package.GetEntry(0)->GetFilename().c_str(), "game1\\Dane\\a.cnv");
    // Without -file the package is the folder's path with ".pik".
    EXPECT_EQ(run({"-pack", "-path", folder.c_str()}), 0) << errors;
    EXPECT_TRUE(dir.exists("game1.pik"));
    const std::string missing = dir.native("none");
    EXPECT_EQ(run({"-pack", "-path", missing.c_str()}), 1);
    EXPECT_NE(errors.find("-pack: "), std::string::npos);
    EXPECT_NE(errors.find("not a folder"), std::string::npos);
}

TEST_F(HostTasks, BigfilePacksThePathFolder) {
    dir.write("g/Dane/x.txt", "hello");
    const std::string folder = dir.native("g");
    const std::string big = dir.native("g.big");
    EXPECT_EQ(run({"-bigfile", "-path", folder.c_str(), "--big-file", big.c_str()}), 0) << errors;
    CBigFile file(CXString(dir.engine("g.big").c_str()));
    ASSERT_EQ(file.LastError(), 0);
    EXPECT_EQ(file.GetSize(CXString("\\Dane\\x.txt")), 5);
    // On a full disk the old file stays, and the one line names the file and the reason.
    const std::string packed = dir.read("g.big");
    dir.write("g/Dane/y.txt", "more");
    platform::setFreeSpaceLimit(10);
    EXPECT_EQ(run({"-bigfile", "-path", folder.c_str(), "--big-file", big.c_str()}), 1);
    platform::clearFreeSpaceLimit();
    EXPECT_EQ(errors, "vondrel: -bigfile: " + dir.engine("g.big") + ": No space left on device\n");
    EXPECT_EQ(dir.read("g.big"), packed);
    EXPECT_FALSE(dir.hasTemporaryOf("g.big"));
    const std::string missing = dir.native("none");
    EXPECT_EQ(run({"-bigfile", "-path", missing.c_str(), "--big-file", big.c_str()}), 1);
    EXPECT_EQ(run({"-bigfile", "-path", folder.c_str()}), 1);
    EXPECT_NE(errors.find("--big-file"), std::string::npos);
}

TEST_F(HostTasks, UninstallRunsWithTheRecordsCommand) {
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", dir.engine("games"));
    dir.write("games/game1/a.txt", "a");
    store.setValue(Hive::CurrentUser, std::string(CVondrelWEB::kEngineKey) + "\\game1", "InstallTime", "1");
    EXPECT_EQ(run({"-uninstall", "-game", "game1"}), 0);
    EXPECT_FALSE(dir.exists("games/game1"));
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, std::string(CVondrelWEB::kEngineKey) + "\\game1"));
    EXPECT_EQ(run({"-uninstall", "-game", ".."}), 1);
    EXPECT_TRUE(dir.exists("games"));
}

TEST_F(HostTasks, EngineLocationIsRecordedWhenMissing) {
    EXPECT_EQ(run({"-uninstall", "-game", "none"}), 0);
    EXPECT_NE(engineValue("Path"), "<none>");
    EXPECT_EQ(engineValue("File"), "test_host");
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "Path", "C:\\VW");
    store.setValue(Hive::CurrentUser, CVondrelWEB::kEngineKey, "File", "vw.exe");
    run({"-uninstall", "-game", "none"});
    EXPECT_EQ(engineValue("Path"), "C:\\VW");
    EXPECT_EQ(engineValue("File"), "vw.exe");
}

}  // namespace
