// Helpers shared by the value tests: the pools around each test, archive bytes
// written to and read from a temporary file, and a behaviour that records runs.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "foundation/CXString.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "support/ScriptTestSupport.h"

namespace valuetest {

// Pools exist for the length of each test.
class PoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        CMC_VariableFactory::initialize();
        CMC_VariableFactory::clearPool();
    }
    void TearDown() override { CMC_VariableFactory::done(); }

    static int inUse(int type) { return CMC_VariableFactory::inUseCount(type); }
};

// Bytes of an archive written by `write`, and an archive over given bytes.
class ArchiveBytes {
public:
    std::string store(const std::function<void(CXArchive&)>& write) { return test::archiveBytes(write); }
    void load(const std::string& bytes, const std::function<void(CXArchive&)>& read) { test::readArchive(bytes, read); }
};

inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

using test::archiveString;
using test::le32;

// A behaviour that logs its name, and the caller's text at the time, on each run,
// and may run an action of its own.
class RecordingBehaviour : public CMC_Behaviour {
public:
    RecordingBehaviour(CMC_ObjectsContainer* container, const char* name, std::vector<std::string>* log)
        : CMC_Behaviour(container, CXString(name), CXString()), m_log(log) {}
    bool run(CMC_Object* caller, CXArray*, bool) override {
        std::string entry = getName().c_str();
        if (caller) entry += std::string("=") + caller->toString().c_str();
        m_log->push_back(entry);
        if (action) action(caller);
        return false;
    }
    std::function<void(CMC_Object*)> action;

private:
    std::vector<std::string>* m_log;
};

}  // namespace valuetest
