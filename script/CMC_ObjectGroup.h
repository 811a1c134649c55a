// A script object that lists other script objects without owning them (the GROUP
// type). Script code that fills or walks a group uses this interface; the class that
// implements it registers how a named group is made.
#pragma once
#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXVector;
class CMC_ObjectsContainer;

class CMC_ObjectGroup : public CMC_Object {
public:
    using CMC_Object::CMC_Object;

    // Appends unless already a member.
    virtual void add(CMC_Object* object) = 0;
    // Removes the first occurrence; nothing when not a member.
    virtual void remove(CMC_Object* object) = 0;
    // The members in order (for reading).
    virtual CXVector* getList() = 0;

    // Makes a named, empty group of a container, without handlers.
    using Maker = CMC_ObjectGroup* (*)(CXString name, CMC_ObjectsContainer* container);
    // Replaces the maker; returns true so it can initialise a static.
    static bool registerMaker(Maker maker);
    // A new group, or null when no maker is registered.
    static CMC_ObjectGroup* make(CXString name, CMC_ObjectsContainer* container);
};
