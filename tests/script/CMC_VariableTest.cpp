// The variable base: literal resolution, the change step with its events and
// caret forms, TOINI through the INI settings, NETNOTIFY through the peer
// objects, values received from the network, and nesting of change steps.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CConfig.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"
#include "ValueTestSupport.h"

using valuetest::RecordingBehaviour;

namespace {

using Props = std::vector<std::pair<const char*, const char*>>;

// A stand-in for the network peers: records what it is asked to send.
class FakePeer : public CMC_Object, public CMC_VariableSender {
public:
    FakePeer(const char* name, int type, bool ready, std::vector<std::string>* log)
        : CMC_Object(CXString(name), type), m_ready(ready), m_log(log) {}
    bool canSendVariables() override { return m_ready; }
    void sendVar(CXString player, CMC_Variable* variable) override {
        m_log->push_back(std::string(getName().c_str()) + "[" + player.c_str() + "]:" + variable->getName().c_str() +
                         "=" + variable->toString().c_str());
    }

private:
    bool m_ready;
    std::vector<std::string>* m_log;
};

class CMC_VariableTest : public valuetest::PoolTest {
protected:
    void SetUp() override {
        PoolTest::SetUp();
        m_savedRoot = CWindow::rootPath;
        window = new CWindow();
        config = new CConfig(CXString(tmp.engine("game.ini").c_str()));
        window->setConfig(config);
        scene = new CMC_ObjectsContainer(window, nullptr, CXString("SCENE1"), CMC_ObjectsContainer::kScene);
    }
    void TearDown() override {
        scene->unload();
        delete scene;
        delete window;
        delete config;
        CWindow::rootPath = m_savedRoot;
        PoolTest::TearDown();
    }

    RecordingBehaviour* behaviour(const char* name) {
        auto* b = new RecordingBehaviour(scene, name, &log);
        scene->addObject(b);
        return b;
    }
    template <class T>
    T* variable(const char* name, const Props& props) {
        CMElement element{CXString(name)};
        for (const auto& [key, value] : props) element.addProperty(CXString(key), CXString(value));
        T* v = new T(scene, &element);
        scene->addObject(v);
        return v;
    }
    void addPeer(const char* name, int type, bool ready) { scene->addObject(new FakePeer(name, type, ready, &sent)); }
    std::string ini(const char* key) { return config->GetString(CXString("SCENE1"), CXString(key)).c_str(); }

    test::TempDir tmp;
    CWindow* window = nullptr;
    CConfig* config = nullptr;
    CMC_ObjectsContainer* scene = nullptr;
    std::vector<std::string> log;
    std::vector<std::string> sent;

private:
    CXString m_savedRoot;
};

using Log = std::vector<std::string>;

TEST_F(CMC_VariableTest, ResolveSpellsLiterals) {
    struct Case {
        const char* text;
        int type;
        const char* value;  // text form of the result
    } cases[] = {
        {"12", 1, "12"},          {"-3.5", 4, "-3.50000"}, {"0.5", 4, "0.50000"}, {"05", 2, "05"},
        {"TRUE", 3, "TRUE"},      {"FALSE", 3, "FALSE"},   {"true", 2, "true"},   {"", 2, ""},
        {"-", 1, "0"},            {"1.2.3", 4, "1.20000"}, {"0", 1, "0"},         {"-05", 1, "-5"},
        {"\"abc\"", 2, "abc"},    {"\"abc", 2, "abc"},     {"\"", 2, ""},         {"\"a\"b\"", 2, "a\"b"},
        {"\"12\"", 2, "12"},      {"12a", 2, "12a"},       {"abc def", 2, "abc def"},
        {"99999999999", 1, "2147483647"},
    };
    for (const auto& c : cases) {
        CMC_Variable* v = CMC_Variable::resolve(CXString(c.text));
        ASSERT_NE(v, nullptr) << c.text;
        EXPECT_EQ(v->getType(), c.type) << c.text;
        EXPECT_STREQ(v->toString().c_str(), c.value) << c.text;
        EXPECT_TRUE(v->isPooled()) << c.text;
    }
}

TEST_F(CMC_VariableTest, IsNumber) {
    struct Case {
        const char* text;
        bool number;
    } cases[] = {{"0", true},   {"12", true},   {"0.5", true},  {"-05", true}, {"-", true},  {"1.2.3", true},
                 {"05", false}, {"", false},    {".5", false},  {"1-2", false}, {"+1", false}, {"1e5", false},
                 {" 1", false}, {"00", false},  {"0.", true}};
    for (const auto& c : cases) EXPECT_EQ(CMC_Variable::isNumber(CXString(c.text)), c.number) << c.text;
}

TEST_F(CMC_VariableTest, EventListAndFlags) {
    CMC_Integer plain(CXString("P"));
    CXString** list = plain.getBehavioursList();
    std::vector<std::string> names;
    for (CXString** p = list; *p; ++p) names.push_back((*p)->c_str());
    CMC_Object::freeBehavioursList(list);
    EXPECT_EQ(names, (Log{"ONINIT", "ONDONE", "ONSIGNAL", "ONCHANGED", "ONBRUTALCHANGED", "ONNETCHANGE"}));

    behaviour("B");
    auto* v = variable<CMC_Integer>("V", {{"ONNETCHANGE", "B"}, {"ONCHANGED^3", "B"}, {"ONBRUTALCHANGED", "NOSUCH"}});
    EXPECT_TRUE(v->isEventHandled(CMC_Variable::kChangedEventIndex));
    EXPECT_FALSE(v->isEventHandled(CMC_Variable::kBrutalChangedEventIndex));  // its behaviour does not exist
    EXPECT_TRUE(v->isEventHandled(CMC_Variable::kNetChangeEventIndex));
}

TEST_F(CMC_VariableTest, CaretFormTakesTheChangeBeforeThePlainEvent) {
    behaviour("ON5");
    behaviour("ANY");
    auto* v = variable<CMC_Integer>("V", {{"ONCHANGED^5", "ON5"}, {"ONCHANGED", "ANY"}});
    v->set(CMC_Variable::resolve(CXString("5")));
    EXPECT_EQ(log, (Log{"ON5=5"}));
    log.clear();
    v->set(CMC_Variable::resolve(CXString("6")));
    EXPECT_EQ(log, (Log{"ANY=6"}));

    behaviour("HI");
    auto* s = variable<CMC_String>("S", {{"ONBRUTALCHANGED^hi", "HI"}, {"ONBRUTALCHANGED", "ANY"}});
    log.clear();
    s->setValue(CXString("hi"));
    s->setValue(CXString("hi"));
    s->setValue(CXString("HI"));
    EXPECT_EQ(log, (Log{"HI=hi", "HI=hi", "ANY=HI"}));
}

TEST_F(CMC_VariableTest, BrutalChangeOnEveryAssignmentChangedOnlyOnARealChange) {
    behaviour("BRUTAL");
    behaviour("CHANGED");
    Props handlers = {{"ONBRUTALCHANGED", "BRUTAL"}, {"ONCHANGED", "CHANGED"}};
    auto* i = variable<CMC_Integer>("I", handlers);
    auto* s = variable<CMC_String>("S", handlers);
    auto* b = variable<CMC_Bool>("B", handlers);
    auto* d = variable<CMC_Double>("D", handlers);

    struct Step {
        const char* what;
        std::function<void()> run;
        Log expected;
    } steps[] = {
        {"INTEGER set same", [&] { i->set(CMC_Variable::resolve(CXString("0"))); }, {"BRUTAL=0"}},
        {"INTEGER set other", [&] { i->set(CMC_Variable::resolve(CXString("4"))); }, {"BRUTAL=4", "CHANGED=4"}},
        {"INTEGER setValue", [&] { i->setValue(9); }, {"BRUTAL=9"}},
        {"INTEGER clear", [&] { i->clear(); }, {"BRUTAL=0", "CHANGED=0"}},
        {"INTEGER clear again", [&] { i->clear(); }, {"BRUTAL=0"}},
        {"INTEGER inc", [&] { i->inc(); }, {"BRUTAL=1", "CHANGED=1"}},
        {"INTEGER set from nothing", [&] { i->set(nullptr); }, {"BRUTAL=1"}},
        {"INTEGER fromString", [&] { i->fromString(CXString("7")); }, {}},
        {"INTEGER setDefault", [&] { i->setDefault(CMC_Variable::resolve(CXString("3"))); }, {}},
        {"STRING set same", [&] { s->set(CMC_Variable::resolve(CXString(""))); }, {"BRUTAL="}},
        {"STRING setValue", [&] { s->setValue(CXString("a")); }, {"BRUTAL=a", "CHANGED=a"}},
        {"STRING upper", [&] { s->upper(); }, {"BRUTAL=A", "CHANGED=A"}},
        {"STRING upper unchanged", [&] { s->upper(); }, {"BRUTAL=A", "CHANGED=A"}},
        {"STRING inc", [&] { s->inc(); }, {}},
        {"BOOL set false", [&] { b->set(CMC_Variable::resolve(CXString("FALSE"))); }, {"BRUTAL=FALSE"}},
        {"BOOL switch", [&] { b->swap(nullptr, nullptr); }, {"BRUTAL=TRUE", "CHANGED=TRUE"}},
        {"BOOL setValue", [&] { b->setValue(false); }, {"BRUTAL=FALSE"}},
        {"DOUBLE set same", [&] { d->set(CMC_Variable::resolve(CXString("0"))); }, {"BRUTAL=0"}},
        {"DOUBLE set other", [&] { d->set(CMC_Variable::resolve(CXString("0.5"))); }, {"BRUTAL=0.50000", "CHANGED=0.50000"}},
        {"DOUBLE dec", [&] { d->dec(); }, {"BRUTAL=-0.50000", "CHANGED=-0.50000"}},
        {"DOUBLE resetINI without TOINI", [&] { d->resetINI(); }, {}},
    };
    for (const auto& step : steps) {
        log.clear();
        step.run();
        EXPECT_EQ(log, step.expected) << step.what;
    }
}

TEST_F(CMC_VariableTest, ToIniWritesTheFirstValueAndReadsAStoredOne) {
    behaviour("CHANGED");
    behaviour("BRUTAL");
    auto* fresh = variable<CMC_Integer>("FRESH", {{"TOINI", "TRUE"}, {"VALUE", "5"}, {"ONCHANGED", "CHANGED"}});
    EXPECT_EQ(ini("FRESH"), "");
    fresh->init();
    EXPECT_EQ(ini("FRESH"), "5");
    EXPECT_TRUE(log.empty());

    config->PutString(CXString("SCENE1"), CXString("STORED"), CXString("8"));
    config->PutString(CXString("SCENE1"), CXString("SAME"), CXString("TRUE"));
    auto* stored = variable<CMC_Integer>(
        "STORED", {{"TOINI", "TRUE"}, {"VALUE", "5"}, {"ONCHANGED", "CHANGED"}, {"ONBRUTALCHANGED", "BRUTAL"}});
    auto* same = variable<CMC_Bool>("SAME", {{"TOINI", "TRUE"}, {"VALUE", "TRUE"}, {"ONCHANGED", "CHANGED"},
                                             {"ONBRUTALCHANGED", "BRUTAL"}});
    stored->init();
    EXPECT_EQ(stored->getValue(), 8);
    same->init();
    EXPECT_TRUE(same->getValue());
    EXPECT_EQ(log, (Log{"BRUTAL=8", "CHANGED=8", "BRUTAL=TRUE"}));
    EXPECT_EQ(inUse(CMC_Variable::kString), 0);

    // A change writes at once; an assignment of the current value writes nothing.
    stored->setValue(3);  // without notification
    EXPECT_EQ(ini("STORED"), "8");
    stored->set(CMC_Variable::resolve(CXString("4")));
    EXPECT_EQ(ini("STORED"), "4");
    config->PutString(CXString("SCENE1"), CXString("STORED"), CXString("elsewhere"));
    stored->set(CMC_Variable::resolve(CXString("4")));
    EXPECT_EQ(ini("STORED"), "elsewhere");

    // RESETINI restores the default and writes it.
    stored->setDefault(CMC_Variable::resolve(CXString("-1")));
    stored->resetINI();
    EXPECT_EQ(stored->getValue(), -1);
    EXPECT_EQ(ini("STORED"), "-1");

    // Without INI settings nothing is read or written.
    window->setConfig(nullptr);
    auto* none = variable<CMC_String>("NONE", {{"TOINI", "TRUE"}, {"VALUE", "x"}});
    none->init();
    none->setValue(CXString("y"));
    EXPECT_EQ(ini("NONE"), "");
}

TEST_F(CMC_VariableTest, FlagsFromTheElement) {
    struct Case {
        Props props;
        bool toIni, netNotify;
    } cases[] = {
        {{}, false, false},
        {{{"TOINI", "TRUE"}}, true, true},
        {{{"NETNOTIFY", "TRUE"}}, false, true},
        {{{"TOINI", "FALSE"}, {"NETNOTIFY", "TRUE"}}, false, true},
        {{{"toini", "TRUE"}}, false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string name = "V" + std::to_string(n++);
        auto* v = variable<CMC_Double>(name.c_str(), c.props);
        EXPECT_EQ(v->isToIni(), c.toIni) << name;
        EXPECT_EQ(v->isNetNotify(), c.netNotify) << name;
        EXPECT_EQ(v->getPoolIndex(), -1);
    }
}

TEST_F(CMC_VariableTest, NetNotifySendsRealChangesThroughServerOrClient) {
    // TOINI alone notifies as well.
    auto* v = variable<CMC_Integer>("SCORE", {{"TOINI", "TRUE"}});
    v->set(CMC_Variable::resolve(CXString("1")));
    EXPECT_TRUE(sent.empty());  // neither peer exists

    addPeer("NETCLIENT", 2012, true);
    v->set(CMC_Variable::resolve(CXString("2")));
    v->set(CMC_Variable::resolve(CXString("2")));  // no change, nothing sent
    v->setValue(7);                              // no notification
    EXPECT_EQ(sent, (Log{"NETCLIENT[]:SCORE=2"}));

    sent.clear();
    addPeer("NETSERVER", 2011, false);  // not started: the client still sends
    v->inc();
    EXPECT_EQ(sent, (Log{"NETCLIENT[]:SCORE=8"}));

    sent.clear();
    addPeer("NETSERVER", 2011, true);  // replaces the stopped one; the server goes first
    v->inc();
    EXPECT_EQ(sent, (Log{"NETSERVER[]:SCORE=9"}));

    auto* quiet = variable<CMC_Integer>("QUIET", {});
    sent.clear();
    quiet->inc();
    EXPECT_TRUE(sent.empty());
}

TEST_F(CMC_VariableTest, ValueFromTheNetworkRaisesNetChangeFirstAndIsNotSentBack) {
    addPeer("NETSERVER", 2011, true);
    behaviour("NET");
    behaviour("CHANGED");
    auto* v = variable<CMC_String>("NAME", {{"NETNOTIFY", "TRUE"}, {"VALUE", "old"}, {"ONNETCHANGE", "NET"},
                                            {"ONCHANGED", "CHANGED"}});
    std::string form = valuetest::le32(2) + "new" + std::string(1, '\0');
    CMC_Variable* incoming = CMC_VariableFactory::netrestore(form.data());
    v->onNetChange(incoming);
    EXPECT_EQ(v->getValue(), CXString("new"));
    EXPECT_EQ(log, (Log{"NET=old", "CHANGED=new"}));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(v->isNetNotify());
    v->setValue(CXString("local"));
    EXPECT_EQ(sent, (Log{"NETSERVER[]:NAME=local"}));
}

TEST_F(CMC_VariableTest, NestedChangeStepsStopAfterThirtyTwoLevels) {
    RecordingBehaviour* again = behaviour("AGAIN");
    auto* v = variable<CMC_Integer>("N", {{"ONCHANGED", "AGAIN"}, {"TOINI", "TRUE"}});
    again->action = [v](CMC_Object*) { v->inc(); };
    v->set(CMC_Variable::resolve(CXString("1")));
    EXPECT_EQ(log.size(), 32u);
    EXPECT_EQ(v->getValue(), 33);
    EXPECT_EQ(ini("N"), "33");
    log.clear();
    v->inc();  // the depth is back to 0
    EXPECT_EQ(log.size(), 32u);
}

TEST_F(CMC_VariableTest, CompareAsAnObjectForwardsToTheTypedCompare) {
    CMC_Integer one(1), two(2);
    CXObject* asObject = &two;
    EXPECT_EQ(one.compare(asObject), -1);
    EXPECT_EQ(two.compare(static_cast<CXObject*>(&one)), 1);
    CMC_String s(CXString("S"), CXString("2"));
    EXPECT_EQ(two.compare(static_cast<CXObject*>(&s)), 0);
}

TEST_F(CMC_VariableTest, PooledTemporariesRaiseNothing) {
    CMC_Variable* v = CMC_Variable::resolve(CXString("5"));
    EXPECT_FALSE(v->isEventHandled(CMC_Variable::kChangedEventIndex));
    v->inc();
    EXPECT_STREQ(v->toString().c_str(), "6");
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(log.empty());
}

}  // namespace
