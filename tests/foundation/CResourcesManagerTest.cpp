#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CFileResolver.h"
#include "foundation/CResourcesManager.h"
#include "shell/CWindow.h"

namespace {

std::vector<std::string> g_deleted;
std::vector<std::string> g_released;

class Resource : public CFileResolver {
public:
    explicit Resource(const char* name) { setFilename(CXString(name)); }
    ~Resource() override { g_deleted.emplace_back(getFileName().c_str()); }
    void markLoaded() { load(); }
    void markUnloaded() { release(); }
};

bool recordRelease(CWindow*, CFileResolver* r) {
    g_released.emplace_back(r->getFileName().c_str());
    return false;
}

class CResourcesManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_deleted.clear();
        g_released.clear();
        CResourcesManager::setReleaseHook(&recordRelease);
    }
    void TearDown() override { CResourcesManager::setReleaseHook(nullptr); }
};

}  // namespace

TEST_F(CResourcesManagerTest, SharedObjectIsDeletedWithItsLastHolder) {
    CResourcesManager m(nullptr);
    auto* intro = new Resource("intro.ann");
    m.add(intro);
    EXPECT_EQ(m.getCount(intro), 1);
    EXPECT_EQ(m.get(CXString("INTRO.ANN")), intro);
    EXPECT_EQ(m.getCount(intro), 2);
    EXPECT_EQ(m.get(CXString("other.ann")), nullptr);

    EXPECT_FALSE(m.remove(intro));
    EXPECT_TRUE(g_deleted.empty());
    EXPECT_TRUE(m.remove(intro));
    EXPECT_EQ(g_released, std::vector<std::string>{"intro.ann"});
    EXPECT_EQ(g_deleted, std::vector<std::string>{"intro.ann"});
    EXPECT_FALSE(m.contains(intro));
    EXPECT_EQ(m.get(CXString("intro.ann")), nullptr);
    Resource stranger("s");
    EXPECT_FALSE(m.remove(&stranger));
}

TEST_F(CResourcesManagerTest, KeyIsTheNameAtAddTime) {
    CResourcesManager m(nullptr);
    auto* r = new Resource("first.img");
    m.add(r);
    r->setFilename(CXString("second.img"));
    EXPECT_EQ(m.get(CXString("second.img")), nullptr);
    EXPECT_EQ(m.get(CXString("FIRST.img")), r);
}

TEST_F(CResourcesManagerTest, OwnEntriesBeforeNestedDepthFirst) {
    CResourcesManager app(nullptr);
    CResourcesManager inner(nullptr);
    CResourcesManager scene(nullptr);
    auto* own = new Resource("a.wav");
    auto* shared = new Resource("A.WAV");
    auto* deep = new Resource("deep.wav");
    scene.add(own);
    app.add(shared);
    inner.add(deep);
    app.add(&inner);
    scene.add(&app);
    scene.add(&scene);  // ignored: it would search itself forever

    EXPECT_EQ(scene.get(CXString("a.wav")), own);
    EXPECT_EQ(scene.get(CXString("DEEP.WAV")), deep);
    EXPECT_EQ(inner.getCount(deep), 2);
    EXPECT_FALSE(inner.remove(deep));

    scene.remove(&app);
    EXPECT_EQ(scene.get(CXString("deep.wav")), nullptr);
    scene.add(&app);

    // Flushing empties the nested list and deletes every own object.
    scene.flush();
    EXPECT_EQ(scene.get(CXString("deep.wav")), nullptr);
    EXPECT_EQ(scene.getSize(), 0);
    EXPECT_EQ(app.getSize(), 0);
    EXPECT_EQ(inner.getSize(), 0);
    EXPECT_EQ(g_deleted.size(), 3u);
    EXPECT_EQ(g_released.size(), 3u);  // taken off the screen before deletion
}

// A scene shares the application's objects: what it takes through its nested
// managers it gives back through them, and the counts end where they began.
TEST_F(CResourcesManagerTest, CountsBalanceAcrossNestedManagers) {
    CResourcesManager app(nullptr);
    CResourcesManager inner(nullptr);
    CResourcesManager scene(nullptr);
    auto* shared = new Resource("music.wav");
    auto* deep = new Resource("deep.wav");
    app.add(shared);
    inner.add(deep);
    app.add(&inner);
    scene.add(&app);

    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(scene.get(CXString("MUSIC.WAV")), shared);
        EXPECT_EQ(scene.get(CXString("deep.wav")), deep);
        EXPECT_EQ(scene.get(CXString("deep.wav")), deep);
        EXPECT_EQ(app.getCount(shared), 2);
        EXPECT_EQ(inner.getCount(deep), 3);
        EXPECT_FALSE(scene.remove(shared));
        EXPECT_FALSE(scene.remove(deep));
        EXPECT_FALSE(scene.remove(deep));
        EXPECT_EQ(app.getCount(shared), 1);
        EXPECT_EQ(inner.getCount(deep), 1);
        EXPECT_EQ(scene.getSize(), 0);
    }
    EXPECT_TRUE(g_deleted.empty());
    // The last holder's remove deletes it, wherever it was asked.
    EXPECT_TRUE(scene.remove(deep));
    EXPECT_EQ(g_deleted, std::vector<std::string>{"deep.wav"});
    EXPECT_EQ(inner.getSize(), 0);

    // Nesting that would close a cycle is refused, so a miss ends.
    inner.add(&scene);
    app.add(&scene);
    EXPECT_EQ(scene.get(CXString("missing.wav")), nullptr);
    Resource stranger("s");
    EXPECT_FALSE(scene.remove(&stranger));
}

TEST_F(CResourcesManagerTest, ObjectAddedTwiceNeedsBothEntriesReleased) {
    auto* r = new Resource("twice.ann");
    {
        CResourcesManager m(nullptr);
        m.add(r);
        m.insertAt(r, 0);
        EXPECT_EQ(m.getSize(), 2);
        EXPECT_FALSE(m.remove(r));  // first entry gone, the object lives in the second
        EXPECT_TRUE(g_deleted.empty());
        m.add(r);
    }
    // The destructor's flush deletes it once.
    EXPECT_EQ(g_deleted, std::vector<std::string>{"twice.ann"});
}

TEST_F(CResourcesManagerTest, WithoutHookObjectsAreStillDeleted) {
    CResourcesManager::setReleaseHook(nullptr);
    CResourcesManager m(nullptr);
    auto* r = new Resource("x");
    m.add(r);
    EXPECT_TRUE(m.remove(r));
    EXPECT_EQ(g_deleted.size(), 1u);
    EXPECT_TRUE(g_released.empty());
}

TEST(CFileResolverTest, NameAndFlags) {
    Resource r("a.ann");
    EXPECT_EQ(r.getFileName(), "a.ann");
    EXPECT_FALSE(r.isLoaded());
    EXPECT_FALSE(r.releaseAfterUse());
    r.markLoaded();
    EXPECT_TRUE(r.isLoaded());
    r.markUnloaded();
    EXPECT_FALSE(r.isLoaded());
    r.toRelease(true);
    EXPECT_TRUE(r.releaseAfterUse());
}

// A hook that takes an object over (a playable let go of during its own events) keeps it
// from being deleted; the manager lets go of it all the same.
TEST_F(CResourcesManagerTest, AnObjectTheHookTakesOverIsNotDeleted) {
    CResourcesManager::setReleaseHook([](CWindow*, CFileResolver* r) { return r->getFileName() == "kept.ann"; });
    Resource kept("kept.ann");
    {
        CResourcesManager m(nullptr);
        m.add(&kept);
        m.add(new Resource("other.ann"));
        EXPECT_TRUE(m.remove(&kept));
        EXPECT_FALSE(m.contains(&kept));
        m.add(&kept);
        m.flush();
        EXPECT_EQ(m.getSize(), 0);
    }
    EXPECT_EQ(g_deleted, std::vector<std::string>{"other.ann"});
}
