// Shared setup of the script fuzz targets: one window with the value pools, the
// runners and the global trash; scenes built from definition text in memory;
// objects initialised and "__INIT__" run under a step budget; scratch files.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/CTextFileReader.h"
#include "foundation/CXVector.h"
#include "platform/FileSystem.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "shell/CWindow.h"

namespace fuzz {

// Statements and loop passes one input may run: enough for loops and nested
// calls to do real work, few enough that every input ends quickly.
constexpr int64_t kStepBudget = 2000;

inline CWindow* world() {
    static CWindow* window = [] {
        CMC_VariableFactory::initialize();
        CMC_RunnerFactory::initialize();
        CMC_Behaviour::initTrash();
        return new CWindow();
    }();
    return window;
}

// The application step's part for scripts: pooled values freed, the trash flushed.
inline void applicationStep() {
    CMC_VariableFactory::clearPool();
    CMC_Behaviour::flushTrash();
}

// A new scene holding the objects of the definition text; null when the text
// does not read as a definition file.
inline CMC_ObjectsContainer* buildScene(const char* text, size_t size) {
    std::vector<char> bytes(text, text + size);
    CTextFileReader reader(world(), bytes.data(), static_cast<int>(bytes.size()));
    CMElements* elements = CMElementsLoader::load(world(), &reader);
    if (!elements) return nullptr;
    auto* scene = new CMC_ObjectsContainer(world(), nullptr, CXString("SCENE"), CMC_ObjectsContainer::kScene);
    delete CMC_TypeTable::resolveObjects(scene, elements);
    delete elements;
    return scene;
}

// A scene's entry: `init` of each object in registration order (fetched afresh at
// each position, since an init may add or replace objects), then "__INIT__".
inline void enterScene(CMC_ObjectsContainer* scene) {
    for (int i = 0;; ++i) {
        const CXVector* list = scene->getObjectList();
        if (!list || i >= list->getCount()) break;
        if (auto* object = static_cast<CMC_Object*>(list->at(i))) object->init();
    }
    if (auto* start = dynamic_cast<CMC_Behaviour*>(scene->getObject(CXString("__INIT__"))))
        start->run(scene, nullptr, true);
}

inline void dropScene(CMC_ObjectsContainer* scene) {
    scene->unload();
    delete scene;
    applicationStep();
}

// A file of this process for data that must come from or go to a file; removed
// at exit. Each slot is a file of its own.
class ScratchFile {
public:
    static ScratchFile& slot(int n) {
        static ScratchFile files[4];
        return files[n];
    }
    // The engine path of the file.
    const std::string& path() {
        if (m_native.empty()) {
            const char* base = std::getenv("TMPDIR");
            std::string name = std::string(base && *base ? base : "/tmp") + "/fuzz-script-XXXXXX";
            const int fd = mkstemp(name.data());
            if (fd < 0) std::abort();
            close(fd);
            m_native = name;
            m_engine = platform::toEnginePath(name);
        }
        return m_engine;
    }
    const std::string& write(const uint8_t* data, size_t size) {
        path();
        FILE* f = std::fopen(m_native.c_str(), "wb");
        if (!f) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
        std::fclose(f);
        return m_engine;
    }
    std::string read() {
        path();
        std::string bytes;
        FILE* f = std::fopen(m_native.c_str(), "rb");
        if (!f) return bytes;
        char chunk[4096];
        size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
        std::fclose(f);
        return bytes;
    }
    ~ScratchFile() {
        if (!m_native.empty()) unlink(m_native.c_str());
    }

private:
    std::string m_native;
    std::string m_engine;
};

}  // namespace fuzz
