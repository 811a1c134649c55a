// The ANIMO script type (2000): an animation on the screen whose events, frame
// changes, collisions and button-like pointer handling become script events.
//
// Objects of a scene share their animations by file name (case ignored) through the
// default unit's resources manager, one reference each; clones and objects of other
// containers own theirs. Whatever leaves an object (done, the destructor) takes it
// out of everything that calls it back, and an animation about to be deleted first
// leaves the screen, the collision inspector, the animation manager and the random
// player.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/play/CPlayable.h"
#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CAnimo6;
class CWindow;
class CXArchive;
class CXArray;

class CMC_Animo : public CMC_Object, public CPlayableObserver, public CCollisionObserver, public CMouseListener {
public:
    static constexpr int kType = 2000;
    // The frame rate of a definition without "FPS".
    static constexpr int kDefaultFPS = 15;
    // Positions in the event list.
    enum : int {
        kOnStarted = 3,
        kOnFinished = 4,
        kOnFrameChanged = 7,
        kOnCollision = 8,
        kOnCollisionFinished = 9,
        kOnFocusOn = 10,
        kOnFocusOff = 11,
        kOnClick = 12,
        kOnRelease = 13,
    };

    // The prototype: "temp", no animation (a scene binary or CREATE fills it).
    explicit CMC_Animo(CMC_ObjectsContainer* container);
    // Wraps an animation the object owns: "clone", the animation's only observer.
    CMC_Animo(CMC_ObjectsContainer* container, CAnimo6* animo);
    // From a definition element.
    CMC_Animo(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Animo() override;
    CMC_Animo(const CMC_Animo&) = delete;
    CMC_Animo& operator=(const CMC_Animo&) = delete;

    // ---- script object ----
    using CMC_Object::clone;
    CXObject* clone() override;
    using CMC_Object::done;
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    bool verifyBehaviour(CXString key) override;
    // With null (after a scene binary was read): once the handlers are resolved, an
    // object with a pointer event listens, as the same handlers from a definition make it.
    void initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) override;
    void serialize(CXArchive* archive) override;
    // The name after "^": a trailing "_REVERSE" is dropped from a longer name.
    virtual CXString getSignalEvent(CXString name);
    virtual void removeCollisionsMonitoring();
    // Loads or reloads the animation (nothing when the name is the current one's).
    virtual void load(CXString fileName, bool preload);

    // The animation; null without one, and once the default unit's manager has
    // deleted the shared one (its resources are flushed when a scene is left).
    CAnimo6* getAnimo();
    void setAsButton(bool asButton, bool activeCursor);
    void setOnFirstFrame(bool on) { m_onFirstFrame = on; }
    void addSeq(CPlayable* playable);
    void removeSeq(CPlayable* playable);

    int getPriority() const { return m_priority; }
    bool isAsButton() const { return m_asButton; }
    bool isOnFirstFrame() const { return m_onFirstFrame; }
    bool isActiveCursor() const { return m_activeCursor; }
    bool isFocused() const { return m_focused; }
    bool isMouseListening() const { return m_mouseListening; }
    bool isMonitoringCollision() const { return m_monitorCollision; }
    bool isMonitoringCollisionAlpha() const { return m_monitorCollisionAlpha; }
    bool isPreload() const { return m_preload; }
    // Whether the object holds a reference in the default unit's resources manager.
    bool isSharing() const { return m_shared; }
    int getSequenceCount() const;

    // ---- CPlayableObserver ----
    bool onPlayableStarted(CPlayable* playable) override;
    bool onPlayableTick(CPlayable* playable) override;
    bool onPlayableFinished(CPlayable* playable) override;

    // ---- CCollisionObserver ----
    void onCollision(CGraphicsObject* mover, CGraphicsObject* other) override;
    void onCollisionFinished(CGraphicsObject* mover, CGraphicsObject* other) override;

    // ---- CMouseListener ----
    bool onMouseMove(CXPoint point) override;
    using CMouseListener::onClick;
    bool onClick(int button, CXPoint point) override;
    using CMouseListener::onRelease;
    bool onRelease(int button, CXPoint point) override;

private:
    // The animation's playable event raised with its "^" form first.
    void raisePlayableEvent(int index, const char* event);
    void raiseCollision(int index, const char* event, CGraphicsObject* mover, CGraphicsObject* other);
    bool hits(CXPoint point);
    void playEvent(const char* event);
    bool playingEvent(const char* event);
    void raiseFrameChanged();
    // Forgets a shared animation that was deleted under the object (its manager flushed).
    void forgetLostAnimation();
    // Hears of the shared animation's deletion when it happens, so that a later
    // animation made at the same address is never taken for it.
    class AnimationWatch : public CInvalidateObserver {
    public:
        explicit AnimationWatch(CMC_Animo* owner) : m_owner(owner) {}
        void onInvalidate(CGraphicsObject*, CXRect*) override {}
        void onDestroy(CGraphicsObject* object) override;

    private:
        CMC_Animo* m_owner;
    };
    void watchAnimation(CAnimo6* animo);
    void unwatchAnimation();
    // Takes the object out of everything that calls it back.
    void leaveCallers();
    // Lets go of the animation: the own reference, or the animation itself (at the
    // next application step when it is telling this object of its events now).
    void releaseAnimation();
    // Tells the sequences, leaves the callers and lets go of the animation.
    void dropAnimation();
    void startCollisionMonitoring();
    void listenToMouse();

    CWindow* m_window = nullptr;
    CAnimo6* m_animo = nullptr;
    int32_t m_priority = 0;
    bool m_focused = false;
    bool m_mouseListening = false;
    bool m_asButton = false;
    bool m_onFirstFrame = false;
    bool m_activeCursor = true;
    bool m_monitorCollision = false;
    bool m_monitorCollisionAlpha = false;
    bool m_preload = false;
    bool m_shared = false;
    AnimationWatch m_watch{this};
    // The shared animation watched; null once it is deleted.
    CAnimo6* m_watched = nullptr;
    // Nesting of the animation's and the inspector's notifications to this object.
    int32_t m_callbackDepth = 0;
    CXArray* m_sequences = nullptr;
};
