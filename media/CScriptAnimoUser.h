// A playable that plays the animation of an ANIMO object and registered with it
// (CMC_Animo::addSeq): the object tells it when it goes, so that it never calls back
// an object that is gone.
#pragma once

class CMC_Animo;

class CScriptAnimoUser {
public:
    virtual ~CScriptAnimoUser() = default;
    // The object is being deleted: forget it and its animation.
    virtual void forgetScriptAnimo(CMC_Animo* animo) = 0;
};
