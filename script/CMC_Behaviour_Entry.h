// One statement of a behaviour, pre-parsed once into its target, runner, method id and
// arguments, each argument already a value or a nested statement. Running it needs no
// text work except where "$" parameters are filled in.
//
// Forms: "@NAME(args)" (built-in), "OBJ^NAME(args)", "STRUCT|FIELD^NAME(args)", a name
// holding "$", "*VAR^NAME(args)", "*[expr]^NAME(args)", "THIS^NAME(args)", "[expr]"
// and value statements (a name, a literal or a quoted text).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArray;
class CXVector;
class CMC_Behaviour;
class CMC_Debugger;
class CMC_ObjectsContainer;
class CMC_Runner;
class CMC_Variable;

class CMC_Behaviour_Entry : public CMC_Object {
public:
    static constexpr int kType = -100;

    // Parses one statement of `owner`'s code (a trailing ";" is dropped).
    CMC_Behaviour_Entry(CMC_Behaviour* owner, CXString line);
    // Releases what the statement made: its expressions, copies, nested statements and,
    // when the release flag is set, its inline behaviours.
    ~CMC_Behaviour_Entry() override;
    CMC_Behaviour_Entry(const CMC_Behaviour_Entry&) = delete;
    CMC_Behaviour_Entry& operator=(const CMC_Behaviour_Entry&) = delete;

    // Splits code at ";" outside parentheses (blanks dropped everywhere; text after
    // the last ";" ignored) into a new null-terminated array of new statements.
    static CMC_Behaviour_Entry** getCodeLines(CMC_Behaviour* owner, const CXString& code);
    // Deletes such an array with its statements; nothing for null.
    static void freeCodeLines(CMC_Behaviour_Entry** lines, bool releaseInline);

    // Runs the statement on behalf of `running` with the call's arguments ("$1"...).
    // The result is a value or object, null, or a control code (CMC_Behaviour::controlCode).
    // `resultUnused` tells that the caller only releases the result (a behaviour's
    // statement): the method is called through CMC_Runner::runForEffect.
    CMC_Object* run(CMC_Object* running, CXArray* arguments, bool resultUnused = false);

    // The text with each "$" + c, where c - '1' indexes `arguments`, replaced by that
    // argument (both characters consumed); every other character copied. Any length.
    static CXString fillParams(const CXString& text, CXArray* arguments);
    // A value's text: a STRING's own text, else the text of its conversion to STRING.
    static CXString getStringValue(CMC_Object* value);
    // The next number for inline behaviours ("temp_N", "xtemp_N"); shared, growing, and
    // back to 0 after the largest int.
    static int nextInlineNumber();

    CXString getLine() const { return m_line; }
    int getMethod() const { return m_methodId; }
    CMC_Object* getObject() const { return m_object; }
    CMC_Runner* getBoundRunner() const { return m_runner; }
    bool isReference() const { return m_isReference; }
    bool isThis() const { return m_isThis; }
    bool areArgumentsFixed() const { return m_argumentsFixed; }
    CXString getObjectName() const { return m_objectName; }
    CXString getMethodName() const { return m_methodName; }
    CMC_Behaviour* getOwner() const { return m_owner; }
    // How a "STRUCT|FIELD" name reaches a structure's field; the STRUCT type registers
    // it. Without one, such names find nothing.
    using FieldGetter = CMC_Variable* (*)(CMC_Object* structure, const CXString& field);
    static void registerFieldGetter(FieldGetter getter);
    // The field named after the "|" of the structure named before it, or null.
    static CMC_Variable* getStructureField(CMC_ObjectsContainer* container, const CXString& text);

    // Number of argument slots.
    int getArgumentCount() const;
    // Whether the destructor deletes the inline behaviours the statement made.
    void releaseTempBeh(bool on) { m_releaseInline = on; }
    // The debugger interface; no debugger is ever attached.
    static CMC_Debugger* getDebuggerIfc() { return nullptr; }

private:
    struct TextOnly {};
    // A nested argument that holds "$": only its text is kept (see computeArgument).
    CMC_Behaviour_Entry(CMC_Behaviour* owner, CXString line, TextOnly);

    CMC_ObjectsContainer* container() const;
    // Drops the owner (gone) from this statement and its nested ones.
    void forgetOwner();
    void parseArguments(int open);
    // Classifies one argument text and appends its value / nested-statement slots.
    void addArgument(CXString argument);
    // A new behaviour "<prefix>_N" from the braces of `text`, initialised and added to
    // the container; the result is a STRING named `valueName` holding its name.
    CMC_Variable* makeInlineBehaviour(const CXString& text, const char* prefix, const char* valueName,
                                      bool* codeHasParams);
    // The helpers of a run below are hidden symbols: calls between them bind within the
    // library and may be inlined.
    //
    // Fills and evaluates one nested argument statement for this run. `own` allows a
    // literal to be handed over as the nested statement's own value (literalArgument)
    // instead of a pooled copy.
    [[gnu::visibility("hidden")]] CMC_Object* computeArgument(CMC_Behaviour_Entry* nested,
                                                              CMC_ObjectsContainer* scope, CMC_Object* running,
                                                              CXArray* arguments, bool own);
    // The value of an argument statement "$N" (or one whose filled text is a plain
    // name or literal) from its filled text: a variable of that name, else the literal.
    [[gnu::visibility("hidden")]] CMC_Object* filledValue(CMC_Behaviour_Entry* nested, CMC_ObjectsContainer* scope,
                                                          const CXString& filled);
    // Whether `filled` is the text this "$" argument cached in `scope` (see m_filledText).
    [[gnu::visibility("hidden")]] bool filledIsCached(CMC_ObjectsContainer* scope, const CXString& filled) const;
    // This argument statement's own INTEGER holding `value`; null when its own value
    // is of another type.
    [[gnu::visibility("hidden")]] CMC_Variable* ownInteger(int32_t value);
    // This literal statement's own copy of its literal, set to the literal afresh.
    [[gnu::visibility("hidden")]] CMC_Variable* literalArgument();
    // Releases one computed argument value after the call; `nested` (may be null) is
    // the argument statement that gave it, which remembers a registered result.
    [[gnu::visibility("hidden")]] void releaseComputed(CXObject* value, CMC_Behaviour_Entry* nested);
    // Whether running this value statement now would give, after its step, a copy of
    // its literal: it is a number or quoted text, or a name that was looked up in
    // `scope` and missed with no name changed anywhere since.
    [[gnu::visibility("hidden")]] bool givesLiteral(CMC_ObjectsContainer* scope) const;
    bool owns(CXObject* value) const;
    // The variable an "&NAME" argument passes, or a copy (owned) of the literal NAME.
    CXObject* referenceArgument(const CXString& name);
    [[gnu::visibility("hidden")]] CMC_Object* runValue(CXArray* arguments);
    [[gnu::visibility("hidden")]] CMC_Object* runCall(CMC_Object* running, CXArray* arguments,
                                                      bool resultUnused);
    // Binds a runner for `target`: the factory's for its type, else the target's own.
    static CMC_Runner* runnerFor(CMC_Object* target);
    // Binds the call's target (and its runner and method id), or leaves it unbound.
    void bindTarget(CMC_Object* target);
    // The runner for `target`, with the method id for it in `id`; the id is resolved
    // again only when the runner differs from the last one.
    CMC_Runner* runnerAndMethod(CMC_Object* target, int32_t* id);
    // A "STRUCT|FIELD" name split once; the field itself is looked up at every run.
    void splitFieldName(const CXString& text);
    // The field the split name reaches now, or null.
    CMC_Variable* currentField();
    // After any container dropped an object, looks the bound names up again, so that a
    // statement never calls an object that was deleted (a replaced "__RETURN__", an
    // object that CREATE replaced).
    void refreshBindings();

    CXString m_line;
    CMC_Behaviour* m_owner = nullptr;
    CXString m_objectName;
    CMC_Object* m_object = nullptr;
    CMC_Runner* m_runner = nullptr;
    CXString m_methodName;
    int32_t m_methodId = -1;
    CXVector* m_values = nullptr;
    CXVector* m_nested = nullptr;
    bool m_isReference = false;
    bool m_isThis = false;
    bool m_argumentsFixed = true;
    CMC_Object* m_valueObject = nullptr;
    CXString m_valueText;
    CMC_Object* m_referenceSource = nullptr;
    bool m_nameHasParams = false;
    bool m_releaseInline = true;
    bool m_ownsReferenceSource = false;
    // The value object is the statement's own expression (an "[expr]" statement), or
    // an object found by the value statement's name.
    bool m_ownsValueObject = false;
    bool m_valueNamed = false;
    // The slots of "&NAME" arguments with their names.
    std::vector<std::pair<int, CXString>> m_referenceArguments;
    // The literal a value statement's line spells, read at its first use (owned).
    CMC_Variable* m_literal = nullptr;
    // A value statement that can only be a literal (a number or a quoted text).
    bool m_literalOnly = false;
    // Whether objects found by name at parse time are held, and the container removal
    // count when they were found.
    bool m_holdsNamed = false;
    uint32_t m_bindGeneration = 0;
    // A "STRUCT|FIELD" target or value: the structure is held like other named objects,
    // but never its field, which the structure may drop or replace at any time (a
    // database's cursor structure shows another row's fields after SELECT, a deleted
    // row takes its fields with it).
    bool m_isFieldName = false;
    CXString m_structureName;
    CXString m_fieldName;
    CMC_Object* m_structure = nullptr;
    // A call statement that has no usable method (no "(" or no "^"): running it does nothing.
    bool m_isCall = false;
    bool m_unusable = false;
    // Values the statement made at parse time and deletes with itself: expressions,
    // copies for "&" arguments, the STRING values naming inline behaviours.
    std::vector<CXObject*> m_owned;
    // Runs of this statement in progress (from the first argument computed to the
    // call's end); a re-entrant run computes its arguments into a vector of its own,
    // and with pooled copies of literals, so the outer run's values stay intact.
    int32_t m_activeRuns = 0;
    // Decided at parse time: the text holds "$", and for a text that is just "$N",
    // the argument index N - 1 (else -1).
    bool m_hasParams = false;
    int32_t m_paramIndex = -1;
    // A literal argument's own value (or a "$" argument's cached INTEGER), handed to
    // the runner in place of a pooled copy when the run is not re-entrant (owned;
    // never pooled, never registered).
    CMC_Variable* m_literalCopy = nullptr;
    // The last filled text of a "$" argument that named no variable and spelled an
    // INTEGER literal, with the container and its change count at that time: while
    // both are the same, the same text names no variable still
    // (CMC_ObjectsContainer::getChangeCount) and spells the same number.
    std::string m_filledText;
    CMC_ObjectsContainer* m_filledScope = nullptr;
    uint32_t m_filledChanges = 0;
    int32_t m_filledInteger = 0;
    bool m_filledCached = false;
    // A value statement's name that named no variable in this container, at this
    // change count.
    CMC_ObjectsContainer* m_missScope = nullptr;
    uint32_t m_missChanges = 0;
    bool m_missKnown = false;
    // The registered object this argument statement gave last, found under this name
    // in this container at this change count (releaseComputed's look-up).
    const CXObject* m_heldResult = nullptr;
    CMC_ObjectsContainer* m_heldScope = nullptr;
    uint32_t m_heldChanges = 0;
    std::string m_heldName;

    static uint32_t s_inlineCounter;
};
