#include "platform/RegistryStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "support/TempDir.h"

namespace {

using platform::Hive;

std::string value(platform::RegistryStore& store, Hive hive, const char* key, const char* name) {
    std::string out;
    return store.getValue(hive, key, name, &out) ? out : "<none>";
}

// The same cases against the memory store and the file store.
TEST(RegistryStore, KeysAndNamesIgnoreCaseAndDeletionIsRecursive) {
    test::TempDir dir;
    platform::MemoryRegistryStore memory;
    platform::FileRegistryStore file(dir.path() + "/reg");
    for (platform::RegistryStore* store : {static_cast<platform::RegistryStore*>(&memory),
                                           static_cast<platform::RegistryStore*>(&file)}) {
        SCOPED_TRACE(store == &memory ? "memory" : "file");
        EXPECT_TRUE(store->setValue(Hive::CurrentUser, "Software\\Firm\\Game\\", "Version", "1\n=[x]%"));
        EXPECT_EQ(value(*store, Hive::CurrentUser, "SOFTWARE\\firm\\\\GAME", "VERSION"), "1\n=[x]%");
        EXPECT_EQ(value(*store, Hive::LocalMachine, "Software\\Firm\\Game", "Version"), "<none>");
        EXPECT_TRUE(store->setValue(Hive::CurrentUser, "software\\FIRM\\game", "version", "2"));
        EXPECT_EQ(value(*store, Hive::CurrentUser, "Software\\Firm\\Game", "Version"), "2");
        EXPECT_TRUE(store->keyExists(Hive::CurrentUser, "Software\\Firm"));
        EXPECT_FALSE(store->keyExists(Hive::CurrentUser, "Software\\Fir"));

        store->setValue(Hive::CurrentUser, "Software\\Firm\\Game\\Deep\\Deeper", "X", "y");
        store->setValue(Hive::CurrentUser, "Software\\Firmware", "X", "kept");
        EXPECT_FALSE(store->deleteValue(Hive::CurrentUser, "Software\\Firm\\Game", "Missing"));
        EXPECT_TRUE(store->deleteKey(Hive::CurrentUser, "software\\firm"));
        EXPECT_FALSE(store->keyExists(Hive::CurrentUser, "Software\\Firm\\Game\\Deep\\Deeper"));
        EXPECT_EQ(value(*store, Hive::CurrentUser, "Software\\Firmware", "X"), "kept");
        EXPECT_FALSE(store->deleteKey(Hive::CurrentUser, "Software\\Firm"));
        EXPECT_FALSE(store->deleteKey(Hive::CurrentUser, "\\"));
    }
}

TEST(RegistryStore, FilesSurviveReopeningStaleTemporariesAndDamage) {
    test::TempDir dir;
    const std::string folder = dir.path() + "/reg";
    {
        platform::FileRegistryStore store(folder);
        ASSERT_TRUE(store.setValue(Hive::CurrentUser, "A\\B", "Name", "value"));
        ASSERT_TRUE(store.setValue(Hive::LocalMachine, "M", "N", "machine"));
    }
    // A temporary file left by a write that never finished changes nothing.
    dir.write("reg/user.reg.a1b2c3", "[A\\B]\nName=stale\n");
    platform::FileRegistryStore reopened(folder);
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "a\\b", "name"), "value");
    EXPECT_EQ(value(reopened, Hive::LocalMachine, "M", "N"), "machine");
    EXPECT_TRUE(reopened.setValue(Hive::CurrentUser, "A\\B", "Other", "2"));
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "A\\B", "Name"), "value");
    EXPECT_EQ(dir.read("reg/user.reg.a1b2c3"), "[A\\B]\nName=stale\n");

    // A damaged file is read as far as it parses.
    dir.write("reg/user.reg", "[A\\B]\nName=ok\nno equals sign\nBad=%zz\n[broken\nLost=1\n[C]\nD=e");
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "A\\B", "Name"), "ok");
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "A\\B", "Bad"), "<none>");
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "C", "D"), "e");
    EXPECT_EQ(value(reopened, Hive::CurrentUser, "broken", "Lost"), "<none>");
    // A change writes the lines that did not parse back as they were: those outside any
    // key first, those of a key after its values; the next change keeps them again.
    const std::string kept = "[broken\nLost=1\n[A]\n[A\\B]\nName=ok\nno equals sign\nBad=%zz\n[C]\nD=e\nF=g\n";
    EXPECT_TRUE(reopened.setValue(Hive::CurrentUser, "C", "F", "g"));
    EXPECT_EQ(dir.read("reg/user.reg"), kept);
    EXPECT_TRUE(reopened.setValue(Hive::CurrentUser, "C", "F", "g"));
    EXPECT_EQ(dir.read("reg/user.reg"), kept);
    EXPECT_TRUE(reopened.deleteKey(Hive::CurrentUser, "A"));
    EXPECT_EQ(dir.read("reg/user.reg"), "[broken\nLost=1\n[C]\nD=e\nF=g\n");
}

TEST(RegistryStore, AHiveThatCannotBeReadFailsTheChangeAndStaysAsItIs) {
    test::TempDir dir;
    const std::string folder = dir.path() + "/reg";
    platform::FileRegistryStore store(folder);
    ASSERT_TRUE(store.setValue(Hive::LocalMachine, "M", "N", "machine"));
    const std::string hive = store.hivePath(Hive::CurrentUser);
    struct Case {
        const char* what;
        void (*make)(const std::string& hive);
        bool (*unchanged)(const std::string& hive);
    };
    const Case cases[] = {
        {"a folder in its place (it does not read)",
         [](const std::string& h) { ASSERT_EQ(mkdir(h.c_str(), 0700), 0); },
         [](const std::string& h) {
             struct stat st;
             return stat(h.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
         }},
        {"a link to itself (it does not open)",
         [](const std::string& h) { ASSERT_EQ(symlink("user.reg", h.c_str()), 0); },
         [](const std::string& h) {
             char target[64] = {};
             return readlink(h.c_str(), target, sizeof target - 1) == 8 && std::string(target) == "user.reg";
         }},
        {"no permission to read it (not as root)",
         [](const std::string& h) {
             FILE* f = std::fopen(h.c_str(), "w");
             ASSERT_NE(f, nullptr);
             std::fputs("[Keep]\nName=value\n", f);
             std::fclose(f);
             ASSERT_EQ(chmod(h.c_str(), 0200), 0);
         },
         [](const std::string& h) {
             chmod(h.c_str(), 0600);
             FILE* f = std::fopen(h.c_str(), "r");
             if (!f) return false;
             char text[64] = {};
             const size_t n = std::fread(text, 1, sizeof text - 1, f);
             std::fclose(f);
             return std::string(text, n) == "[Keep]\nName=value\n";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what).find("root") != std::string::npos && geteuid() == 0) continue;
        c.make(hive);
        EXPECT_FALSE(store.setValue(Hive::CurrentUser, "Keep", "Other", "x"));
        EXPECT_FALSE(store.deleteValue(Hive::CurrentUser, "Keep", "Name"));
        EXPECT_FALSE(store.deleteKey(Hive::CurrentUser, "Keep"));
        EXPECT_EQ(value(store, Hive::CurrentUser, "Keep", "Other"), "<none>");
        EXPECT_TRUE(c.unchanged(hive));
        std::error_code ignored;
        std::filesystem::remove_all(hive, ignored);
    }
    // The other hive is untouched, and a missing file is an empty hive.
    EXPECT_EQ(value(store, Hive::LocalMachine, "M", "N"), "machine");
    EXPECT_TRUE(store.setValue(Hive::CurrentUser, "Keep", "Other", "x"));
    EXPECT_EQ(value(store, Hive::CurrentUser, "keep", "other"), "x");
}

TEST(RegistryStore, TheDefaultFolderFollowsTheEnvironment) {
    const char* own = std::getenv("VONDREL_REGISTRY_DIR");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string savedOwn = own ? own : "", savedConfig = config ? config : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    unsetenv("VONDREL_REGISTRY_DIR");
    EXPECT_EQ(platform::FileRegistryStore::defaultFolder(), "/cfg/vondrel/registry");
    setenv("VONDREL_REGISTRY_DIR", "/own", 1);
    EXPECT_EQ(platform::FileRegistryStore::defaultFolder(), "/own");
    if (own) setenv("VONDREL_REGISTRY_DIR", savedOwn.c_str(), 1); else unsetenv("VONDREL_REGISTRY_DIR");
    if (config) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace

namespace {

std::string fuzzFixture(const std::string& name) {
    const char* root = std::getenv("VONDREL_TEST_DATA");
    const std::string folder = root && *root ? root : std::string(VONDREL_SOURCE_DIR) + "/tests/data";
    std::ifstream in(folder + "/fuzz/registry/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Lines that do not parse are kept as they were read, their line end's "\r" included:
// kept without it, a line ending in a second "\r" read back as another line (or none).
TEST(RegistryStore, HiveTextReadsBackItsOwnText) {
    const std::string texts[] = {
        "\r\r",
        "junk\r\r\n[K]\r\nbad\r\r\nA=b\r\n",
        "[K]\r\n\r\r\nx\r\n",
        fuzzFixture("two-cr.bin"),
        fuzzFixture("crash-lines-ending-in-cr.bin"),
    };
    for (const std::string& text : texts) {
        const std::string once = platform::RegistryHive::fromText(text).toText();
        EXPECT_EQ(platform::RegistryHive::fromText(once).toText(), once) << testing::PrintToString(text);
    }
    std::string value;
    const platform::RegistryHive hive = platform::RegistryHive::fromText("junk\r\r\n[K]\r\nbad\r\r\nA=b\r\n");
    EXPECT_EQ(hive.toText(), "junk\r\r\n[K]\nA=b\nbad\r\r\n");
    ASSERT_TRUE(hive.getValue("k", "a", &value));
    EXPECT_EQ(value, "b");
}

}  // namespace
