#include "script/CMC_Variable_Runner.h"

#include <cmath>
#include <cstdint>
#include <typeinfo>

#include "foundation/CFile.h"
#include "foundation/CPath.h"
#include "foundation/CXRandom.h"
#include "foundation/CXVector.h"
#include "foundation/Crt.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kVariable, []() -> CMC_Runner* { return new CMC_Variable_Runner(); });

// Degrees to radians by π/180 as a single-precision constant; radians to degrees by
// 180 / 3.141592654.
constexpr double kDegToRad = static_cast<double>(0.017453292f);
constexpr double kRadToDeg = 57.29577950560105;

// A double cut toward zero into 32 bits: out-of-range values stick at the ends, NaN is 0.
int32_t toInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Sets the target, then gives a new temporary of the same value (taken first).
CMC_Variable* storeInteger(CMC_Integer* target, int value) {
    CMC_Integer* result = CMC_VariableFactory::allocInteger();
    target->setValue(value);
    if (result) result->setValue(value);
    return result;
}

CMC_Variable* storeDouble(CMC_Double* target, double value) {
    CMC_Double* result = CMC_VariableFactory::allocDouble();
    target->setValue(value);
    if (result) result->setValue(value);
    return result;
}

}  // namespace

void CMC_Variable_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    static const struct {
        const char* name;
        int id;
    } kMethods[] = {
        {"SET", kSet},         {"SWITCH", kSwitch},     {"INC", kInc},
        {"DEC", kDec},         {"CLEAR", kClear},       {"ADD", kAdd},
        {"MUL", kMul},         {"SUB", kSub},           {"DIV", kDiv},
        {"MOD", kMod},         {"RESETINI", kResetIni}, {"SETDEFAULT", kSetDefault},
        {"ABS", kAbs},         {"AND", kAnd},           {"OR", kOr},
        {"NOT", kNot},         {"XOR", kXor},           {"POWER", kPower},
        {"LOG", kLog},         {"SQRT", kSqrt},         {"SGN", kSgn},
        {"CLAMP", kClamp},     {"LENGTH", kLength},     {"ARCTAN", kArcTan},
        {"ARCTANEX", kArcTanEx}, {"GET", kGet},         {"MAXA", kMaxA},
        {"MINA", kMinA},       {"SINUS", kSinus},       {"COSINUS", kCosinus},
        {"UPPER", kUpper},     {"LOWER", kLower},       {"FIND", kFind},
        {"CUT", kCut},         {"REPLACEAT", kReplaceAt}, {"INSERTAT", kInsertAt},
        {"REPLACE", kReplace}, {"ROUND", kRound},       {"ISUPPERLETTER", kIsUpperLetter},
        {"COPYFILE", kCopyFile}, {"RANDOM", kRandom},
    };
    for (const auto& m : kMethods) putMethod(m.name, m.id);
}

CMC_Variable* CMC_Variable_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    if (id < 1 || id > 48) return CMC_Runner::run(id, target, container, arguments);
    CMC_Variable* value = asVariable(target);
    if (!value) return nullptr;
    const int count = argumentCount(arguments);

    switch (id) {
    case kSet:
        if (CMC_Variable* other = getArgument(arguments, 0)) value->set(other);
        return nullptr;
    case kSwitch: {
        CMC_Variable* a = getArgument(arguments, 0);
        CMC_Variable* b = getArgument(arguments, 1);
        if (a && b) value->swap(a, b);
        return nullptr;
    }
    case kClear:
        value->clear();
        return nullptr;
    case kInc:
        value->inc();
        return nullptr;
    case kDec:
        value->dec();
        return nullptr;
    case kResetIni:
        value->resetINI();
        return nullptr;
    case kSetDefault:
        if (CMC_Variable* other = getParameter(arguments, 0)) value->setDefault(other);
        return nullptr;
    case kAdd:
        return arithmetic(value, arguments, CMC_Variable::kAdd, true);
    case kMul:
        return arithmetic(value, arguments, CMC_Variable::kMul, false);
    case kDiv:
        return arithmetic(value, arguments, CMC_Variable::kDiv, false);
    case kMod:
        return arithmetic(value, arguments, CMC_Variable::kMod, false);
    case kSub:
        if (value->getType() == CMC_Variable::kString) return stringMethod(id, value, arguments);
        return arithmetic(value, arguments, CMC_Variable::kSub, false);
    case kGet:
        return get(value, arguments);
    case kAbs:
    case kAnd:
    case kOr:
    case kXor:
        return integerMethod(id, value, arguments);
    case kNot:
        if (value->getType() == CMC_Variable::kString) return stringMethod(id, value, arguments);
        return integerMethod(id, value, arguments);
    case kPower:
    case kClamp:
    case kSqrt:
    case kLog:
    case kSgn:
    case kRound:
    case kMinA:
    case kMaxA:
    case kLength:
        return numericMethod(id, value, arguments);
    case kSinus:
    case kCosinus:
    case kArcTan:
    case kArcTanEx:
        return angleMethod(id, value, arguments);
    case kUpper:
    case kLower:
    case kFind:
    case kCut:
    case kReplaceAt:
    case kInsertAt:
    case kReplace:
    case kIsUpperLetter:
        return stringMethod(id, value, arguments);
    case kCopyFile:
        return copyFile(container, arguments);
    case kRandom:
        return random(value, arguments);
    default:
        (void)count;
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_Variable_Runner::runForEffect(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                                CXVector* arguments) {
    // ADD is the one arithmetic method that gives a result; the assignment and its
    // change step are the same without it. A runner derived from this one may carry
    // out ADD in its own run.
    if (id == kAdd && &typeid(*this) == &typeid(CMC_Variable_Runner)) {
        if (CMC_Variable* value = asVariable(target)) return arithmetic(value, arguments, CMC_Variable::kAdd, false);
        return nullptr;
    }
    return run(id, target, container, arguments);
}

CMC_Variable* CMC_Variable_Runner::arithmetic(CMC_Variable* target, CXVector* arguments, int op, bool giveResult) {
    CMC_Variable* other = getArgument(arguments, 0);
    if (!other) return nullptr;
    auto* left = &typeid(*target) == &typeid(CMC_Integer) ? static_cast<CMC_Integer*>(target) : nullptr;
    if (left && &typeid(*other) == &typeid(CMC_Integer)) {
        // INTEGER with INTEGER, as calculate, set and the copy below do it, without the
        // intermediate value: the operand is released as calculate releases it, the
        // target changes with its change step, and the caller gets a pooled copy.
        const int32_t value = CMC_Integer::combine(left->getValue(), static_cast<CMC_Integer*>(other)->getValue(), op);
        CMC_Object::flush(other);
        left->assign(value);
        return giveResult ? CMC_VariableFactory::newInteger(value) : nullptr;
    }
    CMC_Variable* r = target->calculate(other, op);
    if (!r) return nullptr;
    target->set(r);
    CMC_Variable* copy = giveResult ? CMC_VariableFactory::copyVariable(r) : nullptr;
    CMC_Object::flush(r);
    return copy;
}

CMC_Variable* CMC_Variable_Runner::get(CMC_Variable* target, CXVector* arguments) {
    switch (target->getType()) {
    case CMC_Variable::kInteger:
        if (auto* v = dynamic_cast<CMC_Integer*>(target)) return CMC_VariableFactory::newInteger(v->getValue());
        return nullptr;
    case CMC_Variable::kDouble:
        if (auto* v = dynamic_cast<CMC_Double*>(target)) return CMC_VariableFactory::newDouble(v->getValue());
        return nullptr;
    case CMC_Variable::kString: {
        auto* v = dynamic_cast<CMC_String*>(target);
        if (!v) return nullptr;
        const CXString text = v->getValue();
        const int64_t length = text.getLength();
        const int count = argumentCount(arguments);
        if (count == 0) return CMC_VariableFactory::newString(text);
        const int64_t i = parameterInt(arguments, 0);
        if (count == 1) {
            if (i < 0 || i >= length) return nullptr;
            return CMC_VariableFactory::newString(text.Mid(static_cast<int>(i), static_cast<int>(i) + 1));
        }
        const int64_t n = parameterInt(arguments, 1);
        if (i < 0 || i > length) return nullptr;
        if (n == -1) return CMC_VariableFactory::newString(text.Right(static_cast<int>(i)));
        if (n < 0 || i + n > length) return nullptr;
        return CMC_VariableFactory::newString(text.Mid(static_cast<int>(i), static_cast<int>(i + n)));
    }
    case CMC_Variable::kBool:
    case CMC_Variable::kExpression:
        return target;
    default:
        return nullptr;
    }
}

CMC_Variable* CMC_Variable_Runner::integerMethod(int id, CMC_Variable* target, CXVector* arguments) {
    auto* integer = dynamic_cast<CMC_Integer*>(target);
    if (!integer || target->getType() != CMC_Variable::kInteger) return nullptr;
    if (id == kNot) return storeInteger(integer, ~integer->getValue());
    if (argumentCount(arguments) < 1) return nullptr;
    const int argument = parameterInt(arguments, 0);
    const int current = integer->getValue();
    switch (id) {
    case kAbs: return storeInteger(integer, absolute(argument));
    case kAnd: return storeInteger(integer, current & argument);
    case kOr: return storeInteger(integer, current | argument);
    case kXor: return storeInteger(integer, current ^ argument);
    default: return nullptr;
    }
}

CMC_Variable* CMC_Variable_Runner::numericMethod(int id, CMC_Variable* target, CXVector* arguments) {
    const int count = argumentCount(arguments);
    auto* integer = target->getType() == CMC_Variable::kInteger ? dynamic_cast<CMC_Integer*>(target) : nullptr;
    auto* real = target->getType() == CMC_Variable::kDouble ? dynamic_cast<CMC_Double*>(target) : nullptr;

    switch (id) {
    case kPower:
        if (count < 1) return nullptr;
        if (integer) {
            const double e = parameterInt(arguments, 0);
            return storeInteger(integer, toInt32(std::pow(static_cast<double>(integer->getValue()), e)));
        }
        if (real) return storeDouble(real, std::pow(real->getValue(), parameterDouble(arguments, 0)));
        return nullptr;
    case kClamp:
        if (count < 2) return nullptr;
        if (integer) {
            const int lo = parameterInt(arguments, 0);
            const int hi = parameterInt(arguments, 1);
            int v = integer->getValue();
            if (v < lo)
                v = lo;
            else if (v > hi)
                v = hi;
            return storeInteger(integer, v);
        }
        if (real) {
            const double lo = parameterDouble(arguments, 0);
            const double hi = parameterDouble(arguments, 1);
            double v = real->getValue();
            if (v < lo)
                v = lo;
            else if (v > hi)
                v = hi;
            return storeDouble(real, v);
        }
        return nullptr;
    case kSqrt:
        if (!real) return nullptr;
        return storeDouble(real, std::sqrt(real->getValue()));
    case kLog:
        if (!real || count < 1) return nullptr;
        return storeDouble(real, std::log(parameterDouble(arguments, 0)));
    case kSgn: {
        if (!real) return nullptr;
        const double v = real->getValue();
        return CMC_VariableFactory::newInteger(v > 0.0 ? 1 : (v < 0.0 ? -1 : 0));
    }
    case kRound: {
        if (!real) return nullptr;
        const double v = real->getValue();
        const int32_t hundredfold = toInt32(v * 100.0);
        const int32_t whole = toInt32(v);
        const bool up = hundredfold % 100 >= 50 && whole < INT32_MAX;
        return CMC_VariableFactory::newInteger(up ? whole + 1 : whole);
    }
    case kMinA:
    case kMaxA: {
        if (!real || count < 1) return nullptr;
        double m = parameterDouble(arguments, 0);
        for (int i = 1; i < count; ++i) {
            const double v = parameterDouble(arguments, i);
            if (id == kMinA ? v < m : v > m) m = v;
        }
        return storeDouble(real, m);
    }
    case kLength: {
        if (target->getType() == CMC_Variable::kString) {
            auto* text = dynamic_cast<CMC_String*>(target);
            return text ? CMC_VariableFactory::newInteger(text->getValue().getLength()) : nullptr;
        }
        if ((!integer && !real) || count < 2) return nullptr;
        const double x = parameterDouble(arguments, 0);
        const double y = parameterDouble(arguments, 1);
        const double length = std::sqrt(x * x + static_cast<double>(static_cast<float>(y * y)));
        CMC_Double* result = CMC_VariableFactory::allocDouble();
        // An INTEGER keeps the length rounded half away from zero.
        if (integer) integer->setValue(std::isnan(length) ? 0 : CMC_Double::round(std::fmin(length, 2147483647.0)));
        if (real) real->setValue(length);
        if (result) result->setValue(length);
        return result;
    }
    default:
        return nullptr;
    }
}

CMC_Variable* CMC_Variable_Runner::angleMethod(int id, CMC_Variable* target, CXVector* arguments) {
    auto* real = target->getType() == CMC_Variable::kDouble ? dynamic_cast<CMC_Double*>(target) : nullptr;
    const int count = argumentCount(arguments);
    if (!real) return nullptr;
    switch (id) {
    case kSinus:
        if (count < 1) return nullptr;
        return storeDouble(real, std::sin(parameterDouble(arguments, 0) * kDegToRad));
    case kCosinus:
        if (count < 1) return nullptr;
        return storeDouble(real, std::cos(parameterDouble(arguments, 0) * kDegToRad));
    case kArcTan:
        if (count < 1) return nullptr;
        return storeDouble(real, std::atan(parameterDouble(arguments, 0)) * kRadToDeg);
    case kArcTanEx: {
        if (count < 2) return nullptr;
        const double y = parameterDouble(arguments, 0);
        const double x = parameterDouble(arguments, 1);
        double angle = std::atan2(y, x) * kRadToDeg;
        if (angle < 0.0) angle += 360.0;
        if (count == 3) {
            const double offset = parameterDouble(arguments, 2);
            angle = static_cast<double>(toInt32(angle + offset) % 360);
        }
        return storeDouble(real, angle);
    }
    default:
        return nullptr;
    }
}

CMC_Variable* CMC_Variable_Runner::stringMethod(int id, CMC_Variable* target, CXVector* arguments) {
    auto* string = target->getType() == CMC_Variable::kString ? dynamic_cast<CMC_String*>(target) : nullptr;
    if (!string) return id == kIsUpperLetter ? CMC_VariableFactory::newBool(false) : nullptr;
    const int count = argumentCount(arguments);
    const CXString text = string->getValue();
    const int64_t length = text.getLength();

    switch (id) {
    case kUpper:
        string->upper();
        return nullptr;
    case kLower:
        string->lower();
        return nullptr;
    case kNot: {
        CXString reversed;
        for (int i = text.getLength() - 1; i >= 0; --i) reversed += text.GetAt(i);
        CMC_String* result = CMC_VariableFactory::allocString();
        string->setValue(reversed);
        if (result) result->setValue(reversed);
        return result;
    }
    case kFind: {
        if (count < 1) return nullptr;
        const CXString sought = getParameterText(arguments, 0);
        const int start = count >= 2 ? parameterInt(arguments, 1) : 0;
        if (start < 0 || start > length) return nullptr;
        if (!sought.IsString()) return CMC_VariableFactory::newInteger(start);
        return CMC_VariableFactory::newInteger(text.indexOf(sought, start));
    }
    case kCut: {
        if (count < 2) return nullptr;
        const int64_t i = parameterInt(arguments, 0);
        const int64_t n = parameterInt(arguments, 1);
        if (i < 0 || i > length) return nullptr;
        if (n <= 0 || i + n > length)
            string->setValue(text.Right(static_cast<int>(i)));
        else
            string->setValue(text.Mid(static_cast<int>(i), static_cast<int>(i + n)));
        return nullptr;
    }
    case kSub: {
        if (count < 2) return nullptr;
        const int64_t i = parameterInt(arguments, 0);
        const int64_t n = parameterInt(arguments, 1);
        if (i < 0 || n < 0 || i + n > length) return nullptr;
        string->setValue(text.Left(static_cast<int>(i)) + text.Right(static_cast<int>(i + n)));
        return nullptr;
    }
    case kReplaceAt: {
        if (count < 2) return nullptr;
        const int64_t i = parameterInt(arguments, 0);
        const CXString with = getParameterText(arguments, 1);
        if (i < 0 || i > length) return nullptr;
        CXString out = text.Left(static_cast<int>(i)) + with;
        if (i + with.getLength() < length) out += text.Right(static_cast<int>(i) + with.getLength());
        string->setValue(out);
        return nullptr;
    }
    case kInsertAt: {
        if (count < 2) return nullptr;
        const int64_t i = parameterInt(arguments, 0);
        const CXString insert = getParameterText(arguments, 1);
        const int times = count >= 3 ? parameterInt(arguments, 2) : 1;
        for (int k = 0; k < times; ++k) {
            // Read afresh: a change handler may have altered the text.
            const CXString current = string->getValue();
            if (i < 0 || i > current.getLength()) break;
            string->setValue(current.Left(static_cast<int>(i)) + insert + current.Right(static_cast<int>(i)));
        }
        return nullptr;
    }
    case kReplace: {
        if (count < 2) return nullptr;
        const CXString what = getParameterText(arguments, 0);
        const CXString with = getParameterText(arguments, 1);
        string->setValue(text.replace(what, with));
        return nullptr;
    }
    case kIsUpperLetter: {
        if (count < 1) return nullptr;
        return CMC_VariableFactory::newBool(text.IsUpper(parameterInt(arguments, 0)));
    }
    default:
        return nullptr;
    }
}

CMC_Variable* CMC_Variable_Runner::copyFile(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (argumentCount(arguments) < 2) return nullptr;
    CWindow* window = container ? container->getWindow() : nullptr;
    const CXString from = CPath::resolveFileNameEx(window, getParameterText(arguments, 0));
    const CXString to = CPath::resolveFileNameEx(window, getParameterText(arguments, 1));
    return CMC_VariableFactory::newBool(CFile::copyWhole(from, to, "COPYFILE"));
}

CMC_Variable* CMC_Variable_Runner::random(CMC_Variable* target, CXVector* arguments) {
    const int count = argumentCount(arguments);
    crt::srand(static_cast<uint32_t>(platform::clock().wallClock()));
    int drawn = 0;
    if (count == 1) {
        drawn = CXRandom::random(parameterInt(arguments, 0));
    } else if (count >= 2) {
        const int a = parameterInt(arguments, 0);
        const int n = parameterInt(arguments, 1);
        drawn = CXRandom::random(a, n);
    }
    CMC_Integer* result = CMC_VariableFactory::allocInteger();
    if (target->getType() == CMC_Variable::kInteger) {
        if (auto* integer = dynamic_cast<CMC_Integer*>(target)) integer->setValue(drawn);
    }
    if (result) result->setValue(drawn);
    return result;
}
