// The runner of the built-in statements, written "@NAME(arguments)": branches, loops,
// early exits, local variables, conversion, timed runs and a few queries. It serves
// object type 0; a built-in statement runs on behalf of the behaviour that holds it,
// in that behaviour's container. Its table holds only the nineteen built-in names
// (not the common methods of other runners).
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_Runner.h"

class CHashtable;
class CStringHashCode;
class CMC_Behaviour;

class CMC_Dummy_Runner : public CMC_Runner {
public:
    enum : int {
        kIf = 1,
        kWhile = 2,
        kReturn = 3,
        kBreak = 4,
        kConv = 5,
        kMsgBox = 6,
        kBool = 7,
        kDouble = 8,
        kInt = 9,
        kString = 10,
        kLoop = 11,
        kValue = 12,
        kRunOnTimer = 13,
        kCreate = 14,
        kGetApplicationName = 15,
        kGetCurrentScene = 16,
        kOneBreak = 17,
        kContinue = 18,
        kFor = 19,
    };

    // Makes an empty object of a type that CREATE knows, with only its container.
    using Creator = CMC_Object* (*)(CMC_ObjectsContainer* container);

    CMC_Dummy_Runner();
    ~CMC_Dummy_Runner() override;

    // The nineteen names alone, in a table of this runner's own.
    void prepareMthHashSet() override;
    // The id of a built-in name (exact, upper case); -1 for any other name, the
    // common method names included.
    int resolveMethod(CXString name) override;
    using CMC_Runner::run;
    // `target` is the running behaviour, `container` its container.
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // Registration point of CREATE: "ANIMO", "IMAGE", "SOUND" and "BUTTON" register
    // their empty-object constructor from their own source files, e.g.
    //   static const bool reg = CMC_Dummy_Runner::registerCreator(
    //       "ANIMO", [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Animo(c); });
    // False (and nothing registered) for any other word.
    static bool registerCreator(const char* word, Creator creator);
    static Creator getCreator(const CXString& word);

    // The names of behaviours made by RUNONTIMER: "timer_" and a number from 0 to
    // 32767 that no object of the container holds yet.
    static CXString makeTimerName(CMC_ObjectsContainer* container);
    // RUNONTIMER's code rule: "&" becomes "$" only before a digit 1 to 9.
    static CXString timerCode(const CXString& code);

private:
    void putName(const char* name, int id);
    // The text of argument i: a value's text, or the name of an object that is no
    // value (a behaviour named as a branch or body); empty when missing.
    CXString textOf(CXVector* arguments, int i);

    CMC_Variable* runIf(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runWhile(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runReturn(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runConv(CXVector* arguments);
    CMC_Variable* runLocal(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runLoop(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runFor(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runValue(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runOnTimer(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* runCreate(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* getApplicationName(CMC_ObjectsContainer* container);
    CMC_Variable* getCurrentScene(CMC_ObjectsContainer* container);

    CHashtable* m_names = nullptr;
    CStringHashCode* m_key = nullptr;
};
