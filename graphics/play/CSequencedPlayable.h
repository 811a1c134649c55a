// A playable made of child playables, played one after another (SEQUENCE mode), one
// chosen at random (RANDOM) or one chosen by the first character of its parameter
// (PARAMETER). It hears its children as their observer and is stepped by the
// animation manager too, so a child that ends without a report is still noticed.
// It owns its children: at its end a child shared with another sequence (a parent
// count of 2 or more) only loses one count, an animation is handed to the refresh
// screen and a sound is left alone (a resources manager holds it); every other child
// is deleted.
#pragma once
#include <memory>

#include "foundation/CXRect.h"
#include "graphics/play/CPlayable.h"

class CMElement;

class CSequencedPlayable : public CPlayable, public CPlayableObserver {
public:
    static constexpr int kPlayableType = 7;
    enum : int { kModeSequence = 1, kModeRandom = 2, kModeParameter = 3 };
    // Seek codes of `seek`.
    static constexpr int kSeekFirst = -1;
    static constexpr int kSeekLast = -2;

    explicit CSequencedPlayable(CWindow* window);
    // The element is not read: the builder adds the children.
    CSequencedPlayable(CWindow* window, CMElement* element);
    ~CSequencedPlayable() override;
    CSequencedPlayable(const CSequencedPlayable&) = delete;
    CSequencedPlayable& operator=(const CSequencedPlayable&) = delete;

    // The child index a parameter character stands for: '1'-'9' 0-8, 'A'-'Z' 9-34,
    // 'a' onward 34 on (as the sequence creator writes codes above 33).
    static int decodeParameter(char c);

    void addChild(CPlayable* child) override;
    // The current child's innermost playing playable; null when not playing.
    CPlayable* getPlaying() override;
    // Empty under 2 characters; in PARAMETER mode all but the first.
    CXString getParameter() override;
    using CPlayable::getParameter;
    using CPlayable::play;
    void play() override;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    bool onPlayableFinished(CPlayable* child) override;
    // Stops the current child and starts the one the code or index names; an index
    // outside the children, or a step from no current child, starts none (current -1).
    void seek(int position) override;
    int next() override;
    void move(int dx, int dy) override;
    using CPlayable::move;
    void setPosition(int x, int y) override;
    using CPlayable::setPosition;
    void setVisibility(bool visible) override;
    void alwaysOnTop() override;
    using CPlayable::getLastPlayedEvent;

    // Distinct animations of the tree, in walk order; the caller deletes the array.
    CXArray* getAllAnimations();
    // Distinct playables of the type in the tree (sequences are never listed).
    CXArray* getAllOfType(int type);
    // The node a parameter path leads to from here.
    CPlayable* get(CXString path);
    // 1: the first animation's box; otherwise the first playing one's; empty when none.
    CXRect getBoundingBox(int how);
    CXPoint getPosition(int how);
    // Gives the playable this one's volume, panning and (above 0) frequency.
    void accure(CPlayable* playable);
    // The name of the playing element (or, for a named sub-sequence, its element).
    CXString getLastPlayedEvent(CXString name);

    int getCount() const;
    CPlayable* getChild(int index) const;
    int getCurrent() const { return m_current; }
    int getPlayedCounter() const { return m_position; }
    bool isResumed() const { return m_resumed; }

private:
    // Observer part, parameter (when given), play, then the sound settings.
    void startChild(CPlayable* child, bool withParameter);
    // The finished report, once a run.
    void reportFinished();

    CXArray* m_children;
    int m_current = -1;
    bool m_resumed = false;
    bool m_finishReported = false;
};
