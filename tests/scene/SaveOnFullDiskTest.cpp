// Saves on a nearly full disk: ARRAY, MULTIARRAY and DATABASE SAVE, the scene's
// binary image, IMAGE SAVE, COPYFILE and an INI write each keep the previous file
// byte for byte when the new one does not fit, report the failure and leave no
// temporary file; with room they write the same bytes as ever. The disk is the
// platform layer's injected free-space limit, or a small tmpfs where the test may
// mount one.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <dirent.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "foundation/CEngineEnv.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "graphics/core/CGraphicsObject.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Database.h"
#include "script/CMC_Integer.h"
#include "script/CMC_MultiArray.h"
#include "script/CMElement.h"
#include "support/ScriptTestSupport.h"

namespace {

enum class Disk { kInjected, kTmpfs };

// The tmpfs holds 32 KiB; the injected limit leaves 8 KiB. Every large save below
// needs more than either, every small one far less.
constexpr const char* kTmpfsOptions = "size=32k,mode=0777";
constexpr int64_t kInjectedRoom = 8 * 1024;
constexpr int kSmall = 10;
constexpr int kLarge = 6000;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (struct dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
        closedir(d);
    }
    return names;
}

class SaveOnFullDisk : public ::testing::TestWithParam<Disk> {
public:
    void SetUp() override {
        here = std::make_unique<test::ScopedCurrentDirectory>(world.dir().path());
        previousRoot = CEngineEnv::rootPath;
        CEngineEnv::rootPath = CXString(world.dir().engine().c_str());
        // The scene image goes to Dane\<PATH>; every other file lies beside it.
        world.dir().mkdir("Dane/FULL");
        folder = world.dir().native("Dane/FULL");
        if (GetParam() == Disk::kTmpfs) {
            if (mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, kTmpfsOptions) != 0)
                GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
            mounted = true;
        }
        scene = world.loadScene("saves.cnv", {
            "OBJECT=A", "A:TYPE=ARRAY",
            "OBJECT=M", "M:TYPE=MULTIARRAY", "M:DIMENSIONS=2",
            "OBJECT=ROW", "ROW:TYPE=STRUCT", "ROW:FIELDS=NAME<STRING>,SCORE<INTEGER>",
            "OBJECT=DB", "DB:TYPE=DATABASE", "DB:MODEL=ROW",
        });
        ASSERT_NE(scene, nullptr);
        world.dir().write("source-small.bin", std::string(kSmall * 10, 's'));
        world.dir().write("source-large.bin", std::string(100000, 'L'));
    }

    void TearDown() override {
        platform::clearFreeSpaceLimit();
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
        platform::invalidateDirectoryCache();
        CEngineEnv::rootPath = previousRoot;
    }

    // The disk fills up: the injected limit, or a tmpfs that is small anyway.
    void fillDisk() {
        if (GetParam() == Disk::kInjected) platform::setFreeSpaceLimit(kInjectedRoom);
    }
    void freeDisk() { platform::clearFreeSpaceLimit(); }

    std::string engine(const char* name) const { return platform::toEnginePath(folder + "/" + name); }
    std::string native(const char* name) const { return folder + "/" + name; }
    std::string read(const char* name) { return world.dir().read(std::string("Dane/FULL/") + name); }

    test::ScriptWorld world;
    std::unique_ptr<test::ScopedCurrentDirectory> here;
    test::TestScene* scene = nullptr;
    std::string folder;
    bool mounted = false;
    CXString previousRoot;
};

// One kind of save: writes `count` items to the named file of the folder; false
// when the save itself reported the failure (those that give a result).
struct SaveKind {
    const char* name;
    const char* file;
    std::function<bool(SaveOnFullDisk&, test::TestScene*, int count)> save;
    // The bytes of a save of kSmall items, as the engine has always written them
    // (the scene image's are compared with what the scene writes into an archive).
    std::function<std::string()> smallBytes;
    bool hasResult;  // the save gives a result, false on failure
    bool logs;       // the failure goes to the log
};

std::string arrayBytes(int count) {
    std::string bytes = test::le32(count);
    for (int i = 0; i < count; ++i) bytes += test::le32(1) + test::le32(i);
    return bytes;
}

std::string databaseBytes(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += "player" + std::to_string(i) + "|" + std::to_string(i * 10) + "\n";
    return bytes;
}

std::string multiArrayBytes(int count) {
    // Two dimensions of 16, or the first grown by doubling to hold the column.
    int size0 = 16;
    while (size0 <= count) size0 *= 2;
    std::string bytes = test::le32(2) + test::le32(size0) + test::le32(16);
    for (int i = 0; i < count; ++i) bytes += test::le32(i) + test::le32(1) + test::le32(i);
    return bytes + test::le32(size0 * 16);
}

std::string imageBytes(int count) {
    std::string bytes("PIK", 4);
    for (int32_t field : {count, 4, 16, count * 4 * 2, 0, 0, 0, 0, 0}) bytes += test::le32(field);
    for (int i = 0; i < count * 4; ++i) bytes += std::string("\x34\x12", 2);
    return bytes;
}

const std::vector<SaveKind>& kinds() {
    static const std::vector<SaveKind> table = {
        {"ARRAY", "array.arr",
         [](SaveOnFullDisk& t, test::TestScene* scene, int count) {
             auto* array = dynamic_cast<CMC_Array*>(scene->getObject("A"));
             array->removeAll();
             for (int i = 0; i < count; ++i) {
                 CMC_Integer value(i);
                 array->add(&value);
             }
             array->save(CXString(t.engine("array.arr").c_str()));
             return true;
         },
         [] { return arrayBytes(kSmall); }, false, true},
        {"MULTIARRAY", "cells.mar",
         [](SaveOnFullDisk& t, test::TestScene* scene, int count) {
             auto* cells = dynamic_cast<CMC_MultiArray*>(scene->getObject("M"));
             cells->removeAll();
             for (int i = 0; i < count; ++i) {
                 CMC_Integer value(i);
                 cells->set({i, 0}, &value);
             }
             cells->save(CXString(t.engine("cells.mar").c_str()));
             return true;
         },
         [] { return multiArrayBytes(kSmall); }, false, true},
        {"DATABASE", "table.txt",
         [](SaveOnFullDisk& t, test::TestScene* scene, int count) {
             auto* db = dynamic_cast<CMC_Database*>(scene->getObject("DB"));
             db->removeAll();
             for (int i = 0; i < count; ++i)
                 db->add(CXString(("player" + std::to_string(i) + "|" + std::to_string(i * 10)).c_str()));
             db->save(CXString(t.engine("table.txt").c_str()));
             return true;
         },
         [] { return databaseBytes(kSmall); }, false, true},
        {"scene image", "SC.bin",
         [](SaveOnFullDisk& t, test::TestScene*, int count) {
             std::vector<std::string> lines;
             for (int i = 0; i < count; ++i) {
                 lines.push_back("OBJECT=N" + std::to_string(i));
                 lines.push_back("N" + std::to_string(i) + ":TYPE=INTEGER");
             }
             t.world.writeDefinition("SC.cnv", lines);
             std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}, {"PATH", "FULL"}}));
             auto image = std::make_unique<CMC_Scene>(t.world.window(), nullptr, element.get(), CMC_Scene::kType);
             image->loadCnv();
             CFile_Memory sink;
             CXArchive archive(&sink, true);
             image->serialize(&archive);
             if (count == kSmall) {  // the file holds the image as the scene writes it
                 EXPECT_EQ(t.read("SC.bin"), test::archiveBytes([&](CXArchive& a) { image->writeImage(&a); }));
             }
             image.reset();
             CMC_Scene::doneDefUnit();
             return true;
         },
         nullptr, false, true},
        {"IMAGE", "picture.img",
         [](SaveOnFullDisk& t, test::TestScene*, int count) {
             CGraphicsObject picture(nullptr, CXSize(count, 4), 16);
             for (int i = 0; i < count * 4; ++i) std::memcpy(picture.GetDataPtr() + i * 2, "\x34\x12", 2);
             picture.Save(CXString(t.engine("picture.img").c_str()), COMPRESSION_NONE);
             return picture.LastError() == 0;
         },
         [] { return imageBytes(kSmall); }, true, true},
        {"COPYFILE", "copy.bin",
         [](SaveOnFullDisk& t, test::TestScene*, int count) {
             const std::string from = t.world.dir().engine(count == kSmall ? "source-small.bin" : "source-large.bin");
             return platform::copyFile(from.c_str(), t.engine("copy.bin").c_str(), false);
         },
         [] { return std::string(kSmall * 10, 's'); }, true, false},
        {"INI", "game.ini",
         [](SaveOnFullDisk& t, test::TestScene*, int count) {
             CConfig config(CXString(t.engine("game.ini").c_str()));
             return config.PutString(CXString("SCENE"), CXString("VALUE"), CXString(std::string(count * 10, 'v').c_str()));
         },
         [] { return "[SCENE]\r\nVALUE=" + std::string(kSmall * 10, 'v') + "\r\n"; }, true, true},
    };
    return table;
}

TEST_P(SaveOnFullDisk, KeepsThePreviousFileAndReportsTheFailure) {
    for (const SaveKind& kind : kinds()) {
        SCOPED_TRACE(kind.name);
        // With room: the save succeeds and writes what the engine always wrote.
        freeDisk();
        ASSERT_TRUE(kind.save(*this, scene, kSmall));
        const std::string before = read(kind.file);
        ASSERT_FALSE(before.empty());
        if (kind.smallBytes) {
            EXPECT_EQ(before, kind.smallBytes());
        }

        // Full: the larger save fails, says so, and leaves the old file alone.
        platform::CapturedDebugOutput log;
        {
            platform::ScopedDebugOutput capture(log);
            fillDisk();
            const bool result = kind.save(*this, scene, kLarge);
            if (kind.hasResult) {
            EXPECT_FALSE(result);
        }
            freeDisk();
        }
        EXPECT_EQ(read(kind.file), before);
        if (!kind.logs) {
            EXPECT_TRUE(log.lines.empty());  // COPYFILE answers FALSE to the script instead
        } else {
            ASSERT_EQ(log.lines.size(), 1u);
            EXPECT_NE(log.lines[0].find(kind.file), std::string::npos) << log.lines[0];
            EXPECT_NE(log.lines[0].find(std::strerror(ENOSPC)), std::string::npos) << log.lines[0];
        }
        for (const std::string& name : namesIn(folder)) {
            EXPECT_EQ(name.find(std::string(kind.file) + "."), std::string::npos) << "left behind: " << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, SaveOnFullDisk, ::testing::Values(Disk::kInjected, Disk::kTmpfs),
                         [](const ::testing::TestParamInfo<Disk>& info) {
                             return info.param == Disk::kInjected ? std::string("InjectedFailure")
                                                                  : std::string("SmallTmpfs");
                         });

TEST(SaveOnFullDiskIni, AFailingSectionIsLoggedOnceUntilItIsWrittenAgain) {
    test::TempDir dir;
    dir.write("game.ini", "[S]\nA=1\n");
    CConfig config(CXString(dir.engine("game.ini").c_str()));
    platform::CapturedDebugOutput log;
    platform::ScopedDebugOutput capture(log);
    platform::setFreeSpaceLimit(4);
    EXPECT_FALSE(config.PutInt(CXString("S"), CXString("Time"), 100));
    EXPECT_FALSE(config.PutInt(CXString("S"), CXString("Played"), 2));
    EXPECT_FALSE(config.PutInt(CXString("T"), CXString("Played"), 2));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_NE(log.lines[0].find("game.ini"), std::string::npos) << log.lines[0];
    EXPECT_NE(log.lines[0].find("[S]"), std::string::npos) << log.lines[0];
    EXPECT_NE(log.lines[1].find("[T]"), std::string::npos) << log.lines[1];
    platform::clearFreeSpaceLimit();
    EXPECT_TRUE(config.PutInt(CXString("S"), CXString("Time"), 100));
    platform::setFreeSpaceLimit(4);
    EXPECT_FALSE(config.PutInt(CXString("S"), CXString("Time"), 200));
    platform::clearFreeSpaceLimit();
    EXPECT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(dir.read("game.ini"), "[S]\nA=1\nTime=100\n");
    // Without a file name nothing is written and nothing logged.
    EXPECT_FALSE(CConfig().PutString(CXString("S"), CXString("A"), CXString("2")));
    EXPECT_EQ(log.lines.size(), 3u);
}

}  // namespace
