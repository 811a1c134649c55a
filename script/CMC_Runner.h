// The base of every script type's runner: the table from method names to ids, dispatch
// by id or by name, typed access to a statement's evaluated arguments, and the fourteen
// methods every script object has (ids 96 to 109).
//
// A type's runner derives from it like this:
//
//   class CMC_Foo_Runner : public CMC_Runner {
//   public:
//       enum : int { kFrob = 0, kGetSize = 1 };       // ids below 96 (or above 109)
//       void prepareMthHashSet() override {
//           CMC_Runner::prepareMthHashSet();          // the base names first
//           putMethod("FROB", kFrob);
//           putMethod("GETSIZE", kGetSize);
//       }
//       using CMC_Runner::run;                        // keep run(CXString, ...)
//       CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
//                         CXVector* arguments) override {
//           auto* foo = dynamic_cast<CMC_Foo*>(target);
//           if (!foo) return CMC_Runner::run(id, target, container, arguments);
//           switch (id) {
//           case kFrob: ...; return nullptr;
//           case kGetSize: return CMC_VariableFactory::allocInteger(...);  // pooled result
//           default: return CMC_Runner::run(id, target, container, arguments);
//           }
//       }
//   };
//
// Arguments are a CXVector of CMC_Variable* (null when the statement has none). Read
// them only through the getters below: a position past the list's count gives null
// from getParameter and a pooled 0, "" or FALSE from the typed getters, so a method
// called with too few arguments reads harmless values; methods whose effect needs an
// argument check argumentCount() and do nothing when it is missing. A typed getter's
// result may already be back in its pool: read its value at once.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CHashtable;
class CStringHashCode;
class CXVector;
class CMC_Bool;
class CMC_Double;
class CMC_Integer;
class CMC_Object;
class CMC_ObjectsContainer;
class CMC_String;
class CMC_Variable;

class CMC_Runner : public CXObject {
public:
    // Ids of the methods every script object has.
    enum : int {
        kSend = 96,
        kAddToGroup = 97,
        kAddToArray = 98,
        kGetName = 99,
        kClone = 100,
        kAddBehaviour = 101,
        kGetCloneIndex = 102,
        kMsgBox = 103,
        kResetClones = 104,
        kRemoveBehaviour = 105,
        kGetClonesNo = 106,
        kRemoveAllBehaviours = 107,
        kRemoveBehaviourForce = 108,
        kOverideSignals = 109,
    };
    // The id resolveMethod gives for a name not in the table.
    static constexpr int kUnknownMethod = -1;

    // No method table yet (prepareMthHashSet makes it).
    CMC_Runner();
    CMC_Runner(const CMC_Runner&) = delete;
    CMC_Runner& operator=(const CMC_Runner&) = delete;
    ~CMC_Runner() override;

    // Creates the method table and puts the base names. A type's runner calls this
    // first and then puts its own names with putMethod.
    virtual void prepareMthHashSet();
    // Does nothing.
    virtual void toDebug(CXString text, CXVector* arguments);

    // Argument i (from 0); an EXPRESSION argument is calculated and its result given.
    // Null when the list is null or holds fewer than i + 1 arguments.
    virtual CMC_Variable* getParameter(CXVector* arguments, int i);
    // Argument i converted to BOOL, DOUBLE, INTEGER or STRING. A converted value is
    // already back in its pool when returned; a missing argument gives a pooled
    // FALSE, 0.0, 0 or "". A script object that is not a value stands for its name
    // (the text of @LOOP(BODY, ...)). Never null once the pools are set up.
    virtual CMC_Bool* getParameterBool(CXVector* arguments, int i);
    virtual CMC_Double* getParameterDouble(CXVector* arguments, int i);
    virtual CMC_Integer* getParameterInteger(CXVector* arguments, int i);
    virtual CMC_String* getParameterString(CXVector* arguments, int i);

    // Carries out method `id` on `target`, called from `container`; the base knows
    // ids 96 to 109 and returns null for every other id (and for a null target).
    virtual CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                              CXVector* arguments);
    // run(id, ...) for a caller that drops the result at once (a statement of a
    // behaviour): a runner may skip making a result that nobody reads. Whatever it
    // returns is released by the caller as run's result would be; control codes count.
    virtual CMC_Variable* runForEffect(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
        return run(id, target, container, arguments);
    }
    // run(resolveMethod(name), ...) through the virtual slot.
    virtual CMC_Variable* run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                              CXVector* arguments);
    // The id of a method name (exact, with case); -1 when none.
    virtual int resolveMethod(CXString name);

    // Convenience for runners: puts one name with its id (replacing an earlier id of
    // the same name). Needs prepareMthHashSet to have made the table.
    void putMethod(const char* name, int id);
    // Number of arguments in a list that may be null.
    static int argumentCount(CXVector* arguments);
    // Argument i as given (an EXPRESSION not calculated); null when missing or not a value.
    static CMC_Variable* getArgument(CXVector* arguments, int i);
    // The object as a value, or null. Same as dynamic_cast, but the four value
    // classes are recognised without the cast's walk through the class names.
    static CMC_Variable* asVariable(CXObject* object);
    // The text of argument i as STRING (empty when missing), copied so that later
    // temporaries cannot change it.
    CXString getParameterText(CXVector* arguments, int i);
    // The values of the typed getters (0, 0.0, FALSE also when the pools are missing).
    int parameterInt(CXVector* arguments, int i);
    double parameterDouble(CXVector* arguments, int i);
    bool parameterBool(CXVector* arguments, int i);
    // Number of names in the method table (0 before prepareMthHashSet).
    int methodCount() const;

private:
    CHashtable* m_methods = nullptr;
    CStringHashCode* m_lookupKey = nullptr;
};
