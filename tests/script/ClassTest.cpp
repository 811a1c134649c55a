// Script classes: class files read from "$COMMON\CLASSES\" with their bases,
// instances made by NEW with their own objects, constructors, destructors and methods,
// "SUPER_" renaming, DELETE and the unloading of instances.
#include "script/CMC_Class.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/CMC_Behaviour.h"
#include "script/CMC_Class_Runner.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "RunnerTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

// A world whose disc folder is a temporary folder, with an application scope above
// the scene that holds LOG, which the class files count into.
class ClassFixture : public ::testing::Test {
protected:
    ClassFixture() : app("APP", world.window(), CMC_ObjectsContainer::kApplication) {
        CWindow::setCDPath(CXString(world.dir().engine().c_str()));
        auto* log = new CMC_Integer(CXString("LOG"));
        log->setScene(&app);
        app.addObject(log);
    }
    ~ClassFixture() override {
        // Instances still held run their destructors while LOG exists.
        for (CMC_ObjectsContainer* scene : scenes) scene->unload();
        CWindow::setCDPath(m_savedCD);
    }

    void writeClass(const std::string& name, const Lines& lines) {
        world.writeDefinition("COMMON/CLASSES/" + name, lines);
    }
    CMC_ObjectsContainer* load(const Lines& lines) {
        CMC_ObjectsContainer* scene = world.loadScene("scene.cnv", lines);
        if (scene) {
            scene->setLookupParent(&app);
            scenes.push_back(scene);
        }
        return scene;
    }
    static CMC_Class* instance(CMC_ObjectsContainer* scope, const char* name) {
        return dynamic_cast<CMC_Class*>(scope->getObject(name));
    }
    static CMC_Class_Runner* runner() {
        return dynamic_cast<CMC_Class_Runner*>(CMC_RunnerFactory::getRunner(CMC_Class::kType));
    }
    int log() { return test::intValue(&app, "LOG"); }

    CXString m_savedCD = CWindow::getCDPath();
    test::ScriptWorld world;
    test::TestScene app;
    std::vector<CMC_ObjectsContainer*> scenes;
};

const Lines kVehicle = {
    "OBJECT=SPEED",      "SPEED:TYPE=INTEGER",    "SPEED:VALUE=0",
    "OBJECT=KIND",       "KIND:TYPE=STRING",      "KIND:VALUE=vehicle",
    "OBJECT=ACCELERATE", "ACCELERATE:TYPE=BEHAVIOUR", "ACCELERATE:CODE={SPEED^ADD($1);@RETURN(SPEED);}",
};
const Lines kCar = {
    "OBJECT=KIND",        "KIND:TYPE=STRING", "KIND:VALUE=car",
    "OBJECT=DRIVER",      "DRIVER:TYPE=STRING",
    "OBJECT=CONSTRUCTOR", "CONSTRUCTOR:TYPE=BEHAVIOUR", "CONSTRUCTOR:CODE={DRIVER^SET($1);SPEED^SET($2);LOG^ADD(1);}",
    "OBJECT=DESTRUCTOR",  "DESTRUCTOR:TYPE=BEHAVIOUR",  "DESTRUCTOR:CODE={LOG^ADD(100);}",
};
const Lines kCarScene = {
    "OBJECT=CAR",   "CAR:TYPE=CLASS",      "CAR:DEF=CAR.CLS", "CAR:BASE=VEHICLE.CLS",
    "OBJECT=MAKE",  "MAKE:TYPE=BEHAVIOUR", "MAKE:CODE={CAR^NEW(A,5);CAR^NEW(B,7);}",
    "OBJECT=SHOUT", "SHOUT:TYPE=BEHAVIOUR", "SHOUT:CODE={KIND^SET(loud);}",
};

TEST_F(ClassFixture, InstancesHaveTheirOwnObjectsConstructorsAndMethods) {
    writeClass("VEHICLE.CLS", kVehicle);
    writeClass("CAR.CLS", kCar);
    CMC_ObjectsContainer* scene = load(kCarScene);
    ASSERT_NE(scene, nullptr);
    auto* car = instance(scene, "CAR");
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->getElementsNo(), 0);  // the class object reads no file

    test::runBehaviour(scene, "MAKE");
    CMC_Class* a = instance(scene, "A");
    CMC_Class* b = instance(scene, "B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->getType(), CMC_Class::kType);
    EXPECT_EQ(a->getClassObject(), car);
    EXPECT_EQ(a->getScene(), scene);
    EXPECT_EQ(log(), 2);  // one constructor each, with the arguments of NEW

    // The bases' objects come first; the class file's KIND overrides the base's.
    EXPECT_EQ(test::textValue(a, "DRIVER"), "A");
    EXPECT_EQ(test::intValue(a, "SPEED"), 5);
    EXPECT_EQ(test::intValue(b, "SPEED"), 7);
    EXPECT_EQ(test::textValue(a, "KIND"), "car");
    EXPECT_EQ(test::textValue(a, "SUPER_KIND"), "vehicle");
    EXPECT_NE(a->getObject("SPEED"), b->getObject("SPEED"));

    // A method changes only its own instance and gives "__RETURN__".
    test::Args three({"3"});
    CMC_Variable* result = runner()->run(CXString("ACCELERATE"), a, scene, three.get());
    EXPECT_EQ(test::valueText(result), "8");
    test::runCode(scene, "{B^ACCELERATE(10);}");
    EXPECT_EQ(test::intValue(a, "SPEED"), 8);
    EXPECT_EQ(test::intValue(b, "SPEED"), 17);

    // A behaviour of the scene called as a method works on the instance, and goes back
    // to its own container afterwards.
    runner()->run(CXString("SHOUT"), b, scene, nullptr);
    EXPECT_EQ(test::textValue(b, "KIND"), "loud");
    EXPECT_EQ(test::textValue(a, "KIND"), "car");
    EXPECT_EQ(scene->getObject("SHOUT")->getScene(), scene);

    // DELETE runs the destructor and takes the instance out; the other one stays.
    test::runCode(scene, "{CAR^DELETE(A);}");
    EXPECT_EQ(scene->getObject("A"), nullptr);
    EXPECT_EQ(log(), 102);
    EXPECT_EQ(test::intValue(b, "SPEED"), 17);

    // Unloading the scene finishes the remaining instance through its destructor.
    scene->unload();
    EXPECT_EQ(log(), 202);
}

TEST_F(ClassFixture, LaterFilesOverrideAndEarlierObjectsBecomeSuper) {
    writeClass("B1.CLS", {"OBJECT=X", "X:TYPE=INTEGER", "X:VALUE=1"});
    writeClass("B2.CLS", {"OBJECT=X", "X:TYPE=INTEGER", "X:VALUE=2"});
    writeClass("TOP.CLS", {"OBJECT=X", "X:TYPE=INTEGER", "X:VALUE=3",
                           "OBJECT=NEW", "NEW:TYPE=BEHAVIOUR", "NEW:CODE={LOG^ADD(1000);}"});
    CMC_ObjectsContainer* scene = load({"OBJECT=TOP", "TOP:TYPE=CLASS", "TOP:DEF=TOP.CLS", "TOP:BASE=B1.CLS,,B2.CLS"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "{TOP^NEW(T);}");
    CMC_Class* t = instance(scene, "T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(test::intValue(t, "X"), 3);
    EXPECT_EQ(test::intValue(t, "SUPER_X"), 2);
    EXPECT_EQ(test::intValue(t, "SUPER_SUPER_X"), 1);
    // NEW and DELETE are never methods, even when a class file has behaviours of those names.
    EXPECT_EQ(log(), 0);
}

TEST_F(ClassFixture, DeleteLeavesAloneWhatItMustNotDelete) {
    writeClass("VEHICLE.CLS", kVehicle);
    writeClass("CAR.CLS", kCar);
    CMC_ObjectsContainer* scene = load(kCarScene);
    ASSERT_NE(scene, nullptr);
    test::runBehaviour(scene, "MAKE");
    CMC_Class* a = instance(scene, "A");
    ASSERT_NE(a, nullptr);
    const int before = log();

    // Not a class instance; nothing of that name; too few arguments.
    CMC_Class* car = instance(scene, "CAR");
    test::Args make({"MAKE"});
    EXPECT_EQ(runner()->run(CXString("DELETE"), car, scene, make.get()), nullptr);
    EXPECT_TRUE(test::hasObject(scene, "MAKE"));
    test::runCode(scene, "{CAR^DELETE(NOBODY);CAR^DELETE();}");
    // B is found from A's scope but held by the scene: A may not delete it.
    test::Args b({"B"});
    EXPECT_EQ(runner()->run(CXString("DELETE"), car, a, b.get()), nullptr);
    EXPECT_NE(instance(scene, "B"), nullptr);
    EXPECT_EQ(log(), before);

    // Unknown methods and a NEW without a name give nothing.
    EXPECT_EQ(runner()->run(CXString("HONK"), a, scene, nullptr), nullptr);
    EXPECT_EQ(runner()->run(CXString("NEW"), car, scene, nullptr), nullptr);
    EXPECT_EQ(scene->getElementsNo(), 5);
}

TEST_F(ClassFixture, AnInstanceDeletedWhileItsMethodRunsGoesWhenTheMethodEnds) {
    writeClass("PARENT.CLS", {"OBJECT=CONSTRUCTOR", "CONSTRUCTOR:TYPE=BEHAVIOUR", "CONSTRUCTOR:CODE={KID^NEW(K);}",
                              "OBJECT=DROP", "DROP:TYPE=BEHAVIOUR", "DROP:CODE={KID^DELETE($1);}"});
    writeClass("KID.CLS", {"OBJECT=TOY", "TOY:TYPE=INTEGER", "TOY:VALUE=4",
                           "OBJECT=LEAVE", "LEAVE:TYPE=BEHAVIOUR", "LEAVE:CODE={P^DROP(K);LOG^ADD(TOY);}",
                           "OBJECT=DESTRUCTOR", "DESTRUCTOR:TYPE=BEHAVIOUR", "DESTRUCTOR:CODE={LOG^ADD(10);}"});
    CMC_ObjectsContainer* scene = load({"OBJECT=PARENT", "PARENT:TYPE=CLASS", "PARENT:DEF=PARENT.CLS",
                                        "OBJECT=KID", "KID:TYPE=CLASS", "KID:DEF=KID.CLS"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "{PARENT^NEW(P);}");
    CMC_Class* p = instance(scene, "P");
    ASSERT_NE(p, nullptr);
    CMC_Class* k = dynamic_cast<CMC_Class*>(p->getObject(p->getObjectId(CXString("K"))));
    ASSERT_NE(k, nullptr);

    // K's own method asks P to delete K: the destructor runs at once, the rest of the
    // method still sees K's objects, and K goes when the method ends.
    runner()->run(CXString("LEAVE"), k, scene, nullptr);
    EXPECT_EQ(p->getObjectId(CXString("K")), -1);
    EXPECT_EQ(log(), 14);
}

TEST_F(ClassFixture, AMissingClassFileGivesAnEmptyInstance) {
    CMC_ObjectsContainer* scene = load({"OBJECT=GHOST", "GHOST:TYPE=CLASS", "GHOST:DEF=NONE.CLS"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "{GHOST^NEW(G);}");
    CMC_Class* g = instance(scene, "G");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->getElementsNo(), 0);
    EXPECT_EQ(runner()->run(CXString("ANYTHING"), g, scene, nullptr), nullptr);
}

}  // namespace
