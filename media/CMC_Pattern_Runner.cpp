#include "media/CMC_Pattern_Runner.h"

#include "graphics/canvas/CPattern.h"
#include "media/CMC_Pattern.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kPattern, []() -> CMC_Runner* { return new CMC_Pattern_Runner(); });

using R = CMC_Pattern_Runner;

int requiredArguments(int id) {
    switch (id) {
    case R::kRemove: return 1;
    case R::kSetGrid:
    case R::kMove:
    case R::kGetAliasInfo:
    case R::kGetAliasAtCell:
    case R::kSetPosition: return 2;
    case R::kGetCellCord: return 3;
    case R::kGetGraphicsAt:
    case R::kGetAliasAt: return 4;
    case R::kAdd:
    case R::kGetInfoAt: return 5;
    default: return 0;
    }
}

CMC_Variable* emptyResult(int id) {
    switch (id) {
    case R::kGetGraphicsAt:
    case R::kGetAliasAt:
    case R::kGetAliasAtCell: return CMC_VariableFactory::newString(CXString("NULL"));
    case R::kGetCellCord: return CMC_VariableFactory::newBool(false);
    default: return nullptr;
    }
}

CMC_Array* arrayNamed(CMC_ObjectsContainer* container, const CXString& name) {
    return container ? dynamic_cast<CMC_Array*>(container->getObject(name)) : nullptr;
}

int quotient(int64_t a, int b) { return b == 0 ? 0 : static_cast<int>(a / b); }

}  // namespace

void CMC_Pattern_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("SETGRID", kSetGrid);
    putMethod("MOVE", kMove);
    putMethod("GETGRAPHICSAT", kGetGraphicsAt);
    putMethod("REMOVE", kRemove);
    putMethod("GETALIASAT", kGetAliasAt);
    putMethod("GETINFOAT", kGetInfoAt);
    putMethod("GETALIASINFO", kGetAliasInfo);
    putMethod("GETCELLCORD", kGetCellCord);
    putMethod("GETALIASATCELL", kGetAliasAtCell);
    putMethod("SETPOSITION", kSetPosition);
}

void CMC_Pattern_Runner::appendInfo(CMC_Array* array, CPattern* pattern, CPatternEntry* entry) {
    if (!array || !entry) return;
    CGraphicsObject* g = entry->getObject();
    const int w = g ? g->Width() : 0;
    const int h = g ? g->Height() : 0;
    const CXPoint at = pattern->GetPosition();
    const CXSize cell = pattern->getGrid();
    array->add(CMC_VariableFactory::newString(entry->getAlias()));
    array->add(CMC_VariableFactory::newInteger(entry->getColumn()));
    array->add(CMC_VariableFactory::newInteger(entry->getRow()));
    array->add(CMC_VariableFactory::newInteger(w));
    array->add(CMC_VariableFactory::newInteger(h));
    array->add(CMC_VariableFactory::newInteger(
        static_cast<int>(static_cast<int64_t>(at.x) + static_cast<int64_t>(entry->getColumn()) * cell.cx + w / 2)));
    array->add(CMC_VariableFactory::newInteger(
        static_cast<int>(static_cast<int64_t>(at.y) + static_cast<int64_t>(entry->getRow()) * cell.cy + h / 2)));
}

CMC_Variable* CMC_Pattern_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                      CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Pattern*>(target);
    if (!object || id < kAdd || id > kSetPosition) return CMC_Runner::run(id, target, container, arguments);
    CPattern* pattern = object->getPattern();
    const int n = argumentCount(arguments);
    if (!pattern || n < requiredArguments(id)) return emptyResult(id);
    switch (id) {
    case kAdd: {
        CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 3)) : nullptr;
        if (g)
            pattern->add(getParameterText(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                         n > 5 ? parameterInt(arguments, 5) : 0, g, parameterInt(arguments, 4), CXString());
        return nullptr;
    }
    case kSetGrid: pattern->setGrid(CXSize(parameterInt(arguments, 0), parameterInt(arguments, 1))); return nullptr;
    case kMove: pattern->move(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    case kGetGraphicsAt: {
        CGraphicsObject* g = pattern->getGraphicsObject(
            parameterInt(arguments, 0), parameterInt(arguments, 1), parameterBool(arguments, 2),
            parameterBool(arguments, 3), n > 4 ? parameterInt(arguments, 4) : -1, n > 5 ? parameterInt(arguments, 5) : 0);
        if (!g || !container) return emptyResult(id);
        return CMC_VariableFactory::newString(container->getGraphicsObjectName(g, true));
    }
    case kRemove: {
        CMC_Variable* first = getParameter(arguments, 0);
        if (first && first->getType() == CMC_Variable::kInteger)
            pattern->remove(parameterInt(arguments, 0), parameterInt(arguments, 1), n > 2 ? parameterInt(arguments, 2) : 0);
        else
            pattern->remove(getParameterText(arguments, 0));
        return nullptr;
    }
    case kGetAliasAt: {
        CXString* alias = pattern->getGraphicsObjectAlias(parameterInt(arguments, 0), parameterInt(arguments, 1),
                                                          parameterBool(arguments, 2), parameterBool(arguments, 3));
        return alias ? CMC_VariableFactory::newString(*alias) : emptyResult(id);
    }
    case kGetInfoAt: {
        // The fifth argument is both the layer (not consulted by the search) and the array.
        CPatternEntry* entry = pattern->getEntryAt(parameterInt(arguments, 0), parameterInt(arguments, 1),
                                                   parameterInt(arguments, 4), parameterBool(arguments, 3),
                                                   parameterBool(arguments, 2));
        appendInfo(arrayNamed(container, getParameterText(arguments, 4)), pattern, entry);
        return nullptr;
    }
    case kGetAliasInfo:
        appendInfo(arrayNamed(container, getParameterText(arguments, 1)), pattern,
                   pattern->getAliasEntry(getParameterText(arguments, 0)));
        return nullptr;
    case kGetCellCord: {
        const CXPoint at = pattern->GetPosition();
        const int64_t dx = static_cast<int64_t>(parameterInt(arguments, 0)) - at.x;
        const int64_t dy = static_cast<int64_t>(parameterInt(arguments, 1)) - at.y;
        const CXSize cell = pattern->getGrid();
        const bool on = dx >= 0 && dx <= pattern->Width() && dy >= 0 && dy <= pattern->Height();
        if (CMC_Array* array = arrayNamed(container, getParameterText(arguments, 2))) {
            array->add(CMC_VariableFactory::newInteger(quotient(dx, cell.cx)));
            array->add(CMC_VariableFactory::newInteger(quotient(dy, cell.cy)));
        }
        return CMC_VariableFactory::newBool(on);
    }
    case kGetAliasAtCell: {
        CPatternEntry* entry =
            pattern->get(parameterInt(arguments, 0), parameterInt(arguments, 1), n > 2 ? parameterInt(arguments, 2) : 0);
        return entry ? CMC_VariableFactory::newString(entry->getAlias()) : emptyResult(id);
    }
    case kSetPosition: pattern->SetPosition(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    default: return nullptr;
    }
}
