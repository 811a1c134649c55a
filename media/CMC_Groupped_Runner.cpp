#include "media/CMC_Groupped_Runner.h"

#include "foundation/CXVector.h"
#include "media/CMC_Groupped.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kGroup, []() -> CMC_Runner* { return new CMC_Groupped_Runner(); });

// Groups inside groups forward a call depth first; a cycle of groups stops here.
constexpr int kMaxForwardDepth = 64;
thread_local int t_forwardDepth = 0;

CMC_Variable* nameOf(CMC_Object* member) {
    if (!member) return nullptr;
    return CMC_VariableFactory::newString(member->getName());
}

}  // namespace

void CMC_Groupped_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    // "GETNAME", "CLONE" and "GETCLONEINDEX" stay the common methods of those names.
    putMethod("ADD", kAdd);
    putMethod("REMOVE", kRemove);
    putMethod("REMOVEALL", kRemoveAll);
    putMethod("GETSIZE", kGetSize);
    putMethod("PREV", kPrev);
    putMethod("NEXT", kNext);
    putMethod("ADDCLONES", kAddClones);
    putMethod("RESETMARKER", kResetMarker);
    putMethod("GETMARKERPOS", kGetMarkerPos);
    putMethod("SETMARKERPOS", kSetMarkerPos);
    putMethod("GETNAMEATMARKER", kGetNameAtMarker);
    putMethod("CONTAINS", kContains);
}

CMC_Variable* CMC_Groupped_Runner::run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    const int id = resolveMethod(name);
    if (id != kUnknownMethod) return run(id, target, container, arguments);
    auto* group = dynamic_cast<CMC_Groupped*>(target);
    if (!group || t_forwardDepth >= kMaxForwardDepth) return nullptr;
    ++t_forwardDepth;
    // The count is read again after each member: members added meanwhile are reached.
    for (int i = 0; i < group->getCount(); ++i) {
        CMC_Object* member = group->get(i);
        if (!member || member == group) continue;
        CMC_Runner* runner = CMC_RunnerFactory::getRunner(member->getType());
        if (!runner) continue;
        CMC_Variable* result = runner->run(name, member, container, arguments);
        if (!CMC_Behaviour::controlCode(result)) CMC_Object::flush(result);
    }
    --t_forwardDepth;
    return nullptr;
}

CMC_Variable* CMC_Groupped_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* group = dynamic_cast<CMC_Groupped*>(target);
    if (!group || id < kAdd || id > kContains) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    // The object a name argument names, looked up from the calling scope.
    auto named = [&](int i) -> CMC_Object* {
        return container ? container->getObject(getParameterText(arguments, i)) : nullptr;
    };

    switch (id) {
    case kAdd:
        for (int i = 0; i < count; ++i)
            if (CMC_Object* object = named(i)) group->add(object);
        return nullptr;
    case kRemove:
        if (count >= 1) group->remove(named(0));
        return nullptr;
    case kRemoveAll:
        group->removeAll();
        return nullptr;
    case kGetSize:
        return CMC_VariableFactory::newInteger(group->getCount());
    case kGetMemberName:
        return count >= 1 ? nameOf(group->get(parameterInt(arguments, 0))) : nullptr;
    case kPrev:
    case kNext:
        // An optional argument is read but the marker always moves by one member.
        if (count >= 1) parameterInt(arguments, 0);
        return nameOf(id == kPrev ? group->prev(1) : group->next(1));
    case kAddClones: {
        if (count < 1) return nullptr;
        const CXString name = getParameterText(arguments, 0);
        CMC_Object* object = container ? container->getObject(name) : nullptr;
        if (!object) return nullptr;
        const int first = count >= 2 ? parameterInt(arguments, 1) : 1;
        const int last = count >= 3 ? parameterInt(arguments, 2) : object->getClonesNo();
        group->addClones(name, first, last);
        return nullptr;
    }
    case kResetMarker:
        group->resetMarker();
        return nullptr;
    case kGetMarkerPos:
        return CMC_VariableFactory::newInteger(group->getMarkerPos());
    case kSetMarkerPos:
        if (count >= 1) group->setMarkerPos(parameterInt(arguments, 0));
        return nullptr;
    case kCloneGroup:
        group->clone(count >= 1 ? parameterInt(arguments, 0) : 1);
        return nullptr;
    case kGetGroupCloneIndex:
        return CMC_VariableFactory::newInteger(group->getCloneIdx());
    case kGetNameAtMarker:
        return nameOf(group->get(group->getMarkerPos()));
    case kContains: {
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        CMC_Object* object = count >= 1 ? named(0) : nullptr;
        if (result) result->setValue(object && group->contains(object));
        return result;
    }
    default:
        return nullptr;
    }
}
