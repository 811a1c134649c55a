// Builds engine playables and graphics straight from definition elements, without a
// script object around them, for the sequence builder's element trees. Until the
// element types are wired in it builds nothing: every answer is null.
#pragma once
#include "foundation/CXObject.h"

class CMElement;
class CPlayable;
class CWindow;

class CMElementCreator : public CXObject {
public:
    // A new graphics object for the element, owned by the caller; null for now.
    static CXObject* createObject(CWindow* window, CMElement* element);
    // A new playable for the element, owned by the caller; null for now.
    static CPlayable* createPlayable(CWindow* window, CMElement* element);
};
