// The runner of BEHAVIOUR objects: calling a behaviour as a procedure with arguments
// (RUN, RUNC), in a counted loop (RUNLOOPED), stopping its timed run (BREAK) and
// switching it on and off (ENABLE, DISABLE).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/CMC_Runner.h"

class CXArray;
class CMC_Behaviour;

class CMC_Behaviour_Runner : public CMC_Runner {
public:
    enum : int { kRun = 1, kRunC = 2, kRunLooped = 3, kBreak = 4, kEnable = 5, kDisable = 6 };

    CMC_Behaviour_Runner() = default;
    // Frees the reused argument arrays.
    ~CMC_Behaviour_Runner() override;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The called behaviour's arguments: each value's text, in double quotes when it
    // names a script object of the container that is not a plain value. Null for null.
    CXArray* getParams(CMC_ObjectsContainer* container, CXVector* arguments);

private:
    [[gnu::visibility("hidden")]] CMC_Variable* run(CMC_Behaviour* target, CMC_ObjectsContainer* container,
                                                    CXVector* arguments, bool check);
    CMC_Variable* runLooped(CMC_Behaviour* target, CMC_ObjectsContainer* container, CXVector* arguments);
    // The container's "__RETURN__" (parent scopes included), or null. A miss is
    // remembered until any container's names change.
    [[gnu::visibility("hidden")]] CMC_Variable* returnVariable(CMC_ObjectsContainer* container);
    // Fills `params` with what getParams would give, reusing its strings.
    [[gnu::visibility("hidden")]] void fillParams(CXArray* params, CMC_ObjectsContainer* container,
                                                  CXVector* arguments);

    // Whether `text` names a script object of the container that is not a plain value,
    // remembered per argument position until any container's names change.
    [[gnu::visibility("hidden")]] bool namesObjectAt(int position, CMC_ObjectsContainer* container, const char* text,
                                                     size_t length);

    struct NameCheck {
        std::string text;
        CMC_ObjectsContainer* scope = nullptr;
        uint32_t changes = 0;
        bool names = false;
        bool valid = false;
    };
    static constexpr int kNameChecks = 4;
    NameCheck m_nameChecks[kNameChecks];
    // One argument array per level of RUN calls in progress: a called behaviour only
    // reads its arguments while it runs, and a RUN inside it takes the next level.
    std::vector<CXArray*> m_params;
    int32_t m_paramsDepth = 0;
    CMC_ObjectsContainer* m_returnMissScope = nullptr;
    uint32_t m_returnMissChanges = 0;
};
