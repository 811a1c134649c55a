// Installation and removal of downloaded games: the package archive of a game lies in
// the current folder as game + ".pik" and carries the game's folder in its entry
// names; installing unpacks it into the current folder and records the game,
// removing deletes the game's folder below the engine's "Path" and both records.
#include "scene/CVondrelWEB.h"

#include "net/CDownloadManagerIfc.h"
#include "net/CSelfExtract.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SafeFiles.h"

#include <string>

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VondrelWEB_";

// A game name is one plain component: it names a folder, a package and registry keys.
bool isGameName(const CXString& game) {
    if (!game.IsString() || game.equals(CXString(".")) || game.equals(CXString(".."))) return false;
    return game.findOneOf(CXString("\\/:")) < 0;
}

CXString gameKey(const CXString& game) { return CXString(CVondrelWEB::kEngineKey) + "\\" + game; }

}  // namespace

bool CVondrelWEB::install(CDownloadManagerIfc* manager, CXString game, CXString fullName, CXString server) {
    if (!isGameName(game)) return false;
    const CXString key = gameKey(game);
    if (platform::isDirectory(game.c_str()) && get_registry(kCurrentUser, key, CXString("InstallTime")).IsString())
        return true;
    const CXString current(platform::getCurrentDirectory().c_str());
    const CXString package = game + ".pik";
    if (manager && !manager->download(package, server)) return false;
    bool extracted = false;
    {
        CSelfExtract archive(package);
        extracted = archive.ReadTOC() && archive.ExtractFiles(current);
    }
    // A package that did not come out whole stays, and nothing is recorded, so the
    // next install tries again instead of taking a half-made folder for installed.
    if (extracted) {
        platform::removeFile(package.c_str());
        const CXString installTime(std::to_string(platform::clock().wallClock()).c_str());
        add_registry(kCurrentUser, key, CXString("TimesPlayed"), CXString("0"));
        add_registry(kCurrentUser, key, CXString("TotalTime"), CXString("0"));
        add_registry(kCurrentUser, key, CXString("InstallTime"), installTime);
        add_registry(kCurrentUser, key, CXString("FullName"), fullName);
        const CXString uninstallKey = CXString(kUninstallKey) + game;
        add_registry(kLocalMachine, uninstallKey, CXString("DisplayName"), CXString("VondrelWEB - ") + game);
        add_registry(kLocalMachine, uninstallKey, CXString("UninstallString"),
                     get_full_vdweb_path() + " -uninstall -game " + game);
    }
    return platform::isDirectory(game.c_str());
}

int CVondrelWEB::uninstall(CXString game) {
    if (!isGameName(game)) return 1;
    CXString folder = get_registry(kCurrentUser, CXString(kEngineKey), CXString("Path"));
    if (!folder.IsString()) return 1;
    if (!folder.endsWith(CXString("\\"))) folder += "\\";
    folder += game;
    const int result = platform::removeTree(folder.c_str()) ? 0 : 1;
    const CXString key = gameKey(game);
    for (const char* name : {"Path", "File", "Lang", "FullName", "Version"})
        delete_registry(kCurrentUser, key, CXString(name));
    delete_registry_key(kCurrentUser, key);
    const CXString uninstallKey = CXString(kUninstallKey) + game;
    delete_registry(kLocalMachine, uninstallKey, CXString("DisplayName"));
    delete_registry(kLocalMachine, uninstallKey, CXString("UninstallString"));
    delete_registry_key(kLocalMachine, uninstallKey);
    return result;
}
