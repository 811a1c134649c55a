#include "support/NetGame.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CLanguageOSVer.h"
#include "foundation/CXArchive.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/RegistryStore.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Behaviour.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

namespace test {

namespace {

bool writeText(const std::filesystem::path& file, const std::string& text) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

// The engine's globals that a game start changes, put back at the end.
struct SavedEngineState {
    SavedEngineState() : root(CWindow::rootPath), cd(CWindow::getCDPath()), folder(CFile::getCurrentDirectory()) {}
    ~SavedEngineState() {
        CFile::chDir(folder);
        CWindow::rootPath = root;
        CWindow::setCDPath(cd);
    }
    CXString root;
    CXString cd;
    CXString folder;
};

// Loads the scene's definitions, adds the network object and writes the scene's image.
bool rewriteSceneImage(const NetGame& game, CMC_Application* application, std::string* why) {
    CMC_Scene* scene = application->getScene(CXString(game.scene.c_str()));
    CMC_SceneBinary::Prototype prototype = CMC_SceneBinary::getPrototype(game.netType);
    if (!scene || !prototype) {
        *why = "no scene " + game.scene + " or no prototype of type " + std::to_string(game.netType);
        return false;
    }
    CFile::chDir(CWindow::rootPath + CFolder::DATA_FOLDER + "\\" + scene->getPath());
    scene->setUnit(CMC_Scene::getDefUnit());
    scene->loadCnv();
    CMC_Object* peer = prototype(scene);
    peer->setScene(scene);
    scene->addObject(peer);
    bool ok = true;
    for (const auto& [key, name] : game.handlers) {
        auto* behaviour = dynamic_cast<CMC_Behaviour*>(scene->getObject(CXString(name.c_str())));
        if (!behaviour) {
            *why = "no behaviour " + name + " in " + game.scene;
            ok = false;
            break;
        }
        peer->addBehaviour(CXString(key.c_str()), behaviour, nullptr, scene);
    }
    if (ok) {
        CFile_Memory file;
        CXArchive image(&file, true);
        scene->writeImage(&image);
        CXString name(game.scene.c_str());
        name += ".bin";
        if (CFile::saveWhole(nullptr, name, file.bytes(), "scene image") != 0) {
            *why = "the image of " + game.scene + " was not written";
            ok = false;
        }
    }
    scene->releaseLoaded();
    return ok;
}

}  // namespace

bool writeNetGame(const NetGame& game, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    const std::filesystem::path data = std::filesystem::path(game.folder) / "Dane";
    const std::string& app = game.application;
    const std::string episode = app + "EP";
    const std::string structure = "OBJECT=" + app + "\r\n" + app + ":TYPE=APPLICATION\r\n" + app +
                                  ":EPISODES=" + episode + "\r\n" + app + ":STARTWITH=" + episode + "\r\nOBJECT=" +
                                  episode + "\r\n" + episode + ":TYPE=EPISODE\r\n" + episode + ":SCENES=" + game.scene +
                                  "\r\nOBJECT=" + game.scene + "\r\n" + game.scene + ":TYPE=SCENE\r\n" + game.scene +
                                  ":PATH=" + game.scene + "\r\n";
    if (!writeText(data / "application.def", structure) ||
        !writeText(data / game.scene / (game.scene + ".cnv"), game.definitions)) {
        *why = "the definition files were not written";
        return false;
    }

    SavedEngineState saved;
    platform::ManualClock clock(1000);
    platform::ScopedClock scopedClock(clock);
    platform::MemoryRegistryStore registry;
    platform::ScopedRegistryStore scopedRegistry(registry);
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox(box);
    platform::SoftwareDisplaySystem displays;
    platform::ScopedDisplaySystem scopedDisplays(displays);
    CLanguageOSVer language{CXString()};

    const std::string root = platform::toEnginePath(std::filesystem::absolute(game.folder).string());
    CFile::chDir(CXString(root.c_str()));
    CWindow::rootPath = CXString((root + "\\").c_str());
    CCommandLine6 commandLine("-2bin");
    bool ok = false;
    {
        CWindow window(nullptr, &commandLine, &language, CXSize(320, 200), nullptr, CWindow::exePath, true);
        language.setWindowIfc(&window);
        // Without an INI of its own the writer would leave one in the game folder.
        auto application = std::make_unique<CApplication>(&window, CXString(), CXString(), &commandLine);
        application->preinitializeApplication(false);
        auto* script = dynamic_cast<CMC_Application*>(application->getScriptApplication());
        if (!script || !std::filesystem::exists(data / "application.bin"))
            *why = "the game's images were not written";
        else
            ok = rewriteSceneImage(game, script, why);
        application.reset();
        CMC_Behaviour::flushTrash();
    }
    return ok;
}

}  // namespace test
