// The MOVIE script type (2024): a video file shown in a scene. It owns one
// CMoviePlayable, puts it on the refresh screen at PRIORITY (a negative one keeps it
// off the screen) and POSITION, and watches it, raising "ONSTARTED", "ONFINISHED" and
// "ONFRAMEUPDATED" in the plain form. Every report reaches it on the host thread: the
// frame reports come from the movie's timer step, never from its worker.
//
// MOVIE has no stored form: a scene binary leaves it out, and the objects after it
// read back as before. It has no copy either (CLONE makes nothing).
#pragma once
#include "graphics/play/CPlayable.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;
class CMoviePlayable;

class CMC_Movie : public CMC_Object, public CPlayableObserver {
public:
    static constexpr int kType = 2024;
    // Event indices in the event list.
    enum : int { kOnStarted = 3, kOnFinished = 4, kOnFrameUpdated = 5 };

    // From a definition: FILENAME (opened at once when given), PRIORITY and POSITION.
    CMC_Movie(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Movie() override;
    CMC_Movie(const CMC_Movie&) = delete;
    CMC_Movie& operator=(const CMC_Movie&) = delete;

    CXString** getBehavioursList() override;
    CMoviePlayable* getMovie() const { return m_movie; }

    bool onPlayableStarted(CPlayable* playable) override;
    bool onPlayableTick(CPlayable* playable) override;
    bool onPlayableFinished(CPlayable* playable) override;

protected:
    // Handed to the global trash: the movie stops without a report, leaves the screen
    // and tells this object nothing more.
    void onDispose() override;

private:
    bool raise(int index, const char* event);

    CMoviePlayable* m_movie = nullptr;
};
