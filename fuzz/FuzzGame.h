// A scratch game folder for targets that read a game's files by name: a "Dane" folder
// beneath it, a registry in memory and the window's CD path pointing at it. Each input
// is written as a file of "Dane"; `leave` goes back to the folder the process started in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "shell/CWindow.h"

namespace fuzz {

class ScratchGame {
public:
    explicit ScratchGame(const char* tag)
        : m_start(platform::getCurrentDirectory()), m_folder(scratchFolder(tag)) {
        platform::setRegistryStore(&m_registry);
        std::filesystem::create_directories(m_folder + "/Dane");
        CWindow::setCDPath(CXString(platform::toEnginePath(m_folder).c_str()));
    }
    ScratchGame(const ScratchGame&) = delete;
    ScratchGame& operator=(const ScratchGame&) = delete;

    // The window sets the root path to the current folder when made; a target that
    // resolves files from the root points it at the game afterwards.
    void rootAtGame() const {
        CWindow::rootPath = CXString((platform::toEnginePath(m_folder) + "\\").c_str());
    }

    void writeData(const char* name, const uint8_t* data, size_t size) const {
        std::ofstream out(m_folder + "/Dane/" + name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    // Applications move into the folder their PATH names; every input starts in "Dane".
    void enterData() const {
        if (platform::setCurrentDirectory(platform::toEnginePath(m_folder + "/Dane").c_str()) != 0) std::abort();
    }

    void leave() const { platform::setCurrentDirectory(m_start.c_str()); }

private:
    platform::MemoryRegistryStore m_registry;
    std::string m_start;
    std::string m_folder;
};

}  // namespace fuzz
