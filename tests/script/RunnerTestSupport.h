// Helpers for calling runners directly: argument lists made from literals and a
// scene with the runner factory ready.
#pragma once
#include <initializer_list>
#include <string>

#include "foundation/CXVector.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Variable.h"
#include "support/ScriptTestSupport.h"

namespace test {

// An argument list of pooled literals as statements write them: 5, 2.5, "text",
// TRUE. Owns the vector, not the values (they live in the pools).
class Args {
public:
    Args(std::initializer_list<const char*> literals) : m_vector(new CXVector()) {
        for (const char* text : literals) m_vector->add(CMC_Variable::resolve(CXString(text)));
    }
    ~Args() { delete m_vector; }
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;
    CXVector* get() { return m_vector; }
    void add(CXObject* value) { m_vector->add(value); }

private:
    CXVector* m_vector;
};

// A script world with a scene and the runners made afresh.
class RunnerWorld {
public:
    RunnerWorld() : scene("SCENE", world.window()) { CMC_RunnerFactory::initialize(); }

    // Calls a method by name through the runner of the target's type.
    CMC_Variable* call(CMC_Object* target, const char* method, CXVector* arguments = nullptr) {
        CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType());
        return runner ? runner->run(CXString(method), target, &scene, arguments) : nullptr;
    }

    ScriptWorld world;
    TestScene scene;
};

inline std::string text(CMC_Object* value) { return value ? value->toString().c_str() : "<none>"; }

}  // namespace test
