// A behaviour (type 13): the script's procedure. Its code text is split into
// statements once, at init, and run statement by statement by events, other
// statements and timers; an optional condition object guards it.
//
// A statement's result is a value or object pointer, null, or one of the control
// codes below carried in the pointer's place (tested with controlCode).
//
// The class also holds the uncached evaluator (runLine, resolveObject,
// resolveParameters, resolveParameter), which evaluates statement text directly; the
// text conditions of the built-in statements use it for their operands.
//
// Script code runs on the host's thread only.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/CTimerNotificator.h"
#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CXArray;
class CXVector;
class CScriptWindowServices;
class CMElement;
class CMC_Behaviour_Entry;
class CMC_ObjectsContainer;
class CMC_Variable;

class CMC_Behaviour : public CMC_Object, public CTimerNotificator {
public:
    // Tells code that runs a behaviour whether it still exists after a call. Objects
    // replaced or deleted by scripts wait for the application step (see
    // CMC_Object::dispose); a container's unload still deletes at once.
    struct Life {
        int32_t holders = 1;
        bool alive = true;
    };
    class LifeGuard {
    public:
        explicit LifeGuard(CMC_Behaviour* behaviour) : m_life(behaviour ? behaviour->m_life : nullptr) {
            if (m_life) ++m_life->holders;
        }
        ~LifeGuard() { release(m_life); }
        LifeGuard(const LifeGuard&) = delete;
        LifeGuard& operator=(const LifeGuard&) = delete;
        bool alive() const { return !m_life || m_life->alive; }

    private:
        Life* m_life;
    };

    static constexpr int kType = 13;

    // Control codes a statement returns in place of a value pointer.
    enum : intptr_t { kBreak = -1, kOneBreak = -2, kContinue = -3 };
    // The control code a statement result carries (-1, -2 or -3); 0 for a pointer or null.
    static intptr_t controlCode(const void* result) {
        const intptr_t v = reinterpret_cast<intptr_t>(result);
        return (v >= kContinue && v <= kBreak) ? v : 0;
    }
    // A control code in a result pointer's place, e.g. asResult<CMC_Variable>(kBreak).
    template <class T>
    static T* asResult(intptr_t code) {
        return reinterpret_cast<T*>(code);
    }

    // From a definition element: its "CODE" and "CONDITION" properties, then its handlers.
    CMC_Behaviour(CMC_ObjectsContainer* container, CMElement* element);
    // A named behaviour with code (inline handlers and code made by other objects).
    CMC_Behaviour(CMC_ObjectsContainer* container, CXString name, CXString code);
    // An empty behaviour, filled in later.
    explicit CMC_Behaviour(CMC_ObjectsContainer* container);
    // Deletes the statements (releasing their inline behaviours), stops a timed run,
    // leaves the deferred-delete list and the global trash, and removes and deletes the
    // temporary objects. Code still running it sees that through a LifeGuard.
    ~CMC_Behaviour() override;
    CMC_Behaviour(const CMC_Behaviour&) = delete;
    CMC_Behaviour& operator=(const CMC_Behaviour&) = delete;

    // The common init ("ONINIT"), then the statements are built afresh from the code.
    void init() override;
    // Deletes the statements (releasing their inline behaviours when !flag), then the
    // common done ("ONDONE").
    bool done(bool flag) override;
    // The common object part, then the code and the condition's name.
    void serialize(CXArchive* archive) override;
    CXString** getBehavioursList() override;

    // Runs the statements on behalf of `caller` (the object of "THIS"; may be null)
    // with the call's arguments ("$1"...: owned CXString*, may be null), testing the
    // condition when `checkCondition`. True only when a statement returned BREAK.
    virtual bool run(CMC_Object* caller, CXArray* arguments, bool checkCondition);
    // Registers an object that belongs to the current run: when that run ends, the
    // object is removed from the container and deleted.
    virtual void addTempObject(CMC_Object* object);
    // Runs the behaviour every `interval` ms with the tick number as "$1" until
    // `limit` ticks (none when <= 0) or a run that returns true; then runs `onDone`
    // and leaves the container for the window's deferred-delete list. Takes
    // ownership of `arguments` (element 0 receives the tick number; one is added
    // when the array is null or empty).
    virtual void runOnTimer(int interval, int limit, CXArray* arguments, CMC_Behaviour* onDone);
    // Ends a timed run at once, without the on-done behaviour.
    virtual void _break();
    // One tick of a timed run.
    void onTimer(intptr_t id) override;

    // Binds the condition object by name (none when the name names nothing).
    void resolveCondition();
    // Rebuilds the statements from the code with "$1"... replaced by `arguments`.
    void setParams(CXArray* arguments);

    CXString getCode() const { return m_code; }
    CXString getCodition() const { return m_conditionName; }
    CMC_Object* getCondition() const { return m_condition; }
    bool isEnabled() const { return m_enabled; }
    void enable(bool on) { m_enabled = on; }
    int getBreakpoint() const { return m_breakpoint; }
    void setBreakpoint(int line) { m_breakpoint = line; }
    void resetBreakpoint() { m_breakpoint = -1; }
    // The parsed statements, null-terminated; null before init or for empty code.
    CMC_Behaviour_Entry** getStatements() const { return m_statements; }
    int getStatementCount() const;
    // Whether a timed run is going on.
    bool isTimed() const { return m_timerWindow != nullptr; }
    int getTickCount() const { return m_tickCount; }

    // Blanks trimmed, one leading "{" and one trailing "}" dropped, blanks trimmed again.
    static CXString cleanCode(CXString code);

    // The global trash: objects that must live until the next application step (the
    // script objects handed to CMC_Object::dispose, the expressions the uncached
    // evaluator makes). flushTrash, called by the application step, deletes them.
    static void initTrash();
    // Appends unless already there (creates the trash when missing).
    static void addToTrash(CXObject* object);
    // Takes an object out without deleting it.
    static void removeFromTrash(CXObject* object);
    static void flushTrash();
    // A container that goes before the trash is flushed: the members whose scene it
    // is forget it, so that their deletion does not reach for it.
    static void forgetTrashScene(CMC_ObjectsContainer* container);
    static void doneTrash();
    static int trashCount();

    // The uncached evaluator. `running` is the object of "THIS", `behaviour` the
    // behaviour on whose behalf the text runs (may be null).
    // Runs statement text: NAME^METHOD(args), *NAME^METHOD(args), @BUILTIN(args).
    static CMC_Variable* runLine(CMC_ObjectsContainer* container, CMC_Object* running, CXString line,
                                 CMC_Behaviour* behaviour);
    // The target named left of the first "^" of `text`; `method` receives the text
    // after the last "^".
    static CMC_Object* resolveObject(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                     CXString& method, CMC_Behaviour* behaviour);
    // A new vector (the caller's) of the values of the comma-separated operands;
    // operands that give nothing take no slot.
    static CXVector* resolveParameters(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                       CMC_Behaviour* behaviour);
    // The value of one operand: an expression (kept in the global trash), a call, a
    // literal, a structure field or a variable.
    static CMC_Variable* resolveParameter(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                          CMC_Behaviour* behaviour);

private:
    // Builds the statements from `code` (after freeing the old ones).
    void buildStatements(const CXString& code);
    void deleteStatements(bool releaseInline);
    // Removes and deletes the temporary objects from position `from` on.
    void releaseTempObjects(int from);
    // Stops the timer and leaves the container; the on-done behaviour runs when asked.
    void endTimedRun(bool runOnDone);
    void freeTimerArguments();
    // Releases the statements and temporaries and forgets the scene (after a timed run).
    void detachFromScene();

    CXString m_code;
    CXString m_conditionName;
    CMC_Object* m_condition = nullptr;
    CMC_Behaviour_Entry** m_statements = nullptr;
    int32_t m_tickCount = 0;
    int32_t m_tickLimit = 0;
    CXArray* m_timerArguments = nullptr;
    CMC_Behaviour* m_onDone = nullptr;
    CXVector* m_tempObjects = nullptr;
    bool m_enabled = true;
    int32_t m_breakpoint = -1;
    // The window whose timer list and deferred-delete list a timed run uses; kept so
    // that the end of the run does not depend on the container still existing.
    CScriptWindowServices* m_timerWindow = nullptr;
    // The window whose deferred-delete list holds this behaviour (after a timed run).
    CScriptWindowServices* m_trashWindow = nullptr;
    // Runs in progress. Statements replaced while a run walks them (init or setParams
    // from inside the run) wait here, with their release flag, until the last run ends.
    int32_t m_runDepth = 0;
    std::vector<std::pair<CMC_Behaviour_Entry**, bool>> m_retiredStatements;
    // A timed run's arguments replaced or freed during a tick wait for the tick's end.
    // Container removal counts when the condition and the on-done behaviour were found;
    // after a removal they are looked up again by name before use.
    uint32_t m_conditionGeneration = 0;
    uint32_t m_onDoneGeneration = 0;
    CXString m_onDoneName;
    bool m_onDoneRegistered = false;
    bool m_inTick = false;
    bool m_detachPending = false;
    // Shared with the guards of running code; outlives the behaviour while held.
    Life* m_life = new Life();
    static void release(Life* life) {
        if (life && --life->holders == 0) delete life;
    }
    std::vector<CXArray*> m_retiredArguments;
};
