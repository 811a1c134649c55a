// The script's EXPRESSION (type 12): a value that is not stored but computed, each time
// it is used, from operands and operators strictly left to right without precedence
// ("A+2*3" is (A+2)*3). Operands are statements of the behaviour language (numbers,
// quoted texts, names, calls, bracketed expressions); operators are "+" "-" "*" "@" "%"
// in text (ADD, SUB, MUL, DIV, MOD in a definition element's OPERATOR).
//
// Two origins: a named object of a definition file ("OPERAND1", "OPERATOR",
// "OPERAND2"; kept for the scene's life, isStill() true) and the interpreter's
// temporaries over the text of a bracketed statement or argument (named "temp", not
// still: deleted once the statement that used it has run).
//
// The result of a calculation is a pooled temporary (or, for a single operand, that
// operand's own value) and is valid until the next calculation or application step.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_Variable.h"

class CXArray;
class CMElement;
class CMC_Behaviour;
class CMC_ObjectsContainer;

class CMC_Expression : public CMC_Variable {
public:
    static constexpr int kType = kExpression;

    // From a definition element; operands stay texts until init.
    CMC_Expression(CMC_ObjectsContainer* container, CMElement* element);
    // From the text between the brackets, in `container` (which does not register
    // it); already initialised.
    CMC_Expression(CMC_ObjectsContainer* container, CXString text);
    ~CMC_Expression() override;
    CMC_Expression(const CMC_Expression&) = delete;
    CMC_Expression& operator=(const CMC_Expression&) = delete;

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    using CMC_Object::clone;
    // An unpooled copy of the calculated value (null when there is none).
    CXObject* clone() override;
    // The common init ("ONINIT"), then the operand texts become statements.
    void init() override;

    // An expression holds no value of its own: these change nothing.
    void set(CMC_Variable* other) override;
    void clear() override;
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    void inc() override;
    void dec() override;
    void setDefault(CMC_Variable* other) override;
    void resetINI() override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void store(CXArchive* archive) override;
    void restore(CXArchive* archive) override;

    // Calculate, then work on the result (the other value converted to its type).
    bool equals(CMC_Variable* other) override;
    int compare(CMC_Variable* other) override;
    CMC_Variable* convert(int type) override;
    // The result (left) with the other value; the stored result is not changed.
    CMC_Variable* calculate(CMC_Variable* other, int op) override;

    // The last result, without calculating; null before the first calculation.
    virtual CMC_Variable* getResult();
    // Evaluates the items and stores the new result.
    virtual void calculate();
    // Calculates and hands the result to the caller, who releases it (flush) when it
    // is pooled; the expression keeps pointing at it but will not release it. For
    // taking the value of an expression that is about to be deleted.
    CMC_Variable* detachResult();

    bool isStill() const { return m_still; }
    // Number of items: operands at even positions, operator codes at odd ones.
    int getItemCount() const;
    // The text of operand `n` (counted over operands only) as written; empty outside.
    CXString getOperandText(int n) const;
    // The operator code at item `i` (odd), 0 when there is none.
    int getOperatorCode(int i) const;

    // The code of an operator symbol or word; 0 for any other text.
    static int resolveOp(const CXString& text);

private:
    struct Item;
    void appendOperand(const CXString& text);
    void appendOperator(int code);
    void splitText(const CXString& text);
    void makeOperandBehaviour(CMC_ObjectsContainer* container);
    // Each operand text becomes a statement of the operand behaviour (once).
    void parseOperands();
    // The calculated result, or null with `inner` set when the result is itself
    // an expression (to which the value operations pass on).
    CMC_Variable* calculatedValue(CMC_Expression** inner);
    // The value of operand item `i`, or null when it gives no value.
    CMC_Variable* evaluateOperand(int i);
    // Gives a pooled value back unless its pool was cleared since we received it.
    void release(CMC_Variable* value, bool resultOwned);
    void releaseResult();

    CMC_Variable* m_result = nullptr;
    // Whether m_result is a pooled value handed to this expression (not an operand's
    // own variable), and the pool generation in which it was handed out.
    bool m_resultPooled = false;
    uint32_t m_resultGeneration = 0;
    CXArray* m_items = nullptr;
    CMC_Behaviour* m_operandBehaviour = nullptr;
    bool m_still = false;
    bool m_initialized = false;
    bool m_calculating = false;
};
