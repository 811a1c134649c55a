#include "script/CMC_Array_Runner.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CPath.h"
#include "foundation/CXArray.h"
#include "foundation/CXRandom.h"
#include "foundation/CXVector.h"
#include "script/CMC_Array.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kArray, []() -> CMC_Runner* { return new CMC_Array_Runner(); });

// A copy of an element that lives until the next application step, as pooled results
// do: the global trash owns it. It is not marked as a clone, so a statement that
// used it as an argument leaves it to the trash instead of deleting it.
CMC_Variable* trashedCopy(CMC_Variable* element) {
    CMC_Variable* copy = CMC_Array::copyElement(element);
    if (!copy) return nullptr;
    copy->setCloneFlag(false);
    CMC_Behaviour::addToTrash(copy);
    return copy;
}

}  // namespace

void CMC_Array_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    static const struct {
        const char* name;
        int id;
    } kMethods[] = {
        {"ADD", kAdd},
        {"GETSIZE", kGetSize},
        {"INSERTAT", kInsertAt},
        {"REMOVEAT", kRemoveAt},
        {"CHANGEAT", kChangeAt},
        {"REMOVEALL", kRemoveAll},
        {"GET", kGet},
        {"REMOVE", kRemove},
        {"FIND", kFind},
        {"REVERSEFIND", kReverseFind},
        {"FINDALL", kFindAll},
        {"CONTAINS", kContains},
        {"SAVEINI", kSaveINI},
        {"LOADINI", kLoadINI},
        {"PREV", kPrev},
        {"NEXT", kNext},
        {"ADDCLONES", kAddClones},
        {"RESETMARKER", kResetMarker},
        {"GETMARKERPOS", kGetMarkerPos},
        {"SETMARKERPOS", kSetMarkerPos},
        {"SUM", kSum},
        {"SUMA", kSumA},
        {"SUB", kSub},
        {"SUBA", kSubA},
        {"MUL", kMul},
        {"MULA", kMulA},
        {"DIV", kDiv},
        {"DIVA", kDivA},
        {"MIN", kMin},
        {"MIND", kMinD},
        {"MAX", kMax},
        {"MAXD", kMaxD},
        {"GETSUMVALUE", kGetSumValue},
        {"LOAD", kLoad},
        {"SAVE", kSave},
        {"SORT", kSort},
        {"SORTMANY", kSortMany},
        {"ADDAT", kAddAt},
        {"SUBAT", kSubAt},
        {"MULAT", kMulAt},
        {"DIVAT", kDivAt},
        {"MODAT", kModAt},
        {"CLAMPAT", kClampAt},
        {"DIR", kDir},
        {"COMPARE", kCompare},
        {"COPYTO", kCopyTo},
        {"SWAP", kSwap},
        {"SENDONCHANGE", kSendOnChange},
        {"SHIFTLEFT", kShiftLeft},
        {"SHIFTRIGHT", kShiftRight},
        {"ROTATELEFT", kRotateLeft},
        {"ROTATERIGHT", kRotateRight},
        {"FILL", kFill},
        {"RANDOMFILL", kRandomFill},
    };
    for (const auto& m : kMethods) putMethod(m.name, m.id);
}

CMC_Variable* CMC_Array_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* array = dynamic_cast<CMC_Array*>(target);
    if (!array) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kAdd: return add(array, arguments);
    case kGetSize: return getSize(array);
    case kInsertAt: return insertAt(array, arguments);
    case kRemoveAt: return removeAt(array, arguments);
    case kChangeAt: return changeAt(array, arguments);
    case kRemoveAll: return removeAll(array);
    case kGet: return get(array, arguments);
    case kRemove: return remove(array, arguments);
    case kFind: return find(array, arguments);
    case kContains: return contains(array, arguments);
    case kSaveINI: array->saveINI(); return nullptr;
    case kLoadINI: return loadINI(array);
    case kPrev: return prev(array, arguments);
    case kNext: return next(array, arguments);
    case kAddClones: return addClones(array, container, arguments);
    case kResetMarker: return resetMarker(array);
    case kGetMarkerPos: return getMarkerPos(array);
    case kSetMarkerPos: return setMarkerPos(array, arguments);
    case kSum: return arithmetic(array, arguments, CMC_Variable::kAdd);
    case kSumA: return rangeArithmetic(array, arguments, CMC_Variable::kAdd);
    case kSub: return arithmetic(array, arguments, CMC_Variable::kSub);
    case kSubA: return rangeArithmetic(array, arguments, CMC_Variable::kSub);
    case kMul: return arithmetic(array, arguments, CMC_Variable::kMul);
    case kMulA: return rangeArithmetic(array, arguments, CMC_Variable::kMul);
    case kDiv: return arithmetic(array, arguments, CMC_Variable::kDiv);
    case kDivA: return rangeArithmetic(array, arguments, CMC_Variable::kDiv);
    case kMin: return _min(array);
    case kMax: return _max(array);
    case kGetSumValue: return getSumValue(array);
    case kSort: return sort(array, arguments);
    case kLoad: return load(array, arguments);
    case kSave: return save(array, arguments);
    case kReverseFind: return reversefind(array, arguments);
    case kMulAt: return arithmeticAt(array, arguments, CMC_Variable::kMul);
    case kDivAt: return arithmeticAt(array, arguments, CMC_Variable::kDiv);
    case kAddAt: return arithmeticAt(array, arguments, CMC_Variable::kAdd);
    case kSubAt: return arithmeticAt(array, arguments, CMC_Variable::kSub);
    case kModAt: return arithmeticAt(array, arguments, CMC_Variable::kMod);
    case kClampAt: return clampAt(array, arguments);
    case kDir: return dir(array, container, arguments);
    case kCompare: return compare(array, container, arguments);
    case kSendOnChange: return sendOnChange(array, arguments);
    case kShiftLeft: array->shiftLeft(); return nullptr;
    case kShiftRight: array->shiftRight(); return nullptr;
    case kRotateLeft: array->rotateLeft(); return nullptr;
    case kRotateRight: array->rotateRight(); return nullptr;
    case kSwap: return swap(array, arguments);
    case kFindAll: return findAll(array, container, arguments);
    case kSortMany: return nullptr;
    case kMaxD: return maxd(array);
    case kMinD: return mind(array);
    case kCopyTo: return copyTo(array, container, arguments);
    case kFill: return fill(array, arguments);
    case kRandomFill: return randomFill(array, arguments);
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Array* CMC_Array_Runner::namedArray(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container || argumentCount(arguments) < 1) return nullptr;
    return dynamic_cast<CMC_Array*>(container->getObject(getParameterText(arguments, 0)));
}

// ---- elements -----------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::add(CMC_Array* array, CXVector* arguments) {
    const int count = argumentCount(arguments);
    for (int i = 0; i < count; ++i) array->add(getParameter(arguments, i));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::getSize(CMC_Array* array) { return CMC_VariableFactory::newInteger(array->getSize()); }

CMC_Variable* CMC_Array_Runner::insertAt(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 2) return nullptr;
    const int index = parameterInt(arguments, 0);
    // Inserting at index == size (an append) is not allowed.
    if (index >= 0 && index < array->getSize()) array->insertAt(index, getParameter(arguments, 1));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::removeAt(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 1) return nullptr;
    const int index = parameterInt(arguments, 0);
    if (index >= 0 && index < array->getSize()) array->removeAt(index);
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::changeAt(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 2) return nullptr;
    const int index = parameterInt(arguments, 0);
    if (index >= 0 && index < array->getSize()) array->changeAt(index, getParameter(arguments, 1));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::removeAll(CMC_Array* array) {
    array->removeAll();
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::get(CMC_Array* array, CXVector* arguments) {
    const int index = parameterInt(arguments, 0);
    if (CMC_Variable* element = array->get(index)) {
        if (CMC_Variable* copy = CMC_VariableFactory::copyVariable(element)) return copy;
    }
    return CMC_VariableFactory::newString(CXString("NULL"));
}

CMC_Variable* CMC_Array_Runner::remove(CMC_Array* array, CXVector* arguments) {
    if (CMC_Variable* value = getParameter(arguments, 0)) array->remove(value);
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::find(CMC_Array* array, CXVector* arguments) {
    CMC_Variable* value = getParameter(arguments, 0);
    return CMC_VariableFactory::newInteger(value ? array->find(value) : -1);
}

CMC_Variable* CMC_Array_Runner::reversefind(CMC_Array* array, CXVector* arguments) {
    CMC_Variable* value = getParameter(arguments, 0);
    return CMC_VariableFactory::newInteger(value ? array->reversefind(value) : -1);
}

CMC_Variable* CMC_Array_Runner::contains(CMC_Array* array, CXVector* arguments) {
    CMC_Variable* value = getParameter(arguments, 0);
    return CMC_VariableFactory::newBool(value && array->contains(value));
}

CMC_Variable* CMC_Array_Runner::findAll(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments) {
    CMC_Array* destination = namedArray(container, arguments);
    if (!destination) return CMC_VariableFactory::newInteger(0);
    int total = 0;
    const int count = argumentCount(arguments);
    for (int a = 1; a < count; ++a) {
        CMC_Variable* value = getParameter(arguments, a);
        if (!value) continue;
        std::vector<int> indices(static_cast<size_t>(std::max(array->getSize(), 1)));
        const int found = array->findAll(value, indices.data(), static_cast<int>(indices.size()));
        total += found;
        CMC_Integer item(0);
        for (int k = 0; k < found; ++k) {
            item.setValue(indices[static_cast<size_t>(k)]);
            destination->add(&item);
        }
    }
    return CMC_VariableFactory::newInteger(total);
}

CMC_Variable* CMC_Array_Runner::loadINI(CMC_Array* array) {
    array->loadINI();
    return nullptr;
}

// ---- marker -------------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::prev(CMC_Array* array, CXVector* arguments) {
    const int steps = argumentCount(arguments) > 0 ? parameterInt(arguments, 0) : 1;
    return trashedCopy(array->prev(steps));
}

CMC_Variable* CMC_Array_Runner::next(CMC_Array* array, CXVector* arguments) {
    const int steps = argumentCount(arguments) > 0 ? parameterInt(arguments, 0) : 1;
    return trashedCopy(array->next(steps));
}

CMC_Variable* CMC_Array_Runner::resetMarker(CMC_Array* array) {
    array->resetMarker();
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::getMarkerPos(CMC_Array* array) {
    return CMC_VariableFactory::newInteger(array->getMarkerPos());
}

CMC_Variable* CMC_Array_Runner::setMarkerPos(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 1) return nullptr;
    array->setMarkerPos(parameterInt(arguments, 0));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::addClones(CMC_Array* array, CMC_ObjectsContainer* container,
                                          CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (!container || count < 1) return nullptr;
    const CXString name = getParameterText(arguments, 0);
    CMC_Object* original = container->getObject(name);
    if (!original) return nullptr;
    int first = 1;
    int last = original->getClonesNo();
    if (count >= 2) first = parameterInt(arguments, 1);
    if (count >= 3) last = parameterInt(arguments, 2);
    array->addClones(name, first, last);
    return nullptr;
}

// ---- arithmetic ---------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::arithmetic(CMC_Array* array, CXVector* arguments, int op) {
    CMC_Variable* value = getParameter(arguments, 0);
    if (!value) return nullptr;
    switch (op) {
    case CMC_Variable::kAdd: array->sum(value); break;
    case CMC_Variable::kSub: array->sub(value); break;
    case CMC_Variable::kMul: array->mul(value); break;
    case CMC_Variable::kDiv: array->div(value); break;
    default: break;
    }
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::rangeArithmetic(CMC_Array* array, CXVector* arguments, int op) {
    const int count = argumentCount(arguments);
    // The name is held in a value of our own: the getter's temporary may be reused.
    CMC_String name(CXString("temp"), getParameterText(arguments, 0));
    int from = 0;
    int to = array->getSize() - 1;
    if (count >= 2) {
        const int value = parameterInt(arguments, 1);
        if (value != -1) from = value;
    }
    if (count >= 3) {
        const int value = parameterInt(arguments, 2);
        if (value != -1) to = value;
    }
    switch (op) {
    case CMC_Variable::kAdd: array->suma(&name, from, to); break;
    case CMC_Variable::kSub: array->suba(&name, from, to); break;
    case CMC_Variable::kMul: array->mula(&name, from, to); break;
    case CMC_Variable::kDiv: array->diva(&name, from, to); break;
    default: break;
    }
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::arithmeticAt(CMC_Array* array, CXVector* arguments, int op) {
    if (argumentCount(arguments) < 2) return nullptr;
    const int index = parameterInt(arguments, 0);
    CMC_Variable* value = getParameter(arguments, 1);
    switch (op) {
    case CMC_Variable::kAdd: array->addat(index, value); break;
    case CMC_Variable::kSub: array->subat(index, value); break;
    case CMC_Variable::kMul: array->mulat(index, value); break;
    case CMC_Variable::kDiv: array->divat(index, value); break;
    case CMC_Variable::kMod: array->modat(index, value); break;
    default: break;
    }
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::clampAt(CMC_Array* array, CXVector* arguments) {
    CMC_Variable* element = argumentCount(arguments) >= 3 ? array->get(parameterInt(arguments, 0)) : nullptr;
    if (auto* integer = dynamic_cast<CMC_Integer*>(element)) {
        const int low = parameterInt(arguments, 1);
        const int high = parameterInt(arguments, 2);
        if (integer->getValue() < low)
            integer->setValue(low);
        else if (integer->getValue() > high)
            integer->setValue(high);
    } else if (auto* real = dynamic_cast<CMC_Double*>(element)) {
        const double low = parameterDouble(arguments, 1);
        const double high = parameterDouble(arguments, 2);
        if (real->getValue() < low)
            real->setValue(low);
        else if (real->getValue() > high)
            real->setValue(high);
    }
    return nullptr;
}

// ---- aggregates ---------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::_min(CMC_Array* array) {
    int result = kMinStart;
    for (int i = 0; i < array->getSize(); ++i)
        if (auto* v = dynamic_cast<CMC_Integer*>(array->get(i))) result = std::min(result, v->getValue());
    return CMC_VariableFactory::newInteger(result);
}

CMC_Variable* CMC_Array_Runner::_max(CMC_Array* array) {
    int result = 0;
    for (int i = 0; i < array->getSize(); ++i)
        if (auto* v = dynamic_cast<CMC_Integer*>(array->get(i))) result = std::max(result, v->getValue());
    return CMC_VariableFactory::newInteger(result);
}

CMC_Variable* CMC_Array_Runner::mind(CMC_Array* array) {
    double result = kMinDStart;
    for (int i = 0; i < array->getSize(); ++i)
        if (auto* v = dynamic_cast<CMC_Double*>(array->get(i))) {
            if (v->getValue() < result) result = v->getValue();
        }
    return CMC_VariableFactory::newDouble(result);
}

CMC_Variable* CMC_Array_Runner::maxd(CMC_Array* array) {
    double result = 0.0;
    for (int i = 0; i < array->getSize(); ++i)
        if (auto* v = dynamic_cast<CMC_Double*>(array->get(i))) {
            if (v->getValue() > result) result = v->getValue();
        }
    return CMC_VariableFactory::newDouble(result);
}

CMC_Variable* CMC_Array_Runner::getSumValue(CMC_Array* array) {
    uint32_t total = 0;
    for (int i = 0; i < array->getSize(); ++i)
        if (auto* v = dynamic_cast<CMC_Integer*>(array->get(i))) total += static_cast<uint32_t>(v->getValue());
    return CMC_VariableFactory::newInteger(static_cast<int32_t>(total));
}

// ---- order, files -------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::sort(CMC_Array* array, CXVector* arguments) {
    array->sort(parameterBool(arguments, 0));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::load(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 1) return nullptr;
    array->load(getParameterText(arguments, 0));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::save(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 1) return nullptr;
    array->save(getParameterText(arguments, 0));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::swap(CMC_Array* array, CXVector* arguments) {
    if (argumentCount(arguments) < 2) return nullptr;
    array->swap(parameterInt(arguments, 0), parameterInt(arguments, 1));
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::sendOnChange(CMC_Array* array, CXVector* arguments) {
    array->setSendOnChange(argumentCount(arguments) > 0 ? parameterBool(arguments, 0) : true);
    return nullptr;
}

// ---- other arrays -------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::compare(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments) {
    CMC_Array* other = namedArray(container, arguments);
    return CMC_VariableFactory::newBool(other && array->compareArr(other));
}

CMC_Variable* CMC_Array_Runner::copyTo(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments) {
    CMC_Array* destination = namedArray(container, arguments);
    if (!destination) return nullptr;
    // Only the elements present at the start: copying into itself doubles it once.
    const int size = array->getSize();
    for (int i = 0; i < size && i < array->getSize(); ++i) destination->add(array->get(i));
    return nullptr;
}

// ---- fills --------------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::fill(CMC_Array* array, CXVector* arguments) {
    array->removeAll();
    const int count = std::min(parameterInt(arguments, 0), CMC_Array::kMaxBulkAdd);
    CMC_Variable* value = getParameter(arguments, 1);
    if (!value) return nullptr;
    for (int i = 0; i < count; ++i) array->add(value);
    return nullptr;
}

CMC_Variable* CMC_Array_Runner::randomFill(CMC_Array* array, CXVector* arguments) {
    array->removeAll();
    const int count = std::min(parameterInt(arguments, 0), static_cast<int>(CXRandom::kMaxPlenty));
    const int base = parameterInt(arguments, 1);
    const int range = parameterInt(arguments, 2);
    const bool unique = parameterBool(arguments, 3);
    // A count of 0 would ask the draw for a whole range.
    if (count <= 0) return nullptr;
    int drawn = 0;
    const int* numbers = CXRandom::random_vector(base, range, count, unique, &drawn);
    // The draw's buffer is shared: copy it before adding, which may run script code.
    const std::vector<int> values(numbers, numbers + std::min(drawn, count));
    CMC_Integer item(0);
    for (int v : values) {
        item.setValue(v);
        array->add(&item);
    }
    return nullptr;
}

// ---- folders ------------------------------------------------------------------------

CMC_Variable* CMC_Array_Runner::dir(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments) {
    const CXString folderName = getParameterText(arguments, 0);
    const CXString pattern = getParameterText(arguments, 1);
    CWindow* window = container ? container->getWindow() : nullptr;
    CPath path(window);
    const CXString folder = path.resolveFileName(folderName);
    // A folder that does not exist lists nothing (not the current directory).
    if (!CFile::dirExists(folder)) return nullptr;
    const CXString current = CFile::getCurrentDirectory();
    {
        CFolder browser(window, folder);
        CXArray* names = browser.list(pattern);
        CMC_String item(CXString("temp"));
        for (int i = 0; names && i < names->getCount(); ++i) {
            auto* name = static_cast<CXString*>(names->at(i));
            if (!name) continue;
            item.setValue(folder + *name);
            array->add(&item);
        }
        CFolder::releaseFilesList(names);
    }
    CFile::chDir(current);
    return nullptr;
}
