// Installation and removal of downloaded games: the package archive of a game lies in
// the current folder as game + ".pik" and carries the game's folder in its entry
// names; installing unpacks it into the current folder and records the game,
// removing deletes the game's folder below the engine's "Path" and both records.
#include "scene/CVondrelWEB.h"

#include "foundation/CEngineEnv.h"
#include "net/CDownloadManagerIfc.h"
#include "net/CSelfExtract.h"
#include "net/CSelfExtractInfo.h"
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

// The first entry of the table that does not lie in the game's folder (its first
// component the game's name, ignoring case, with something below it); empty when all
// do. A package writes only its own game: not beside the engine, not into another game.
std::string entryOutsideGame(const CSelfExtract& archive, const std::string& game) {
    for (int i = 0; i < archive.GetCount(); ++i) {
        const std::string name = archive.GetEntry(i)->GetFilename().c_str();
        const size_t separator = name.find_first_of("\\/");
        if (separator == std::string::npos || separator + 1 >= name.size() ||
            !platform::equalsIgnoreCase(name.substr(0, separator), game))
            return name.empty() ? std::string("(empty name)") : name;
    }
    return {};
}

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
        if (archive.ReadTOC()) {
            const std::string outside = entryOutsideGame(archive, game.c_str());
            if (!outside.empty()) {
                // Refused whole: nothing comes out, nothing is recorded, the package goes.
                CEngineEnv::logFailure("install", package,
                                       package + ": refused, entry " + outside.c_str() + " lies outside " + game +
                                           "\\");
                platform::removeFile(package.c_str());
                return false;
            }
            extracted = archive.ExtractFiles(current);
        }
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
