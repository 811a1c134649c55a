// The application's list of playables that step by themselves. Once a frame the
// window's tick calls domodal, which advances every playing playable whose frame
// period has passed since its last step, by one step at most.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"

class CMC_Groupped;
class CPlayable;
class CRefreshScreen;
class CXArray;

class CAnimationManager : public CXObject {
public:
    // Answers, for `resume(group)`, whether a playable is the animation of one of
    // the group's members. The script media layer installs it; without it a
    // group selects nothing.
    using GroupTest = bool (*)(CMC_Groupped* group, CPlayable* playable);
    static void setGroupTest(GroupTest test);

    CAnimationManager();
    ~CAnimationManager() override;
    CAnimationManager(const CAnimationManager&) = delete;
    CAnimationManager& operator=(const CAnimationManager&) = delete;

    // Appends an entry stepped from now on; no test for one already there.
    void add(CPlayable* playable, CRefreshScreen* screen);
    // Removes the first entry of the playable.
    void remove(CPlayable* playable);
    // The frame's step; always 0.
    int domodal();
    virtual void pause();
    // Resumes the paused playables, of every entry (null) or of the group's members.
    virtual void resume(CMC_Groupped* group);

    int getCount() const;
    bool contains(CPlayable* playable) const;

private:
    struct Entry;
    bool inGroup(CMC_Groupped* group, CPlayable* playable) const;

    CXArray* m_entries;
};
