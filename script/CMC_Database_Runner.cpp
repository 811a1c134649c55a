#include "script/CMC_Database_Runner.h"

#include "script/CMC_Database.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Structure.h"
#include "script/CMC_VariableFactory.h"

namespace {

[[maybe_unused]] const bool kRegistered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kDatabase, []() -> CMC_Runner* { return new CMC_Database_Runner(); });

// INSERTAT's position for "append" in addRow.
constexpr int kAppend = -1;

}  // namespace

void CMC_Database_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("REMOVE", kRemove);
    putMethod("LOAD", kLoad);
    putMethod("SAVE", kSave);
    putMethod("REMOVEALL", kRemoveAll);
    putMethod("FIND", kFind);
    putMethod("SELECT", kSelect);
    putMethod("NEXT", kNext);
    putMethod("PREV", kPrev);
    putMethod("GETROWSNO", kGetRowsNo);
    putMethod("REMOVEAT", kRemoveAt);
    putMethod("INSERTAT", kInsertAt);
    putMethod("GETCURSORPOS", kGetCursorPos);
}

void CMC_Database_Runner::addRow(CMC_Database* database, CMC_ObjectsContainer* container, CXVector* arguments,
                                 int position, int argument) {
    CMC_Structure* record = nullptr;
    CMC_Variable* given = getParameter(arguments, argument);
    CXString text;
    if (given && given->getType() == CMC_Structure::kType) {
        record = dynamic_cast<CMC_Structure*>(given);
    } else {
        text = getParameterText(arguments, argument);
        if (container) record = dynamic_cast<CMC_Structure*>(container->getObject(text));
    }
    if (position == kAppend) {
        if (record)
            database->add(record);
        else
            database->add(text);
    } else {
        if (record)
            database->insertAt(position, record);
        else
            database->insertAt(position, text);
    }
}

CMC_Variable* CMC_Database_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* database = dynamic_cast<CMC_Database*>(target);
    if (!database) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    switch (id) {
    case kAdd:
        if (count >= 1) addRow(database, container, arguments, kAppend, 0);
        return nullptr;
    case kRemove:
        if (count >= 2) {
            const CXString field = getParameterText(arguments, 0);
            database->remove(field, getParameter(arguments, 1));
        }
        return nullptr;
    case kLoad:
        if (count >= 1) database->load(getParameterText(arguments, 0));
        return nullptr;
    case kSave:
        if (count >= 1) database->save(getParameterText(arguments, 0));
        return nullptr;
    case kRemoveAll:
        database->removeAll();
        return nullptr;
    case kFind: {
        if (count < 3) return nullptr;
        const CXString field = getParameterText(arguments, 0);
        const int start = parameterInt(arguments, 2);
        return CMC_VariableFactory::newInteger(database->find(field, getParameter(arguments, 1), start));
    }
    case kSelect:
        if (count >= 1) database->select(parameterInt(arguments, 0));
        return nullptr;
    case kNext:
        database->next();
        return nullptr;
    case kPrev:
        database->prev();
        return nullptr;
    case kGetRowsNo:
        return CMC_VariableFactory::newInteger(database->getRows());
    case kRemoveAt:
        if (count >= 1) database->removeAt(parameterInt(arguments, 0));
        return nullptr;
    case kInsertAt:
        if (count >= 2) {
            const int position = parameterInt(arguments, 0);
            // A negative position inserts nothing (it must not read as "append").
            if (position >= 0) addRow(database, container, arguments, position, 1);
        }
        return nullptr;
    case kGetCursorPos:
        return CMC_VariableFactory::newInteger(database->getCursorPos());
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
