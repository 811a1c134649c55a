// The sequenced playable over recording children: the three modes, the parameter
// codes, seeking, the finished report, and what its end does to its children.
#include "graphics/play/CSequencedPlayable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/Crt.h"
#include "foundation/CXArray.h"

namespace {

// A child that records its starts and stops in a shared log ("A+param", "A-").
struct Child : CPlayable {
    Child(const char* name, std::vector<std::string>* log, int type = 9) : CPlayable(nullptr), log(log) {
        setName(name);
        m_type = type;
        alive = aliveFlag();
    }
    using CPlayable::play;
    void play() override {
        m_status = kStatusPlaying;
        log->push_back(std::string(getName().c_str()) + "+" + getParam().c_str());
        notify(kStarted);
    }
    void stop(bool n) override {
        m_status = 0;
        log->push_back(std::string(getName().c_str()) + "-");
        if (n) notify(kFinished);
    }
    void pause() override { m_status |= kStatusPaused; }
    void resume() override { m_status &= ~kStatusPaused; }
    void seek(int) override {}
    // Ends by itself: with `report` the observers hear it, else only polling notices.
    void end(bool report) {
        m_status = 0;
        if (report) notify(kFinished);
    }
    std::vector<std::string>* log;
    std::shared_ptr<const bool> alive;
};

struct Counter : CPlayableObserver {
    bool onPlayableStarted(CPlayable*) override { ++started; return false; }
    bool onPlayableFinished(CPlayable*) override { ++finished; return false; }
    int started = 0, finished = 0;
};

class Sequenced : public ::testing::Test {
protected:
    Child* child(const char* name, bool wait = true) {
        auto* c = new Child(name, &log);
        c->setWaitMode(wait);
        seq.addChild(c);
        children.push_back(c);
        return c;
    }
    std::vector<std::string> log;
    std::vector<Child*> children;
    CSequencedPlayable seq{nullptr};
    Counter counter;
};

TEST_F(Sequenced, SequenceStartsUpToTheFirstWaitingChildThenGoesOnWhenItEnds) {
    Child* a = child("A", false);
    Child* b = child("B");
    child("C");
    seq.setGenericNotifier(&counter);
    seq.play();
    EXPECT_EQ(log, (std::vector<std::string>{"A+", "B+"}));
    EXPECT_EQ(seq.getCurrent(), 1);
    a->end(false);
    seq.next();
    EXPECT_EQ(log.size(), 2u) << "A not waited for";
    b->end(false);
    seq.next();
    EXPECT_EQ(log.back(), "C+");
    EXPECT_TRUE(seq.isPlaying());
    // The last child's reported end stops the sequence with one finished report.
    children[2]->end(true);
    EXPECT_FALSE(seq.isPlaying());
    EXPECT_EQ(counter.started, 1);
    EXPECT_EQ(counter.finished, 1);
}

TEST_F(Sequenced, AllWithoutWaitStartTogetherAndPollingStopsTheSequence) {
    child("A", false);
    child("B", false);
    Child* c = child("C", false);
    seq.setGenericNotifier(&counter);
    seq.play();
    EXPECT_EQ(log, (std::vector<std::string>{"A+", "B+", "C+"}));
    EXPECT_EQ(seq.getPlayedCounter(), 2);
    seq.next();
    EXPECT_TRUE(seq.isPlaying());
    c->end(false);
    seq.next();
    EXPECT_FALSE(seq.isPlaying());
    EXPECT_EQ(log.back(), "C-");
    EXPECT_EQ(counter.finished, 1);
}

TEST_F(Sequenced, ParameterModeStartsTheChildTheFirstCharacterNames) {
    child("A");
    child("B");
    seq.setMode(CSequencedPlayable::kModeParameter);
    seq.setParameter(CXString("21"));
    seq.play();
    EXPECT_EQ(log, (std::vector<std::string>{"B+1"}));
    EXPECT_EQ(seq.getCurrent(), 1);
    EXPECT_TRUE(seq.isPlaying());
    // An index beyond the children, and an empty parameter, start nothing.
    log.clear();
    seq.stop(false);
    for (const char* parameter : {"31", "0", "", "Z"}) {
        seq.setParameter(CXString(parameter));
        seq.play();
        EXPECT_TRUE(log.empty() || log == std::vector<std::string>{"B-"}) << parameter;
        EXPECT_FALSE(seq.isPlaying()) << parameter;
    }
}

TEST_F(Sequenced, ParameterCharactersDecodeAcrossTheRanges) {
    const struct {
        char c;
        int index;
    } rows[] = {{'1', 0}, {'9', 8}, {'A', 9}, {'Y', 33}, {'Z', 34}, {'a', 34}, {'b', 35}, {'0', -1}};
    for (const auto& row : rows) EXPECT_EQ(CSequencedPlayable::decodeParameter(row.c), row.index) << row.c;
}

TEST_F(Sequenced, RandomModePlaysTheChildTheSeededRandDraws) {
    for (const char* n : {"A", "B", "C", "D"}) child(n);
    seq.setMode(CSequencedPlayable::kModeRandom);
    crt::srand(7);
    const int expected = crt::rand() % 4;
    crt::srand(7);
    seq.play();
    EXPECT_EQ(seq.getCurrent(), expected);
    EXPECT_EQ(log, (std::vector<std::string>{std::string(1, static_cast<char>('A' + expected)) + "+"}));
    // The chosen child's end stops it.
    seq.setGenericNotifier(&counter);
    children[static_cast<size_t>(expected)]->end(true);
    EXPECT_FALSE(seq.isPlaying());
    EXPECT_EQ(counter.finished, 1);
}

TEST_F(Sequenced, SeekPastTheLastOrBeforeAnyChildStartsNone) {
    child("A");
    child("B");
    seq.seek(CPlayable::kSeekForward);
    EXPECT_EQ(seq.getCurrent(), -1);
    EXPECT_TRUE(log.empty());
    seq.seek(CSequencedPlayable::kSeekLast);
    EXPECT_EQ(log, (std::vector<std::string>{"B+"}));
    log.clear();
    seq.seek(CPlayable::kSeekForward);
    EXPECT_EQ(seq.getCurrent(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"B-"}));
    seq.seek(7);
    EXPECT_EQ(seq.getCurrent(), -1);
    seq.seek(CPlayable::kSeekBack);
    EXPECT_EQ(seq.getCurrent(), -1);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(Sequenced, PlayingAndLastEventReachTheInnermostChild) {
    auto* inner = new CSequencedPlayable(nullptr);
    inner->setName("INNER");
    auto* x = new Child("X", &log);
    inner->addChild(x);
    seq.setName("ROOT");
    seq.addChild(inner);
    EXPECT_EQ(seq.getPlaying(), nullptr);
    seq.play();
    EXPECT_EQ(seq.getPlaying(), x);
    EXPECT_STREQ(seq.getLastPlayedEvent(CXString()).c_str(), "X");
    EXPECT_STREQ(seq.getLastPlayedEvent(CXString("INNER")).c_str(), "X");
    EXPECT_STREQ(seq.getLastPlayedEvent(CXString("NONE")).c_str(), "");
    EXPECT_EQ(seq.get(CXString("11")), x);
}

TEST(SequencedLife, ASharedChildSurvivesTheFirstParentAndSoundsSurviveEveryParent) {
    std::vector<std::string> log;
    auto* shared = new Child("S", &log);
    Child sound("W", &log, 1);
    auto* own = new Child("O", &log);
    std::shared_ptr<const bool> sharedAlive = shared->alive, ownAlive = own->alive;
    auto first = std::make_unique<CSequencedPlayable>(nullptr);
    auto second = std::make_unique<CSequencedPlayable>(nullptr);
    for (CSequencedPlayable* s : {first.get(), second.get()}) {
        shared->addParent();
        s->addChild(shared);
    }
    first->addChild(&sound);
    first->addChild(own);
    first->play();
    first.reset();
    EXPECT_TRUE(*sharedAlive);
    EXPECT_FALSE(*ownAlive);
    EXPECT_EQ(shared->getParentsNo(), 1);
    // The survivors no longer report to the sequence that went.
    EXPECT_EQ(sound.getNotifiers()->getCount(), 0);
    EXPECT_EQ(shared->getNotifiers()->getCount(), 0);
    second.reset();
    EXPECT_FALSE(*sharedAlive);
}

TEST(SequencedLife, AdoptedPlayablesGoWithTheirHolder) {
    std::vector<std::string> log;
    auto* loose = new Child("L", &log);
    std::shared_ptr<const bool> alive = loose->alive;
    {
        CSequencedPlayable root(nullptr);
        root.adopt(loose);
    }
    EXPECT_FALSE(*alive);
}

}  // namespace
