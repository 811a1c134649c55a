// CONDITION (type 10): compares two operands, each a statement of the behaviour
// language (a literal, a variable's name, a call or a bracketed expression), by the
// operator word of its OPERATOR property.
//
// The class also holds the evaluators of the text conditions that the built-in
// statements IF and WHILE take: one comparison written with an operator character
// ("A'5", "A!'5", "A<5", "A<'5", "A>5", "A>'5", "A?ANIMO"), one comparison given an
// operator word ("_", "!_", "<>", "<", "<_", ">", ">_", "?"), and comparisons joined
// with "&&" or "||". Text operands are evaluated afresh on every evaluation.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_BasicCondition.h"

class CMElement;
class CMC_Behaviour;
class CMC_Behaviour_Entry;
class CMC_ObjectsContainer;

class CMC_Condition : public CMC_BasicCondition {
public:
    static constexpr int kType = 10;
    // Comparison codes, shared by condition objects and text conditions.
    enum : int32_t {
        kEqual = 1,
        kNotEqual = 2,
        kLess = 3,
        kLessEqual = 4,
        kGreater = 5,
        kGreaterEqual = 6,
        kInstanceOf = 7,
    };

    // Reads "OPERATOR", "OPERAND1", "OPERAND2"; the operands are parsed by init.
    CMC_Condition(CMC_ObjectsContainer* container, CMElement* element);
    // An empty condition named "temp" (filled by a scene binary).
    explicit CMC_Condition(CMC_ObjectsContainer* container);
    ~CMC_Condition() override;
    CMC_Condition(const CMC_Condition&) = delete;
    CMC_Condition& operator=(const CMC_Condition&) = delete;

    // The common init ("ONINIT"), then each operand text becomes one statement.
    void init() override;
    // Deletes the operand statements, then the common done ("ONDONE").
    bool done(bool flag) override;
    // The common part, then the operand texts and the operator text.
    void serialize(CXArchive* archive) override;

    // Runs both operand statements and compares their values. False (without
    // events) when the right value cannot be converted to the left one's type.
    bool valid(bool raise) override;

    // Sets the code from the operator text; an unknown word keeps the code.
    void resolveCondition();
    int getOperatorCode() const { return m_code; }
    CXString getOperand1() const { return m_operand1Text; }
    CXString getOperand2() const { return m_operand2Text; }
    CXString getOperator() const { return m_operatorText; }

    // ---- text conditions -----------------------------------------------------------
    // One comparison written with an operator character. A text without any operator
    // character is false; one that begins with its apostrophe compares an empty left text.
    static bool valid(CMC_ObjectsContainer* container, CXString text);
    // One comparison given an operator word (any other word compares for equality).
    static bool valid(CMC_ObjectsContainer* container, CXString operand1, CXString operand2, CXString word);
    // The comparison of two operand texts by code 1 to 7; any other code is false.
    static bool valid(CMC_ObjectsContainer* container, CXString left, CXString right, int code);
    // Comparisons joined with "&&" or "||", evaluated left to right and only as far
    // as needed (see the source for a text that mixes both).
    static bool validJoined(CMC_ObjectsContainer* container, CXString text);
    // The code of an operator word of the text form; 1 for any other word.
    static int wordToCode(const CXString& word);

private:
    void makeOperandBehaviour();
    void deleteOperands();

    CMC_Behaviour* m_operandBehaviour = nullptr;
    CMC_Behaviour_Entry* m_operand1 = nullptr;
    CMC_Behaviour_Entry* m_operand2 = nullptr;
    CXString m_operand1Text;
    CXString m_operand2Text;
    CXString m_operatorText;
    int32_t m_code = kEqual;
};
