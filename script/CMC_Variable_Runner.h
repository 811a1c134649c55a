// The runner of the simple values (INTEGER, STRING, BOOL, DOUBLE and EXPRESSION): the
// script's arithmetic, text and maths methods. A method called on a target of a type
// it does not serve, without the arguments it needs, or with a text index outside
// the text does nothing and returns nothing.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Variable_Runner : public CMC_Runner {
public:
    enum : int {
        kSet = 1,
        kSwitch = 2,
        kClear = 3,
        kInc = 4,
        kDec = 5,
        kAdd = 6,
        kMul = 7,
        kResetIni = 8,
        kSetDefault = 9,
        kSub = 10,
        kDiv = 11,
        kMod = 12,
        kAbs = 13,
        kAnd = 14,
        kOr = 15,
        kNot = 16,
        kXor = 17,
        kPower = 18,
        kSqrt = 20,
        kClamp = 21,
        kLength = 22,
        kArcTan = 23,
        kGet = 24,
        kMinA = 25,
        kMaxA = 26,
        kArcTanEx = 27,
        kSinus = 28,
        kCosinus = 29,
        kUpper = 30,
        kFind = 31,
        kCut = 32,
        kReplaceAt = 33,
        kInsertAt = 34,
        kReplace = 35,
        kRound = 36,
        kIsUpperLetter = 37,
        kSgn = 38,
        kCopyFile = 39,
        kRandom = 40,
        kLog = 41,
        kLower = 48,
    };

    CMC_Variable_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
    // ADD without its result copy; every other method as run.
    CMC_Variable* runForEffect(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                               CXVector* arguments) override;

private:
    [[gnu::visibility("hidden")]] CMC_Variable* arithmetic(CMC_Variable* target, CXVector* arguments, int op,
                                                           bool giveResult);
    CMC_Variable* get(CMC_Variable* target, CXVector* arguments);
    CMC_Variable* integerMethod(int id, CMC_Variable* target, CXVector* arguments);
    CMC_Variable* numericMethod(int id, CMC_Variable* target, CXVector* arguments);
    CMC_Variable* angleMethod(int id, CMC_Variable* target, CXVector* arguments);
    CMC_Variable* stringMethod(int id, CMC_Variable* target, CXVector* arguments);
    CMC_Variable* copyFile(CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* random(CMC_Variable* target, CXVector* arguments);
};
