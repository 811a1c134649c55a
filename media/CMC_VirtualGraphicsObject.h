// The VIRTUALGRAPHICSOBJECT script type (3005): a script object over an engine
// virtual graphics object, which shows a source graphic through a mask's alpha. The
// source and the mask are other script objects' graphics chosen by name at run time.
// It raises only the common events and never listens to the pointer.
#pragma once
#include "foundation/CXString.h"
#include "graphics/input/CCollisionInspector.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;
class CMC_Scene;
class CVirtualGraphicsObject;
class CWindow;

class CMC_VirtualGraphicsObject : public CMC_Object, public CCollisionObserver {
public:
    static constexpr int kType = 3005;

    CMC_VirtualGraphicsObject(CMC_ObjectsContainer* container, CMElement* element);
    // Wraps an engine object (owned), named "clone"; puts nothing on the screen.
    CMC_VirtualGraphicsObject(CMC_ObjectsContainer* container, CVirtualGraphicsObject* engine);
    ~CMC_VirtualGraphicsObject() override;
    CMC_VirtualGraphicsObject(const CMC_VirtualGraphicsObject&) = delete;
    CMC_VirtualGraphicsObject& operator=(const CMC_VirtualGraphicsObject&) = delete;

    using CMC_Object::clone;
    // A new object over a copy of the engine object (same source, mask, place,
    // visibility, clipping), on the screen at the same priority when this one is.
    CXObject* clone() override;
    CXString** getBehavioursList() override;

    // The object's own removal of collision watching does nothing: the scene keeps the
    // registration until the object is destroyed.
    virtual void removeMonitorCollisions() {}
    // The scene watches the engine object for this object; nothing outside a scene.
    void monitorCollisions(bool alpha);
    void onCollision(CGraphicsObject*, CGraphicsObject*) override {}
    void onCollisionFinished(CGraphicsObject*, CGraphicsObject*) override {}

    void setAsButton(bool, bool cursor) {
        m_asButton = true;
        m_cursor = cursor;
    }

    CVirtualGraphicsObject* getEngine() const { return m_engine; }
    CWindow* getWindow() const { return m_window; }
    int getPriority() const { return m_priority; }
    bool isButton() const { return m_asButton; }
    bool getCursor() const { return m_cursor; }
    CXString getSourceName() const { return m_sourceName; }
    CXString getMaskName() const { return m_maskName; }

private:
    CMC_Scene* scene();

    CWindow* m_window = nullptr;
    CVirtualGraphicsObject* m_engine = nullptr;
    int m_priority = 0;
    bool m_asButton = false;
    bool m_cursor = true;
    bool m_monitored = false;
    CXString m_sourceName;
    CXString m_maskName;
};
