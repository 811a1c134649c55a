#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXPair.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::RunnerWorld;
using test::TestScene;

// Sets a word's constructor for one test and puts the earlier one back.
class ScopedType {
public:
    ScopedType(const char* word, CMC_TypeTable::Constructor c)
        : m_word(word), m_saved(CMC_TypeTable::getConstructor(CXString(word))) {
        CMC_TypeTable::registerType(word, c);
    }
    ~ScopedType() { CMC_TypeTable::registerType(m_word, m_saved); }

private:
    const char* m_word;
    CMC_TypeTable::Constructor m_saved;
};

// Stand-in for an input device object: a plain object with a device-like event list.
class Device : public CMC_Object {
public:
    Device(CMC_ObjectsContainer* container, CMElement* element, int type, const char* fixedName = nullptr)
        : CMC_Object(container, element, type) {
        if (fixedName) setName(CXString(fixedName));
        initializeBehaviours(container, element);
    }
    CXString** getBehavioursList() override {
        return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONMOVE", "ONCLICK"});
    }
};

CMC_ObjectsContainer* g_builtWith = nullptr;

std::vector<std::string> names(const CXVector* list) {
    std::vector<std::string> out;
    for (int i = 0; list && i < list->getCount(); ++i)
        out.push_back(static_cast<CMC_Object*>(list->at(i))->getName().c_str());
    return out;
}

std::vector<std::string> elementNames(CMElements* list) {
    std::vector<std::string> out;
    for (int i = 0; list && i < list->getCount(); ++i) out.push_back(list->getAt(i)->getName().c_str());
    return out;
}

std::unique_ptr<CMElements> load(RunnerWorld& w, const std::vector<std::string>& lines) {
    return std::unique_ptr<CMElements>(w.world.loadDefinition("scene.cnv", lines));
}

TEST(TypeTableTest, RowsAndRegistration) {
    const CMC_TypeTable::Row* row = CMC_TypeTable::findRow(CXString("STRUCT"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->id, 3002);
    EXPECT_EQ(row->pass, 3);
    EXPECT_EQ(CMC_TypeTable::findRow(CXString("Integer")), nullptr);
    EXPECT_EQ(CMC_TypeTable::findRow(CXString("STRUCTURE")), nullptr);
    EXPECT_TRUE(CMC_TypeTable::findRow(CXString("CLASS"))->inScene);
    EXPECT_FALSE(CMC_TypeTable::findRow(CXString("ARRAY"))->inScene);
    EXPECT_EQ(CMC_TypeTable::rowCount(), 41);
    EXPECT_FALSE(CMC_TypeTable::registerType("NOSUCHWORD", nullptr));
    EXPECT_FALSE(CMC_TypeTable::registerType(nullptr, nullptr));
    // The interpreter's own kinds are buildable from the start.
    for (const char* word : {"BEHAVIOUR", "INTEGER", "STRING", "BOOL", "DOUBLE", "CONDITION", "COMPLEXCONDITION",
                             "EXPRESSION"})
        EXPECT_NE(CMC_TypeTable::getConstructor(CXString(word)), nullptr) << word;
}

TEST(TypeTableTest, ObjectsAreBuiltByPassAndTheRestIsLeftOver) {
    RunnerWorld w;
    auto elements = load(w, {
                                "OBJECT=GATE",
                                "GATE:TYPE=CONDITION",
                                "GATE:OPERAND1=SCORE",
                                "GATE:OPERATOR=EQUAL",
                                "GATE:OPERAND2=1",
                                "OBJECT=GADGET",
                                "GADGET:TYPE=GADGET",
                                "OBJECT=SCORE",
                                "SCORE:TYPE=INTEGER",
                                "SCORE:VALUE=1",
                                "OBJECT=LOWER",
                                "LOWER:TYPE=Integer",
                                "OBJECT=BUMP",
                                "BUMP:TYPE=BEHAVIOUR",
                                "BUMP:CODE={SCORE^INC();}",
                                "BUMP:CONDITION=GATE",
                                "OBJECT=NOTYPE",
                                "NOTYPE:VALUE=3",
                                "OBJECT=TITLE",
                                "TITLE:TYPE=STRING",
                            });
    ASSERT_EQ(elements->getCount(), 7);
    std::unique_ptr<CMElements> leftover(w.scene.resolveObjects(elements.get()));
    EXPECT_EQ(names(w.scene.getObjectList()), (std::vector<std::string>{"BUMP", "SCORE", "TITLE", "GATE"}));
    EXPECT_EQ(elementNames(leftover.get()), (std::vector<std::string>{"GADGET", "LOWER", "NOTYPE"}));
    EXPECT_FALSE(leftover->isOwning());
    // The given list stays whole.
    EXPECT_EQ(elements->getCount(), 7);
    // Behaviours bind their conditions once conditions exist.
    auto* bump = dynamic_cast<CMC_Behaviour*>(w.scene.getObject("BUMP"));
    ASSERT_NE(bump, nullptr);
    EXPECT_EQ(bump->getCondition(), w.scene.getObject("GATE"));
    EXPECT_EQ(w.scene.getObject("SCORE")->getScene(), &w.scene);
}

class ModuleScene : public TestScene {
public:
    explicit ModuleScene(CWindow* window) : TestScene("MODULES", window) {}
    CMC_Object* resolveEx(CMElement* element) override {
        ++asked;
        if (element->getPropertyValue(CXString("TYPE")) != "GADGET") return nullptr;
        return new Device(this, element, 10500);
    }
    int asked = 0;
};

TEST(TypeTableTest, UnknownWordsGoToTheScenesExtensionModules) {
    RunnerWorld w;
    ModuleScene modules(w.world.window());
    TestScene inner("INNER", w.world.window());
    inner.setScene(&modules);
    auto elements = load(w, {"OBJECT=G", "G:TYPE=GADGET", "OBJECT=H", "H:TYPE=WIDGET", "OBJECT=I", "I:TYPE=INTEGER"});
    std::unique_ptr<CMElements> leftover(inner.resolveObjects(elements.get()));
    EXPECT_EQ(names(inner.getObjectList()), (std::vector<std::string>{"I", "G"}));
    EXPECT_EQ(elementNames(leftover.get()), (std::vector<std::string>{"H"}));
    EXPECT_EQ(modules.asked, 2);
    EXPECT_EQ(inner.getObject("G")->getType(), 10500);
}

TEST(TypeTableTest, DeviceElementsMergeIntoExistingObjects) {
    RunnerWorld w;
    ScopedType mouse("MOUSE", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
        return new Device(c, e, 100);
    });
    ScopedType keyboard("KEYBOARD", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
        return new Device(c, e, 101, "KEYBOARD");
    });
    TestScene app("APP", w.world.window(), CMC_ObjectsContainer::kApplication);
    auto* existing = new Device(&app, nullptr, 100, "MOUSE");
    app.addObject(existing);
    w.scene.setLookupParent(&app);
    auto* onMove = new test::RecordingBehaviour(&w.scene, "ON_MOVE");
    w.scene.addObject(onMove);

    auto elements = load(w, {
                                "OBJECT=MOUSE",
                                "MOUSE:TYPE=MOUSE",
                                "MOUSE:ONMOVE=ON_MOVE",
                                "OBJECT=CURSOR",
                                "CURSOR:TYPE=MOUSE",
                                "OBJECT=K1",
                                "K1:TYPE=KEYBOARD",
                                "K1:ONCLICK=ON_MOVE",
                                "OBJECT=K2",
                                "K2:TYPE=KEYBOARD",
                                "K2:ONMOVE=ON_MOVE",
                            });
    std::unique_ptr<CMElements> leftover(w.scene.resolveObjects(elements.get()));
    // MOUSE joined the application's mouse; CURSOR is a mouse of its own; the second
    // keyboard element merged into the first.
    EXPECT_EQ(elementNames(leftover.get()), (std::vector<std::string>{"MOUSE", "K2"}));
    EXPECT_EQ(names(w.scene.getObjectList()), (std::vector<std::string>{"ON_MOVE", "CURSOR", "KEYBOARD"}));
    existing->onSignal(CXString("ONMOVE"));
    EXPECT_EQ(onMove->count(), 1);
    CMC_Object* keys = w.scene.getObject("KEYBOARD");
    keys->onSignal(CXString("ONCLICK"));
    keys->onSignal(CXString("ONMOVE"));
    EXPECT_EQ(onMove->count(), 3);
    w.scene.unload();
    w.scene.setLookupParent(nullptr);
}

TEST(TypeTableTest, ClassesAreBuiltInTheContainersScene) {
    RunnerWorld w;
    ScopedType cls("CLASS", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
        g_builtWith = c;
        return new Device(c, e, 3004);
    });
    TestScene inner("INNER", w.world.window());
    inner.setScene(&w.scene);
    auto elements = load(w, {"OBJECT=KLASS", "KLASS:TYPE=CLASS"});
    g_builtWith = nullptr;
    std::unique_ptr<CMElements> leftover(inner.resolveObjects(elements.get()));
    EXPECT_EQ(g_builtWith, &w.scene);
    EXPECT_NE(inner.getObject("KLASS"), nullptr);

    g_builtWith = nullptr;
    std::unique_ptr<CXVector> built(inner.resolve(elements->getAt(0), nullptr));
    ASSERT_EQ(built->getCount(), 1);
    EXPECT_EQ(g_builtWith, &w.scene);
    CMC_Object::destroy(static_cast<CMC_Object*>(built->at(0)));
}

constexpr int kBagType = 9902;
std::vector<std::string> g_bag;

TEST(TypeTableTest, ResolveBuildsOneObjectWithoutRegisteringIt) {
    RunnerWorld w;
    CMC_TypeTable::registerAdder(kBagType, [](CMC_Object*, CMC_Object* item) {
        g_bag.push_back(item->getName().c_str());
    });
    g_bag.clear();
    CMC_Object bag(CXString("BAG"), kBagType);
    std::unique_ptr<CMElement> element(test::makeElement("X", {{"TYPE", "INTEGER"},
                                                               {"VALUE", "4"},
                                                               {"ONCHANGED", "{X^INC();}"},
                                                               {"ONCHANGED^5", "{X^DEC();}"}}));
    std::unique_ptr<CXVector> built(w.scene.resolve(element.get(), &bag));
    ASSERT_EQ(built->getCount(), 1);
    auto* x = dynamic_cast<CMC_Integer*>(static_cast<CXObject*>(built->at(0)));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->getValue(), 4);
    EXPECT_EQ(w.scene.getObject("X"), nullptr);
    // The behaviours made from its inline code joined the group (once each).
    EXPECT_EQ(g_bag, (std::vector<std::string>{"beh_X_ONCHANGED", "beh_X_ONCHANGED^5"}));
    CMC_Object::destroy(x);

    std::unique_ptr<CMElement> untyped(test::makeElement("U", {{"VALUE", "1"}}));
    std::unique_ptr<CXVector> none(w.scene.resolve(untyped.get(), &bag));
    EXPECT_EQ(none->getCount(), 0);
    std::unique_ptr<CMElement> unknown(test::makeElement("W", {{"TYPE", "WIDGET"}}));
    std::unique_ptr<CXVector> nothing(w.scene.resolve(unknown.get(), &bag));
    EXPECT_EQ(nothing->getCount(), 0);
    EXPECT_EQ(g_bag.size(), 2u);
    CMC_TypeTable::registerAdder(kBagType, nullptr);
}

}  // namespace
