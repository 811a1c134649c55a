// The DIALOG script type (2013): the scripts' handle on an engine dialog (CXDialog,
// owned), a draggable group of graphics and buttons over a background. Scripts give it
// the engine objects behind IMAGE, ANIMO, TEXT and BUTTON objects and show or hide it.
// An object read from a scene image makes its engine dialog once its common part is
// read; the prototype ("temp") has none, and every method on it does nothing.
#pragma once
#include "script/CMC_Object.h"

class CMElement;
class CXDialog;

class CMC_Dialog : public CMC_Object {
public:
    static constexpr int kType = 2013;

    // The prototype "temp", without an engine dialog.
    CMC_Dialog();
    CMC_Dialog(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Dialog() override;
    CMC_Dialog(const CMC_Dialog&) = delete;
    CMC_Dialog& operator=(const CMC_Dialog&) = delete;

    CXString** getBehavioursList() override;
    // The common part only; reading it gives an object without a dialog one of its
    // container.
    void serialize(CXArchive* archive) override;

    CXDialog* getDialog() const { return m_dialog; }

private:
    CXDialog* m_dialog = nullptr;
};
