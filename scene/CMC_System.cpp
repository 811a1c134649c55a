#include "scene/CMC_System.h"

#include "script/CMC_RunnerFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kSystem, []() -> CMC_Runner* { return new CMC_System_Runner(); });

}  // namespace

CMC_System::CMC_System(CMC_ObjectsContainer* owner) : CMC_Object(CXString("SYSTEM"), kType) { setScene(owner); }

CMC_Runner* CMC_System::getRunner() { return CMC_RunnerFactory::getRunner(kType); }

CMC_Variable* CMC_System_Runner::run(int, CMC_Object*, CMC_ObjectsContainer*, CXVector*) { return nullptr; }
