// STATICFILTER (type 2015): one static image effect chosen by ACTION
// ("COLORCHANNEL", "GRAYSCALE", "BLUR", "ROTATE", "SCALE", "NEGATIVE",
// "RANDOMJITTER", "WAVES", spelled exactly so), set up by SETPROPERTY and applied
// once to each graphic LINKed to it; with CANUNDO, UNLINK puts the graphic back.
// It raises no events of its own. The binary image keeps only ACTION.
#pragma once

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;
class CStaticGraphicsFilter;
class CWindow;
class CXArchive;

class CMC_StaticFilter : public CMC_Object {
public:
    static constexpr int kType = 2015;

    CMC_StaticFilter(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp": no effect until serialize reads one.
    explicit CMC_StaticFilter(CMC_ObjectsContainer* container);
    ~CMC_StaticFilter() override;
    CMC_StaticFilter(const CMC_StaticFilter&) = delete;
    CMC_StaticFilter& operator=(const CMC_StaticFilter&) = delete;

    CXString toString() override;
    // True: a scene's unload detaches the effect before the objects whose graphics it changed go.
    bool doneFirst() override;
    // Detaches every graphic (with its undo), then the common done.
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    // Null when ACTION named no effect.
    CStaticGraphicsFilter* getFilter() const { return m_filter; }
    const CXString& getAction() const { return m_action; }

    // The effect ACTION names, with default parameters; null for an unknown word.
    static CStaticGraphicsFilter* makeFilter(const CXString& action, CWindow* window);

private:
    CStaticGraphicsFilter* m_filter = nullptr;
    CXString m_action;
};
