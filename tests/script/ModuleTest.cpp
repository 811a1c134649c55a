// Extension modules: library names, the entries' lookup and calling order, the
// current directory around loading, and a real module built in the tree loaded,
// asked for objects and released.
#include "script/CMC_DLLExModuleInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

using Paths = std::vector<std::string>;

TEST(ModuleNames, LibraryPathsFollowTheNameRule) {
    const struct {
        const char* name;
        const char* folder;
        Paths expected;
    } cases[] = {
        {"sound.dll", "C:\\bin\\", {"C:\\bin\\sound.so", "C:\\bin\\libsound.so"}},
        {"sound", "C:\\bin", {"C:\\bin\\sound.so", "C:\\bin\\libsound.so"}},
        {"Sound.DLL", "C:\\bin\\", {"C:\\bin\\Sound.so", "C:\\bin\\libSound.so"}},
        {"sound.mod", "C:\\bin\\", {"C:\\bin\\sound.mod"}},
        {"a.dll.bak", "C:\\bin\\", {"C:\\bin\\a.dll.bak"}},
        {"ext\\sound.dll", "C:\\bin\\", {"C:\\bin\\ext\\sound.so", "C:\\bin\\ext\\libsound.so"}},
        {"D:\\mods\\sound.dll", "C:\\bin\\", {"D:\\mods\\sound.so", "D:\\mods\\libsound.so"}},
        {"sound", "", {"sound.so", "libsound.so"}},
        {"", "C:\\bin\\", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMC_DLLExModuleInterface::libraryPaths(CXString(c.name), CXString(c.folder)), c.expected) << c.name;
}

// Entries of fake libraries, recording the calls in order.
std::vector<std::string> g_calls;
CMC_ObjectsContainer* g_createdWith = nullptr;

class NullFactory : public CMC_ExternObject {
public:
    void reserved1() override {}
    void reserved2() override {}
    CMC_Object* resolveExtern(CMC_ObjectsContainer*, CMElement*) override { return nullptr; }
    CMC_Object* serializeExtern(int32_t, CXArchive*) override { return nullptr; }
};
NullFactory g_factory;

void createDecorated(CMC_ObjectsContainer* scene) {
    g_calls.push_back("create@");
    g_createdWith = scene;
}
void createPlain(CMC_ObjectsContainer*) { g_calls.push_back("create"); }
void releasePlain() { g_calls.push_back("release"); }
CMC_ExternObject* interfacePlain() {
    g_calls.push_back("interface");
    return &g_factory;
}
CMC_ExternObject* noInterface() {
    g_calls.push_back("interface");
    return nullptr;
}

template <class F>
void* address(F f) {
    return reinterpret_cast<void*>(f);
}

// A fake loader installed over a temporary executable folder.
class ModuleFixture : public ::testing::Test {
protected:
    ModuleFixture() : m_scoped(libraries), m_savedExe(CWindow::exePath), scene("SCENE", world.window()) {
        g_calls.clear();
        g_createdWith = nullptr;
        world.dir().mkdir("bin");
        world.dir().mkdir("work");
        exeFolder = world.dir().engine("bin") + "\\";
        CWindow::exePath = CXString(exeFolder.c_str());
        test::ScopedCurrentDirectory inBin(world.dir().native("bin"));
        binAsCurrent = platform::getCurrentDirectory();
    }
    ~ModuleFixture() override { CWindow::exePath = m_savedExe; }

    platform::FakeDynamicLibraries libraries;

private:
    platform::ScopedDynamicLibraries m_scoped;
    CXString m_savedExe;

protected:
    test::ScriptWorld world;
    test::TestScene scene;
    std::string exeFolder;
    // The executable's folder as the current directory reads while inside it.
    std::string binAsCurrent;
};

TEST_F(ModuleFixture, LoadsFromTheExecutableFolderAndCallsTheEntriesInOrder) {
    // Only "lib<name>.so" exists; create has both names, the decorated one wins.
    auto& library = libraries.add(exeFolder + "libsound.so",
                                  {{kModuleCreateDecorated, address(&createDecorated)},
                                   {"create", address(&createPlain)},
                                   {"release", address(&releasePlain)},
                                   {"getModuleInterface", address(&interfacePlain)}});
    test::ScopedCurrentDirectory inWork(world.dir().native("work"));
    const std::string before = platform::getCurrentDirectory();
    {
        CMC_DLLExModuleInterface module(CXString("sound.dll"), &scene);
        EXPECT_TRUE(module.isLoaded());
        EXPECT_EQ(module.getName(), "sound.dll");
        EXPECT_EQ(module.getModuleInterface(), &g_factory);
        EXPECT_EQ(libraries.requests, (Paths{exeFolder + "sound.so", exeFolder + "libsound.so"}));
        // Loaded from inside the executable's folder; the directory is back afterwards.
        ASSERT_EQ(libraries.directories.size(), 2u);
        EXPECT_EQ(libraries.directories[1], binAsCurrent);
        EXPECT_EQ(platform::getCurrentDirectory(), before);
        EXPECT_EQ(g_createdWith, &scene);
        EXPECT_EQ(g_calls, (Paths{"create@", "interface"}));
        EXPECT_EQ(library.closeCount, 0);
    }
    EXPECT_EQ(g_calls, (Paths{"create@", "interface", "release"}));
    EXPECT_EQ(library.openCount, 1);
    EXPECT_EQ(library.closeCount, 1);
}

TEST_F(ModuleFixture, AMissingLibraryLeavesAnEmptyModule) {
    test::ScopedCurrentDirectory inWork(world.dir().native("work"));
    const std::string before = platform::getCurrentDirectory();
    {
        CMC_DLLExModuleInterface module(CXString("absent"), &scene);
        EXPECT_FALSE(module.isLoaded());
        EXPECT_EQ(module.getModuleInterface(), nullptr);
        EXPECT_EQ(platform::getCurrentDirectory(), before);
    }
    EXPECT_TRUE(libraries.lookups.empty());
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(ModuleFixture, ReleaseOnlyWhenAnInterfaceWasGiven) {
    // No interface object: release is never called, the library is still unloaded.
    auto& quiet = libraries.add(exeFolder + "quiet.so",
                                {{"release", address(&releasePlain)}, {"getModuleInterface", address(&noInterface)}});
    { CMC_DLLExModuleInterface module(CXString("quiet"), &scene); }
    EXPECT_EQ(g_calls, (Paths{"interface"}));
    EXPECT_EQ(quiet.closeCount, 1);

    // A name with another extension is taken as it is; without create the rest still runs.
    g_calls.clear();
    auto& odd = libraries.add(exeFolder + "odd.mod",
                              {{"release", address(&releasePlain)}, {"getModuleInterface", address(&interfacePlain)}});
    { CMC_DLLExModuleInterface module(CXString("odd.mod"), &scene); }
    EXPECT_EQ(g_calls, (Paths{"interface", "release"}));
    EXPECT_EQ(odd.openCount, 1);
    EXPECT_EQ(odd.closeCount, 1);
}

// The module built in the tree sits beside the test program, in the executable's folder.
TEST(ModuleLibrary, TheTestModuleIsLoadedCreatedAskedAndReleased) {
    test::ScriptWorld world;
    test::TestScene scene("SCENE", world.window());
    auto* state = new CMC_Integer(CXString("MODULE_STATE"));
    state->setScene(&scene);
    scene.addObject(state);

    {
        CMC_DLLExModuleInterface module(CXString("vondrel_testmodule.dll"), &scene);
        ASSERT_TRUE(module.isLoaded()) << platform::SystemDynamicLibraries::lastError();
        EXPECT_EQ(state->getValue(), 1);
        CMC_ExternObject* factory = module.getModuleInterface();
        ASSERT_NE(factory, nullptr);

        std::unique_ptr<CMElement> counter(test::makeElement("TICKS", {{"TYPE", "COUNTER"}, {"START", "41"}}));
        std::unique_ptr<CMElement> other(test::makeElement("PIC", {{"TYPE", "SHAPE"}}));
        CMC_Object* made = factory->resolveExtern(&scene, counter.get());
        ASSERT_NE(made, nullptr);
        scene.addObject(made);
        EXPECT_EQ(test::intValue(&scene, "TICKS"), 41);
        EXPECT_EQ(factory->resolveExtern(&scene, other.get()), nullptr);

        std::unique_ptr<CMC_Object> restored(factory->serializeExtern(20005, nullptr));
        ASSERT_NE(restored, nullptr);
        EXPECT_EQ(test::valueText(restored.get()), "20005");
        EXPECT_EQ(factory->serializeExtern(3, nullptr), nullptr);
    }
    // Released before unloading; what it made stays the scene's.
    EXPECT_EQ(state->getValue(), 2);
    EXPECT_EQ(test::intValue(&scene, "TICKS"), 41);
}

// A scene left hands its modules to the global trash after the objects they made; the
// flush deletes every other member first, so those objects go while the code is loaded.
TEST(ModuleLibrary, TheTrashDeletesModulesAfterEveryOtherMember) {
    test::ScriptWorld world;
    test::TestScene scene("SCENE", world.window());
    auto* state = new CMC_Integer(CXString("MODULE_STATE"));
    state->setScene(&scene);
    scene.addObject(state);
    // Records the module's state when it is deleted (1 while loaded, 2 once released).
    struct Member : CXObject {
        Member(CMC_Integer* watched, std::vector<int>* seen) : watched(watched), seen(seen) {}
        ~Member() override { seen->push_back(watched->getValue()); }
        CMC_Integer* watched;
        std::vector<int>* seen;
    };
    std::vector<int> seen;
    CMC_Behaviour::addToTrash(new Member(state, &seen));
    auto* module = new CMC_DLLExModuleInterface(CXString("vondrel_testmodule.dll"), &scene);
    ASSERT_TRUE(module->isLoaded()) << platform::SystemDynamicLibraries::lastError();
    CMC_Behaviour::addToTrash(module);
    CMC_Behaviour::addToTrash(new Member(state, &seen));
    CMC_Behaviour::flushTrash();
    EXPECT_EQ(seen, (std::vector<int>{1, 1}));
    EXPECT_EQ(state->getValue(), 2);
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
}

TEST(ModuleLibrary, TheSystemLoaderTakesOnlyWhatIsThere) {
    test::ScriptWorld world;
    test::TestScene scene("SCENE", world.window());
    test::ScopedCurrentDirectory inFolder(world.dir().path());
    platform::SystemDynamicLibraries loader;
    // A bare name means the current directory, never the system's library path.
    EXPECT_EQ(loader.open("libc.so.6"), nullptr);
    EXPECT_FALSE(platform::SystemDynamicLibraries::lastError().empty());
    EXPECT_EQ(loader.open(""), nullptr);

    // A file that is no library leaves an empty module.
    world.dir().write("broken.so", "this is not a shared object");
    const CXString savedExe = CWindow::exePath;
    CWindow::exePath = CXString(world.dir().engine().c_str());
    {
        CMC_DLLExModuleInterface module(CXString("broken.dll"), &scene);
        EXPECT_FALSE(module.isLoaded());
        EXPECT_EQ(module.getModuleInterface(), nullptr);
    }
    CWindow::exePath = savedExe;
}

}  // namespace
