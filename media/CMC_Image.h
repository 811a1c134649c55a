// The IMAGE script type (2008): one still picture (an engine image) on the window's
// display list, with pointer events in button mode and collision events.
//
// Engine images of a scene's objects are shared by file name (any letter case)
// through the default unit's resources manager, one reference per user. An object
// holds its own reference on its image's entry, and counts the references its clones
// took on that same entry; letting the entry go (LOAD, done, destruction) releases
// exactly those. A clone's image is a copy that owns its buffers, so it outlives the
// source's picture. An image the object does not share is its own and is deleted with
// it. When anything else deletes the image (a manager flushed under the object), the
// object hears of it and forgets it.
//
// The object listens to the pointer from the first handler of ONCLICK..., ONRELEASE...,
// ONFOCUSON or ONFOCUSOFF on; done and the destructor end the listening and the
// collision watching.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CImage;
class CMElement;
class CMC_Scene;
class CRefreshScreen;
class CResourcesManager;
class CWindow;

class CMC_Image : public CMC_Object, public CCollisionObserver, public CMouseListener {
public:
    static constexpr int kType = 2008;
    // Positions in the event list.
    enum : int {
        kOnCollision = 3,
        kOnCollisionFinished = 4,
        kOnFocusOn = 5,
        kOnFocusOff = 6,
        kOnClick = 7,
        kOnRelease = 8,
    };

    // The prototype: empty name, no image; filled by a scene binary or CREATE.
    explicit CMC_Image(CMC_ObjectsContainer* container);
    // A clone around a copy of the source's image (owned).
    CMC_Image(CMC_ObjectsContainer* container, CImage* image);
    // From a definition element.
    CMC_Image(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Image() override;
    CMC_Image(const CMC_Image&) = delete;
    CMC_Image& operator=(const CMC_Image&) = delete;

    // ---- script object ----
    using CMC_Object::clone;
    CXObject* clone() override;
    using CMC_Object::done;
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    // Starts the pointer listening for the first pointer handler; accepts every key.
    bool verifyBehaviour(CXString key) override;
    // Handlers restored from a scene binary start the listening as attached ones do.
    void initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) override;
    void serialize(CXArchive* archive) override;

    // Stops the scene's collision watching of the image for this object.
    virtual void removeCollisionsMonitoring();
    // Replaces the image by one for the file (shared through the manager in a scene).
    virtual void load(CXString fileName, bool loadNow);
    // The scene watches the image's collisions for this object (with the alpha test
    // when asked); the image's collision flag is set.
    void watchCollisions(bool alpha);

    // ---- pointer and collisions ----
    bool onMouseMove(CXPoint point) override;
    using CMouseListener::onClick;
    bool onClick(int button, CXPoint point) override;
    using CMouseListener::onRelease;
    bool onRelease(int button, CXPoint point) override;
    void onCollision(CGraphicsObject* own, CGraphicsObject* other) override;
    void onCollisionFinished(CGraphicsObject* own, CGraphicsObject* other) override;

    // ---- state ----
    CImage* getImage() const { return m_image; }
    CWindow* getWindow() const { return m_window; }
    int getPriority() const { return m_priority; }
    bool isFocused() const { return m_focused; }
    bool isListening() const { return m_listening; }
    bool isButton() const { return m_asButton; }
    bool getCursorOnHover() const { return m_cursorOnHover; }
    // SETASBUTTON: button mode and the cursor change; the listening is not touched.
    void setAsButton(bool enable, bool cursor) {
        m_asButton = enable;
        m_cursorOnHover = cursor;
    }
    bool getMonitorCollision() const { return m_monitorCollision; }
    bool getMonitorCollisionAlpha() const { return m_monitorCollisionAlpha; }
    bool getPreload() const { return m_preload; }
    CXPoint getResetPosition() const { return CXPoint(m_resetX, m_resetY); }
    void setResetPosition(int x, int y) {
        m_resetX = x;
        m_resetY = y;
    }
    // The scene that watches collisions (the container when it is a scene), or null.
    CMC_Scene* collisionScene();
    // References this object holds on its image's manager entry (its own and its
    // clones'); 0 for an image of its own.
    int getHeldReferences() const { return m_ownReference ? 1 + m_cloneReferences : 0; }

private:
    // Tells the object that its image is being destroyed by someone else.
    class ImageWatch : public CInvalidateObserver {
    public:
        explicit ImageWatch(CMC_Image* owner) : m_owner(owner) {}
        void onInvalidate(CGraphicsObject*, CXRect*) override {}
        void onDestroy(CGraphicsObject* object) override;

    private:
        CMC_Image* m_owner;
    };

    // The default unit's manager when the container is a scene; else null.
    CResourcesManager* resourcesManager();
    CRefreshScreen* screen() const;
    // Starts or stops observing the image for its destruction.
    void watchImage(CImage* image);
    void unwatchImage();
    // Lets the image go: the manager's references this object holds, or the image
    // itself (hidden, off the display list, deleted). The image becomes null.
    void releaseImage();
    // Watches the image's collisions when either flag asks for it.
    void monitorWhenAsked();
    // Ends the pointer listening and the collision watching (done, destructor).
    void leaveCallbacks();
    // Sets the image after building it for the window.
    void setImage(CImage* image, bool shared);
    // Whether the pointer gate lets an operation with this event flag through.
    bool gate(bool flagSet);
    // Raises ONCOLLISION... with the other graphic's name.
    void collisionEvent(const char* event, int flag, CGraphicsObject* own, CGraphicsObject* other);

    CWindow* m_window = nullptr;
    CImage* m_image = nullptr;
    int32_t m_resetX = 0;
    int32_t m_resetY = 0;
    int32_t m_priority = 0;
    bool m_focused = false;
    bool m_listening = false;
    bool m_asButton = false;
    bool m_cursorOnHover = true;
    bool m_monitorCollision = false;
    bool m_monitorCollisionAlpha = false;
    bool m_preload = false;
    // Whether the image came from (or went to) the manager with one reference of ours,
    // and how many references our clones took on its entry.
    bool m_ownReference = false;
    int32_t m_cloneReferences = 0;
    ImageWatch m_watch{this};
    CImage* m_watched = nullptr;
};
