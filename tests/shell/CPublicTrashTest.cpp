#include "shell/CPublicTrash.h"

#include <gtest/gtest.h>

#include "foundation/CXTimer.h"
#include "platform/Clock.h"
#include "shell/CWindow.h"

namespace {

// Counts its deletions.
struct Member : CXObject {
    explicit Member(int* deleted) : m_deleted(deleted) {}
    ~Member() override { ++*m_deleted; }
    int* m_deleted;
};

TEST(CPublicTrash, CollectorDeletesFlaggedMembersEveryTenSeconds) {
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    int deleted = 0;
    auto* kept = new Member(&deleted);
    {
        CWindow window;
        CPublicTrash* trash = window.getPublicTrashInterface();
        ASSERT_NE(trash, nullptr);
        auto* a = new Member(&deleted);
        auto* b = new Member(&deleted);
        auto* late = new Member(&deleted);
        trash->add(a);
        trash->add(b);
        trash->add(kept);
        trash->add(late);
        a->setToDelete();
        b->setToDelete();  // two flagged neighbours go in the same pass
        clock.advance(9999);
        window.GetTimerInterface()->domodal();
        EXPECT_EQ(deleted, 0);
        clock.advance(1);
        window.GetTimerInterface()->domodal();
        EXPECT_EQ(deleted, 2);
        EXPECT_EQ(trash->getCount(), 2);
        late->setToDelete();
    }
    // The window's end deletes what is still flagged and leaves the rest to its owner.
    EXPECT_EQ(deleted, 3);
    delete kept;
}

}  // namespace
