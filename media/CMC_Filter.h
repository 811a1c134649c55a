// FILTER (type 2014): one timed image effect chosen by ACTION ("FADEIN",
// "FADEOUT", "FADEINOUT", "PATH", "WATER", "WAVING", spelled exactly so), set up
// by SETPROPERTY and applied to the graphics of the objects LINKed to it. It
// raises "ONSTARTED", "ONTICK" and "ONFINISHED" for a linked object, first as
// EVENT^NAME and, when nothing took that, as the plain event. The binary image
// keeps only ACTION.
#pragma once

#include "foundation/CXString.h"
#include "media/filters/CFilterObserver.h"
#include "script/CMC_Object.h"

class CAnimatedFilter;
class CMElement;
class CMC_ObjectsContainer;
class CXArchive;

class CMC_Filter : public CMC_Object, public CFilterObserver {
public:
    static constexpr int kType = 2014;
    enum : int { kOnStarted = 3, kOnFinished = 4, kOnTick = 5 };

    CMC_Filter(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp": no effect until serialize reads one.
    explicit CMC_Filter(CMC_ObjectsContainer* container);
    ~CMC_Filter() override;
    CMC_Filter(const CMC_Filter&) = delete;
    CMC_Filter& operator=(const CMC_Filter&) = delete;

    CXString toString() override;
    bool doneFirst() override;
    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    void onFilterStarted(CFilterTarget* target, CAnimatedFilter* filter) override;
    void onFilterTick(CFilterTarget* target, CAnimatedFilter* filter) override;
    void onFilterFinished(CFilterTarget* target, CAnimatedFilter* filter) override;

    // Null when ACTION named no effect.
    CAnimatedFilter* getFilter() const { return m_filter; }
    const CXString& getAction() const { return m_action; }

private:
    // Replaces the effect by the one ACTION names (none for an unknown word).
    void makeFilter(CMC_ObjectsContainer* container);
    void raise(int index, const char* event, CFilterTarget* target);

    CAnimatedFilter* m_filter = nullptr;
    CXString m_action;
};
