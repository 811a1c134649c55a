#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "foundation/CXArchive.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::RunnerWorld;

// Each element as TYPE:TEXT, joined by ",": types matter as much as values here.
std::string typed(CMC_Array* array) {
    std::string out;
    for (int i = 0; i < array->getSize(); ++i) {
        CMC_Variable* e = array->get(i);
        if (i) out += ",";
        switch (e->getType()) {
        case CMC_Variable::kInteger: out += "I:"; break;
        case CMC_Variable::kString: out += "S:"; break;
        case CMC_Variable::kBool: out += "B:"; break;
        case CMC_Variable::kDouble: out += "D:"; break;
        default: out += "?:"; break;
        }
        out += e->toString().c_str();
    }
    return out;
}

class ArrayTest : public ::testing::Test {
protected:
    // A new array in the scene holding the literals (5, "a", TRUE, 1.5 ...).
    CMC_Array* make(const char* name, std::initializer_list<const char*> literals = {}) {
        auto* array = new CMC_Array(&w.scene, CXString(name));
        w.scene.addObject(array);
        for (const char* l : literals) array->add(lit(l));
        return array;
    }
    static CMC_Variable* lit(const char* text) { return CMC_Variable::resolve(CXString(text)); }
    std::string text(CMC_Array* array) { return array->toString().c_str(); }

    // Records every ONCHANGED form the array raises, in order ("^0", "plain").
    void listen(CMC_Array* array, std::initializer_list<const char*> keys) {
        for (const char* key : keys) {
            auto* recorder = new test::RecordingBehaviour(&w.scene, (std::string("rec_") + key).c_str());
            w.scene.addObject(recorder);
            std::string k = key;
            recorder->onRun = [this, k](CMC_Object*) {
                const auto caret = k.find('^');
                log.push_back(caret == std::string::npos ? "plain" : k.substr(caret));
            };
            array->addBehaviour(CXString(key), recorder, nullptr, &w.scene);
        }
        array->setSendOnChange(true);
    }

    // A table row: an array "A" of the `start` literals, changed by `op`, then holding
    // `expected` (typed).
    struct OpCase {
        const char* what;
        std::vector<const char*> start;
        std::function<void(CMC_Array*)> op;
        const char* expected;
    };
    void runCases(const std::vector<OpCase>& cases) {
        for (const OpCase& c : cases) {
            SCOPED_TRACE(c.what);
            CMC_Array* array = make("A");
            for (const char* l : c.start) array->add(lit(l));
            c.op(array);
            EXPECT_EQ(typed(array), c.expected);
        }
    }

    RunnerWorld w;
    std::vector<std::string> log;
};

// ---- element operations ---------------------------------------------------------

TEST_F(ArrayTest, ElementOperationsAtEveryPosition) {
    const std::vector<OpCase> cases = {
        {"add", {"1", "2"}, [](CMC_Array* a) { a->add(lit("\"x\"")); }, "I:1,I:2,S:x"},
        {"insert first", {"1", "2"}, [](CMC_Array* a) { a->insertAt(0, lit("9")); }, "I:9,I:1,I:2"},
        {"insert last index", {"1", "2"}, [](CMC_Array* a) { a->insertAt(1, lit("9")); }, "I:1,I:9,I:2"},
        {"insert at size", {"1", "2"}, [](CMC_Array* a) { a->insertAt(2, lit("9")); }, "I:1,I:2"},
        {"insert negative", {"1"}, [](CMC_Array* a) { a->insertAt(-1, lit("9")); }, "I:1"},
        {"insert into empty", {}, [](CMC_Array* a) { a->insertAt(0, lit("9")); }, ""},
        {"change first", {"1", "2"}, [](CMC_Array* a) { a->changeAt(0, lit("TRUE")); }, "B:TRUE,I:2"},
        {"change last", {"1", "2"}, [](CMC_Array* a) { a->changeAt(1, lit("2.5")); }, "I:1,D:2.50000"},
        {"change at size", {"1", "2"}, [](CMC_Array* a) { a->changeAt(2, lit("9")); }, "I:1,I:2"},
        {"change negative", {"1"}, [](CMC_Array* a) { a->changeAt(-1, lit("9")); }, "I:1"},
        {"remove first", {"1", "2", "3"}, [](CMC_Array* a) { a->removeAt(0); }, "I:2,I:3"},
        {"remove last", {"1", "2", "3"}, [](CMC_Array* a) { a->removeAt(2); }, "I:1,I:2"},
        {"remove at size", {"1", "2"}, [](CMC_Array* a) { a->removeAt(2); }, "I:1,I:2"},
        {"remove from empty", {}, [](CMC_Array* a) { a->removeAt(0); }, ""},
        {"remove value", {"1", "2", "1"}, [](CMC_Array* a) { a->remove(lit("1")); }, "I:2,I:1"},
        {"remove converted", {"1", "5"}, [](CMC_Array* a) { a->remove(lit("\"5\"")); }, "I:1"},
        {"remove missing", {"1"}, [](CMC_Array* a) { a->remove(lit("7")); }, "I:1"},
        {"remove all", {"1", "\"a\""}, [](CMC_Array* a) { a->removeAll(); }, ""},
        {"swap ends", {"1", "2", "3"}, [](CMC_Array* a) { a->swap(0, 2); }, "I:3,I:2,I:1"},
        {"swap out of range", {"1", "2"}, [](CMC_Array* a) { a->swap(0, 2); }, "I:1,I:2"},
        {"add clones", {}, [](CMC_Array* a) { a->addClones(CXString("TILE"), 1, 3); },
         "S:TILE_1,S:TILE_2,S:TILE_3"},
        {"add no clones", {}, [](CMC_Array* a) { a->addClones(CXString("TILE"), 3, 1); }, ""},
    };
    runCases(cases);
    CMC_Array* array = make("A", {"1"});
    EXPECT_EQ(array->get(1), nullptr);
    EXPECT_EQ(array->get(-1), nullptr);
}

TEST_F(ArrayTest, StoresCopiesAndHandsOutItsOwnElements) {
    CMC_Array* array = make("A");
    CMC_Integer original(CXString("N"));
    original.setValue(4);
    array->add(&original);
    original.setValue(5);
    EXPECT_EQ(text(array), "4");
    ASSERT_NE(array->get(0), &original);
    EXPECT_EQ(array->get(0), array->get(0));
    EXPECT_FALSE(array->get(0)->isPooled());
    array->addClones(CXString("X"), 1, 1);
    EXPECT_EQ(array->get(1)->getName(), CXString("temp"));
}

TEST_F(ArrayTest, SearchesUseTheElementsOwnEquality) {
    CMC_Array* array = make("A", {"5", "\"b\"", "5", "TRUE", "5"});
    EXPECT_EQ(array->find(lit("\"5\"")), 0);
    EXPECT_EQ(array->reversefind(lit("5")), 4);
    EXPECT_EQ(array->find(lit("\"b\"")), 1);
    EXPECT_EQ(array->find(lit("\"c\"")), -1);
    EXPECT_EQ(array->reversefind(lit("\"c\"")), -1);
    // The BOOL element takes any non-zero number as TRUE.
    EXPECT_EQ(array->find(lit("6")), 3);
    EXPECT_EQ(array->reversefind(lit("0")), -1);
    EXPECT_TRUE(array->contains(lit("\"b\"")));
    EXPECT_FALSE(array->contains(lit("\"c\"")));
    int indices[5] = {-1, -1, -1, -1, -1};
    EXPECT_EQ(array->findAll(lit("5"), indices, 5), 4);
    EXPECT_EQ(std::vector<int>(indices, indices + 4), (std::vector<int>{0, 2, 3, 4}));
    // The buffer's room bounds what is written.
    int small[2] = {-1, -1};
    EXPECT_EQ(array->findAll(lit("5"), small, 2), 2);
    CMC_Array* empty = make("E");
    EXPECT_EQ(empty->find(lit("5")), -1);
    EXPECT_FALSE(empty->contains(lit("5")));
}

TEST_F(ArrayTest, ComparesAndPrintsElementByElement) {
    CMC_Array* a = make("A", {"1", "2"});
    EXPECT_TRUE(a->compareArr(make("B", {"1", "2"})));
    EXPECT_FALSE(a->compareArr(make("C", {"1", "3"})));
    EXPECT_FALSE(a->compareArr(make("D", {"1", "2", "3"})));
    EXPECT_FALSE(a->compareArr(nullptr));
    EXPECT_TRUE(make("E")->compareArr(make("F")));
    EXPECT_EQ(text(make("G", {"1", "\"a\"", "TRUE"})), "1,a,TRUE");
    EXPECT_EQ(text(make("H")), "");
}

TEST_F(ArrayTest, CloneCopiesElementsButNotFlagOrMarker) {
    CMC_Array* array = make("A", {"1", "\"a\""});
    array->setSendOnChange(true);
    array->setMarkerPos(1);
    std::unique_ptr<CMC_Array> copy(static_cast<CMC_Array*>(array->clone()));
    EXPECT_EQ(copy->getName(), CXString("cloned"));
    EXPECT_EQ(copy->getScene(), &w.scene);
    EXPECT_EQ(typed(copy.get()), "I:1,S:a");
    EXPECT_NE(copy->get(0), array->get(0));
    EXPECT_FALSE(copy->getSendOnChange());
    EXPECT_EQ(copy->getMarkerPos(), -1);
    // The script CLONE path: a registered clone named after the original.
    array->CMC_Object::clone(1);
    auto* scriptClone = dynamic_cast<CMC_Array*>(w.scene.getObject("A_1"));
    ASSERT_NE(scriptClone, nullptr);
    EXPECT_EQ(typed(scriptClone), "I:1,S:a");
}

// ---- marker ---------------------------------------------------------------------

TEST_F(ArrayTest, MarkerStepsWrapAndStayInRange) {
    CMC_Array* array = make("A", {"10", "11", "12", "13"});
    EXPECT_EQ(array->getMarkerPos(), -1);
    array->setMarkerPos(10);
    EXPECT_EQ(array->getMarkerPos(), 3);
    array->setMarkerPos(-5);
    EXPECT_EQ(array->getMarkerPos(), -1);

    EXPECT_EQ(text(make("X", {})), "");
    struct Step {
        int from;
        bool forward;
        int n;
        int marker;
    };
    const Step steps[] = {
        {-1, true, 1, 0}, {0, false, 1, 3}, {3, true, 1, 0}, {2, true, 6, 0},
        {1, false, 5, 0}, {0, true, -1, 3}, {0, false, 0, 0}, {1, true, 2147483647, 0},
        {1, false, -2147483647 - 1, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.from) + (s.forward ? " next " : " prev ") + std::to_string(s.n));
        array->setMarkerPos(s.from);
        CMC_Variable* e = s.forward ? array->next(s.n) : array->prev(s.n);
        EXPECT_EQ(array->getMarkerPos(), s.marker);
        EXPECT_EQ(e, array->get(s.marker));
    }

    // A removal brings a marker left past the end back to the last element.
    array->setMarkerPos(3);
    array->removeAt(3);
    EXPECT_EQ(array->getMarkerPos(), 2);
    array->removeAll();
    EXPECT_EQ(array->getMarkerPos(), -1);
    // Nothing to step to in an empty array.
    EXPECT_EQ(array->next(1), nullptr);
    EXPECT_EQ(array->prev(1), nullptr);
    EXPECT_EQ(array->getMarkerPos(), -1);
    array->resetMarker();
    EXPECT_EQ(array->getMarkerPos(), -1);
}

// ---- arithmetic and events ------------------------------------------------------

TEST_F(ArrayTest, ArithmeticKeepsEachElementsType) {
    const std::vector<OpCase> cases = {
        {"sum", {"1", "2"}, [](CMC_Array* a) { a->sum(lit("5")); }, "I:6,I:7"},
        {"sub", {"1", "2.5"}, [](CMC_Array* a) { a->sub(lit("1")); }, "I:0,D:1.50000"},
        {"mul", {"3", "\"4\""}, [](CMC_Array* a) { a->mul(lit("2")); }, "I:6,S:4"},
        {"div", {"7", "1.0"}, [](CMC_Array* a) { a->div(lit("2")); }, "I:3,D:0.50000"},
        {"sum of a string operand", {"1"}, [](CMC_Array* a) { a->sum(lit("\"4\"")); }, "I:5"},
        {"addat", {"1", "2"}, [](CMC_Array* a) { a->addat(1, lit("10")); }, "I:1,I:12"},
        {"subat", {"1", "2"}, [](CMC_Array* a) { a->subat(0, lit("10")); }, "I:-9,I:2"},
        {"mulat", {"3"}, [](CMC_Array* a) { a->mulat(0, lit("2.4")); }, "I:6"},
        {"divat", {"9"}, [](CMC_Array* a) { a->divat(0, lit("2")); }, "I:4"},
        {"modat", {"9"}, [](CMC_Array* a) { a->modat(0, lit("4")); }, "I:1"},
        {"divat by zero", {"9"}, [](CMC_Array* a) { a->divat(0, lit("0")); }, "I:0"},
        {"at past the end", {"1"}, [](CMC_Array* a) { a->addat(1, lit("5")); }, "I:1"},
        {"at negative", {"1"}, [](CMC_Array* a) { a->modat(-1, lit("5")); }, "I:1"},
        {"at in empty", {}, [](CMC_Array* a) { a->addat(0, lit("5")); }, ""},
    };
    runCases(cases);
}

TEST_F(ArrayTest, RangeArithmeticUsesTheNamedArrayOrTheElementItself) {
    make("OTHER", {"10", "20", "30"});
    make("SHORT", {"100"});
    w.scene.addObject(new CMC_Integer(CXString("NOTARRAY")));
    CMC_String other(CXString("temp"), CXString("OTHER"));
    CMC_String shortName(CXString("temp"), CXString("SHORT"));
    CMC_String nothing(CXString("temp"), CXString("NOSUCH"));
    CMC_String notArray(CXString("temp"), CXString("NOTARRAY"));

    struct Case {
        const char* what;
        std::function<void(CMC_Array*)> op;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"suma by array", [&](CMC_Array* a) { a->suma(&other, 1, 2); }, "1,22,33"},
        {"suba by array", [&](CMC_Array* a) { a->suba(&other, 0, 2); }, "-9,-18,-27"},
        {"mula by array", [&](CMC_Array* a) { a->mula(&other, 0, 0); }, "10,2,3"},
        {"diva by array", [&](CMC_Array* a) { a->diva(&other, 0, 2); }, "0,0,0"},
        {"shorter array", [&](CMC_Array* a) { a->suma(&shortName, 0, 2); }, "101,2,3"},
        {"suma by itself", [&](CMC_Array* a) { a->suma(&nothing, 0, 2); }, "2,4,6"},
        {"suba by itself", [&](CMC_Array* a) { a->suba(&nothing, 1, 1); }, "1,0,3"},
        {"mula by itself", [&](CMC_Array* a) { a->mula(&notArray, 0, 2); }, "1,4,9"},
        {"diva by itself", [&](CMC_Array* a) { a->diva(&nothing, 0, 2); }, "1,1,1"},
        {"range clipped", [&](CMC_Array* a) { a->suma(&nothing, -4, 99); }, "2,4,6"},
        {"empty range", [&](CMC_Array* a) { a->suma(&nothing, 2, 1); }, "1,2,3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMC_Array* array = make("A", {"1", "2", "3"});
        c.op(array);
        EXPECT_EQ(text(array), c.expected);
    }
}

TEST_F(ArrayTest, ChangeEventsTakeTheCaretFormFirst) {
    CMC_Array* array = make("A", {"1", "2"});
    listen(array, {"ONCHANGED^0", "ONCHANGED"});
    array->sum(lit("5"));
    EXPECT_EQ(text(array), "6,7");
    EXPECT_EQ(log, (std::vector<std::string>{"^0", "plain"}));

    log.clear();
    array->swap(1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"plain", "^0"}));

    // Which operations raise, and for which indices.
    struct Case {
        const char* what;
        std::function<void(CMC_Array*)> op;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {"add", [](CMC_Array* a) { a->add(lit("1")); }, {"^2"}},
        {"insert", [](CMC_Array* a) { a->insertAt(1, lit("1")); }, {"^1"}},
        {"change", [](CMC_Array* a) { a->changeAt(0, lit("1")); }, {"^0"}},
        {"addat", [](CMC_Array* a) { a->addat(1, lit("1")); }, {"^1"}},
        {"rotate", [](CMC_Array* a) { a->rotateLeft(); }, {"^0", "^1"}},
        {"shift", [](CMC_Array* a) { a->shiftRight(); }, {"^0", "^1"}},
        {"add clones", [](CMC_Array* a) { a->addClones(CXString("X"), 1, 2); }, {"^2", "^3"}},
        {"remove", [](CMC_Array* a) { a->removeAt(0); }, {}},
        {"remove all", [](CMC_Array* a) { a->removeAll(); }, {}},
        {"sort", [](CMC_Array* a) { a->sort(false); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMC_Array* subject = make("S", {"1", "2"});
        log.clear();
        listen(subject, {"ONCHANGED^0", "ONCHANGED^1", "ONCHANGED^2", "ONCHANGED^3"});
        c.op(subject);
        EXPECT_EQ(log, c.events);
    }

    // Without the flag nothing is raised.
    CMC_Array* quiet = make("Q", {"1", "2"});
    listen(quiet, {"ONCHANGED", "ONCHANGED^0"});
    quiet->setSendOnChange(false);
    log.clear();
    quiet->sum(lit("1"));
    quiet->add(lit("1"));
    quiet->shiftLeft();
    EXPECT_TRUE(log.empty());
}

TEST_F(ArrayTest, AHandlerThatEmptiesTheArrayStopsTheLoopSafely) {
    CMC_Array* array = make("A", {"1", "2", "3"});
    auto* recorder = new test::RecordingBehaviour(&w.scene, "EMPTIER");
    w.scene.addObject(recorder);
    recorder->onRun = [array](CMC_Object*) { array->removeAll(); };
    array->addBehaviour(CXString("ONCHANGED"), recorder, nullptr, &w.scene);
    array->setSendOnChange(true);
    array->sum(lit("1"));
    EXPECT_EQ(array->getSize(), 0);
    EXPECT_EQ(recorder->count(), 1);
}

// ---- order ----------------------------------------------------------------------

TEST_F(ArrayTest, SortIsStableAndDescendingReversesIt) {
    CMC_Array* array = make("A", {"\"b\"", "\"a\"", "\"b\""});
    CMC_Variable* firstB = array->get(0);
    CMC_Variable* secondB = array->get(2);
    array->setMarkerPos(1);
    array->sort(true);
    EXPECT_EQ(text(array), "a,b,b");
    EXPECT_EQ(array->get(1), firstB);
    EXPECT_EQ(array->get(2), secondB);
    EXPECT_EQ(array->getMarkerPos(), 1);
    array->sort(false);
    EXPECT_EQ(text(array), "b,b,a");
    EXPECT_EQ(array->get(0), secondB);
    EXPECT_EQ(array->get(1), firstB);

    CMC_Array* numbers = make("N", {"3", "-1", "20", "2"});
    numbers->sort(true);
    EXPECT_EQ(text(numbers), "-1,2,3,20");
    numbers->sort(false);
    EXPECT_EQ(text(numbers), "20,3,2,-1");
    CMC_Array* empty = make("E");
    empty->sort(true);
    EXPECT_EQ(empty->getSize(), 0);
}

TEST_F(ArrayTest, ShiftsClearByTypeAndRotationsKeepValues) {
    const std::vector<OpCase> cases = {
        {"shift left", {"1", "2", "3"}, [](CMC_Array* a) { a->shiftLeft(); }, "I:2,I:3,I:0"},
        {"rotate left", {"1", "2", "3"}, [](CMC_Array* a) { a->rotateLeft(); }, "I:2,I:3,I:1"},
        {"shift right", {"1", "2", "3"}, [](CMC_Array* a) { a->shiftRight(); }, "I:0,I:1,I:2"},
        {"rotate right", {"1", "2", "3"}, [](CMC_Array* a) { a->rotateRight(); }, "I:3,I:1,I:2"},
        {"shift string", {"\"a\"", "1"}, [](CMC_Array* a) { a->shiftLeft(); }, "I:1,S:NULL"},
        {"shift bool", {"1", "TRUE"}, [](CMC_Array* a) { a->shiftRight(); }, "B:FALSE,I:1"},
        {"shift double", {"2.5", "1"}, [](CMC_Array* a) { a->shiftLeft(); }, "I:1,D:0"},
        {"shift one", {"7"}, [](CMC_Array* a) { a->shiftLeft(); }, "I:0"},
        {"shift empty", {}, [](CMC_Array* a) { a->shiftLeft(); a->shiftRight(); }, ""},
        {"rotate empty", {}, [](CMC_Array* a) { a->rotateLeft(); a->rotateRight(); }, ""},
    };
    runCases(cases);
}

// ---- persistence ----------------------------------------------------------------

TEST_F(ArrayTest, SavesTheArrayFileByteForByte) {
    CMC_Array* array = make("A", {"7", "\"ab\""});
    const std::string path = w.world.dir().engine("a.arr");
    array->save(CXString(path.c_str()));
    const std::string expected("\x02\0\0\0\x01\0\0\0\x07\0\0\0\x02\0\0\0\x02\0\0\0ab", 22);
    EXPECT_EQ(w.world.dir().read("a.arr"), expected);

    make("E")->save(CXString(w.world.dir().engine("e.arr").c_str()));
    EXPECT_EQ(w.world.dir().read("e.arr"), std::string(4, '\0'));
    CMC_Array* loaded = make("L", {"1"});
    loaded->load(CXString(w.world.dir().engine("e.arr").c_str()));
    EXPECT_EQ(loaded->getSize(), 0);
}

TEST_F(ArrayTest, FileRoundTripKeepsTypesAndRaisesEvents) {
    CMC_Array* array = make("A", {"-3", "\"t\xB3o\"", "TRUE", "1.23456", "\"\""});
    const std::string path = w.world.dir().engine("all.arr");
    array->save(CXString(path.c_str()));

    CMC_Array* back = make("B", {"99"});
    listen(back, {"ONCHANGED"});
    back->load(CXString(path.c_str()));
    EXPECT_EQ(typed(back), "I:-3,S:t\xB3o,B:TRUE,D:1.23450,S:");
    EXPECT_EQ(log.size(), 5u);
    EXPECT_FALSE(back->get(0)->isPooled());

    // A path that cannot be opened: save writes nothing, load leaves the array empty.
    const std::string missing = w.world.dir().engine("no\\such\\folder\\x.arr");
    array->save(CXString(missing.c_str()));
    EXPECT_FALSE(w.world.dir().exists("no"));
    back->load(CXString(missing.c_str()));
    EXPECT_EQ(back->getSize(), 0);
}

TEST_F(ArrayTest, ABadOrShortFileKeepsWhatWasRead) {
    using test::le32;
    const std::string one = le32(1) + le32(7);
    const std::string two = le32(2) + le32(2) + "hi";
    struct Case {
        const char* what;
        std::string bytes;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"count beyond records", le32(3) + one + two, "I:7,S:hi"},
        {"bad tag", le32(3) + one + le32(9) + le32(1) + two, "I:7"},
        {"expression tag", le32(1) + le32(12) + le32(0), ""},
        {"string past the end", le32(2) + one + le32(2) + le32(50) + "abc", "I:7"},
        {"negative string length", le32(1) + le32(2) + le32(-4), ""},
        {"cut integer", le32(2) + one + le32(1) + "\x05\x00", "I:7"},
        {"cut tag", le32(2) + one + "\x01\x00", "I:7"},
        {"negative count", le32(-1) + one, ""},
        {"zero count", le32(0) + one, ""},
        {"huge count", le32(0x7fffffff) + one, "I:7"},
        {"short count", std::string("\x01\x00", 2), ""},
        {"empty file", std::string(), ""},
        {"extra bytes", le32(1) + one + "junk", "I:7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.world.dir().write("bad.arr", c.bytes);
        CMC_Array* array = make("A", {"1", "2"});
        array->load(CXString(w.world.dir().engine("bad.arr").c_str()));
        EXPECT_EQ(typed(array), c.expected);
    }
}

TEST_F(ArrayTest, IniFormKeepsTextOnly) {
    const std::string iniPath = w.world.dir().engine("game.ini");
    CConfig config(CXString(iniPath.c_str()));
    w.world.window()->setConfig(&config);

    CMC_Array* array = make("LIST", {"\"a\"", "\"\"", "\"b,c\"", "5", "TRUE", "1.5"});
    array->saveINI();
    EXPECT_EQ(std::string(config.GetString(CXString("SCENE"), CXString("LIST")).c_str()), "a,,b,c,5,TRUE,1.50000");

    CMC_Array* back = make("LIST2", {"9"});
    back->setName(CXString("LIST"));
    listen(back, {"ONCHANGED"});
    back->loadINI();
    EXPECT_EQ(typed(back), "S:a,S:b,S:c,S:5,S:TRUE,S:1.50000");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(back->get(0)->getName(), CXString("temp"));

    // A missing key empties the array.
    back->setName(CXString("NOKEY"));
    back->loadINI();
    EXPECT_EQ(back->getSize(), 0);

    // Without INI settings both forms do nothing.
    w.world.window()->setConfig(nullptr);
    CMC_Array* other = make("OTHER", {"1"});
    other->saveINI();
    other->loadINI();
    EXPECT_EQ(typed(other), "I:1");
    EXPECT_EQ(std::string(config.GetString(CXString("SCENE"), CXString("OTHER")).c_str()), "");
}

TEST_F(ArrayTest, SceneImageKeepsTheFlagButNoElements) {
    CMC_Array* array = make("A", {"1", "2"});
    array->setSendOnChange(true);
    const std::string bytes = test::archiveBytes([&](CXArchive& ar) { array->serialize(&ar); });
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\x01');

    CMC_Array back(&w.scene, CXString("temp"));
    test::readArchive(bytes, [&](CXArchive& ar) { back.serialize(&ar); });
    EXPECT_EQ(back.getName(), CXString("A"));
    EXPECT_TRUE(back.getSendOnChange());
    EXPECT_EQ(back.getSize(), 0);

    array->setSendOnChange(false);
    const std::string off = test::archiveBytes([&](CXArchive& ar) { array->serialize(&ar); });
    EXPECT_EQ(off.size(), bytes.size());
    EXPECT_EQ(off.back(), '\x00');
}

// ---- definition files -----------------------------------------------------------

TEST_F(ArrayTest, DefinitionBuildsAnArrayWithItsFlagAndHandlers) {
    test::TestScene* scene = w.world.loadScene("arrays.cnv", {
        "OBJECT=HITS", "HITS:TYPE=INTEGER", "HITS:VALUE=0",
        "OBJECT=FIRST", "FIRST:TYPE=INTEGER", "FIRST:VALUE=0",
        "OBJECT=A", "A:TYPE=ARRAY", "A:SENDONCHANGE=TRUE",
        "A:ONCHANGED={ HITS^ADD(1); }", "A:ONCHANGED^0={ FIRST^ADD(1); }",
        "OBJECT=B", "B:TYPE=ARRAY",
        "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={ A^ADD(4, \"x\", 2.5); A^SUM(1); B^ADD(1); A^ADDTOARRAY(\"B\"); HITS^ADDTOARRAY(\"B\"); }",
    });
    ASSERT_NE(scene, nullptr);
    auto* a = dynamic_cast<CMC_Array*>(scene->getObject("A"));
    auto* b = dynamic_cast<CMC_Array*>(scene->getObject("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->getType(), 3001);
    EXPECT_TRUE(a->getSendOnChange());
    EXPECT_FALSE(b->getSendOnChange());
    test::runBehaviour(scene, "GO");
    EXPECT_EQ(typed(a), "I:5,S:x1,D:3.50000");
    // Index 0 twice in the caret form, indices 1 and 2 twice in the plain form.
    EXPECT_EQ(test::intValue(scene, "FIRST"), 2);
    EXPECT_EQ(test::intValue(scene, "HITS"), 4);
    // ADDTOARRAY adds a copy of a value; an array is not a value.
    EXPECT_EQ(typed(b), "I:1,I:4");
}

}  // namespace
