// The engine's registry records: reading, writing and deleting string values and
// keys of the two hives, over the settings store of the platform layer
// (platform::registryStore). Nothing is reported: reads give the empty text, writes
// and deletions false.
#pragma once

#include "foundation/CXString.h"
#include "platform/RegistryStore.h"

class CDownloadManagerIfc;

class CVondrelWEB {
public:
    using Root = platform::Hive;
    static constexpr Root kCurrentUser = platform::Hive::CurrentUser;
    static constexpr Root kLocalMachine = platform::Hive::LocalMachine;
    // The engine's own key in the user's hive; a game's key lies below it.
    static constexpr const char* kEngineKey = "Software\\Korvinhaus\\VondrelWeb";
    // Values read back whole only up to this many bytes; longer ones read empty.
    static constexpr int kMaxValueLength = 199;

    CVondrelWEB() = delete;

    // The value's text; empty for a missing key or value and for a value longer than
    // kMaxValueLength bytes.
    static CXString get_registry(Root root, CXString key, CXString name);
    // Creates the key when missing and sets the value; true when it was set.
    static bool set_registry(Root root, CXString key, CXString name, CXString value);
    // Deletes the value; a missing key or value is ignored.
    static void delete_registry(Root root, CXString key, CXString name);
    // Deletes the key with everything below it; false when it does not exist.
    static bool delete_registry_key(Root root, CXString key);
    // Sets the value; a failed write keeps the stored one.
    static bool update_registry(Root root, CXString key, CXString name, CXString value);
    static bool add_registry(Root root, CXString key, CXString name, CXString value);
    // "Path" of the engine key, "\" unless it ends with one, and "File"; "File" alone
    // when "Path" is empty.
    static CXString get_full_vdweb_path();

    // Installs the game's package from the current folder, downloading it through the
    // manager first; true when the game's folder exists at the end. Defined with the
    // package code in net/.
    static bool install(CDownloadManagerIfc* manager, CXString game, CXString fullName,
                        CXString server);
    // Deletes the game's folder and records; 0 when the folder went, 1 otherwise.
    static int uninstall(CXString game);
};
