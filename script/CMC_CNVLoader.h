// The script-file loader "CNVLOADER" (type 12000), one per game: "LOAD" brings the
// objects of a further definition file into the calling container, initialised one
// after another, and keeps them in a group named with the file name exactly as given;
// "RELEASE" of the same name finishes and deletes them (behaviours first, then each
// object after its clones) and the group.
//
// The loader works in its owner (getScene): the container given at construction,
// then the container of the latest "LOAD". RELEASE works only in the owner itself:
// it deletes only objects it took out of the owner, never one of a parent scope.
#pragma once
#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CWindow;
class CMC_ObjectsContainer;

class CMC_CNVLoader : public CMC_Object {
public:
    static constexpr int kType = 12000;

    CMC_CNVLoader(CWindow* window, CMC_ObjectsContainer* owner);
    ~CMC_CNVLoader() override;
    CMC_CNVLoader(const CMC_CNVLoader&) = delete;
    CMC_CNVLoader& operator=(const CMC_CNVLoader&) = delete;

    // Loads the file into the owner unless the owner already finds an object under
    // its name; a file without elements creates nothing.
    virtual void load(CXString fileName);
    // Releases the objects of a file loaded into the owner.
    virtual void release(CXString fileName);

    CMC_Runner* getRunner() override;
    CWindow* getWindow() const { return m_window; }

    // A container that is about to go: every loader whose owner it is falls back to
    // the container it was constructed with (or none when that is the one going).
    static void forgetContainer(CMC_ObjectsContainer* container);

private:
    CWindow* m_window;
    CMC_ObjectsContainer* m_initialOwner;
};
