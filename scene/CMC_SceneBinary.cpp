#include "scene/CMC_SceneBinary.h"

#include <utility>
#include <vector>

#include "script/CMC_Array.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_ComplexCondition.h"
#include "script/CMC_Condition.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Fifo.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Lifo.h"
#include "script/CMC_Path.h"
#include "script/CMC_String.h"
#include "script/CMC_Vector.h"
#include "scene/CMC_Scene.h"

namespace {

using Table = std::vector<std::pair<int, CMC_SceneBinary::Prototype>>;

Table& table() {
    static Table rows = {
        {1, [](CMC_Scene*) -> CMC_Object* { return new CMC_Integer(CXString()); }},
        {2, [](CMC_Scene*) -> CMC_Object* { return new CMC_String(CXString()); }},
        {3, [](CMC_Scene*) -> CMC_Object* { return new CMC_Bool(CXString()); }},
        {4, [](CMC_Scene*) -> CMC_Object* { return new CMC_Double(CXString()); }},
        {10, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Condition(s); }},
        {11, [](CMC_Scene* s) -> CMC_Object* { return new CMC_ComplexCondition(s); }},
        {12, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Expression(s, CXString()); }},
        {13, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Behaviour(s); }},
        {2016, [](CMC_Scene*) -> CMC_Object* { return new CMC_Vector(static_cast<CMC_Vector*>(nullptr)); }},
        {2017, [](CMC_Scene*) -> CMC_Object* { return new CMC_Path(); }},
        {2018, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Fifo(s); }},
        {2019, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Lifo(s); }},
        {3001, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Array(s, CXString("temp")); }},
    };
    return rows;
}

}  // namespace

bool CMC_SceneBinary::registerPrototype(int code, Prototype prototype) {
    for (auto& row : table())
        if (row.first == code) {
            row.second = prototype;
            return true;
        }
    table().emplace_back(code, prototype);
    return true;
}

CMC_SceneBinary::Prototype CMC_SceneBinary::getPrototype(int code) {
    for (const auto& row : table())
        if (row.first == code) return row.second;
    return nullptr;
}

bool CMC_SceneBinary::isLeftOut(int type) {
    return type == 1000 || type == 1001 || type == 1002 || type == 102 || type == 11000 || type == 12000;
}
