// The SCROLL script type (2022): a viewport over graphics of other script objects.
// Each step moves the listed graphics and clips them to the viewport, hiding those
// wholly outside. It owns none of them; a graphic that is destroyed leaves the list
// at once.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXRect.h"
#include "graphics/core/CGraphicsObject.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;

class CMC_Scroll : public CMC_Object {
public:
    static constexpr int kType = 2022;

    CMC_Scroll(CMC_ObjectsContainer* container, CMElement* element);
    // The prototype of a scene binary: "temp", empty viewport, empty list.
    explicit CMC_Scroll(CMC_ObjectsContainer* container);
    ~CMC_Scroll() override;
    CMC_Scroll(const CMC_Scroll&) = delete;
    CMC_Scroll& operator=(const CMC_Scroll&) = delete;

    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    void add(CGraphicsObject* g);
    void remove(CXString name);
    void scrollUp(int n) { step(0, negated(n)); }
    void scrollDown(int n) { step(0, n); }
    void scrollLeft(int n) { step(negated(n), 0); }
    void scrollRight(int n) { step(n, 0); }
    void setViewport(CXRect viewport);
    void moveViewport(int dx, int dy);
    void move(int dx, int dy);
    void invalidate();

    CXRect getViewport() const { return m_viewport; }
    const std::vector<CGraphicsObject*>& getObjects() const { return m_objects; }

private:
    static int negated(int n) { return n == INT32_MIN ? INT32_MAX : -n; }

    // Hears the destruction of listed graphics.
    class Watch : public CInvalidateObserver {
    public:
        explicit Watch(CMC_Scroll* owner) : m_owner(owner) {}
        void onInvalidate(CGraphicsObject*, CXRect*) override {}
        void onDestroy(CGraphicsObject* object) override;

    private:
        CMC_Scroll* m_owner;
    };

    void step(int dx, int dy);
    // Steps 2 to 5 of the clip step: cut to the viewport, hide when outside.
    void clipToViewport(CGraphicsObject* g);
    void invalidateScreen();

    CXRect m_viewport;
    std::vector<CGraphicsObject*> m_objects;
    Watch m_watch{this};
};
