// Builds engine graphics and playables straight from definition elements, without a
// script object around them, for the sequence builder's element trees. The element's
// TYPE (exact, upper case) chooses: IMAGE gives an image, ANIMO an animation, SEQUENCE
// a sequenced playable whose children the caller adds; FILENAME names the file and
// VISIBLE (false when absent) the first visibility. Whatever does not fit gives null.
#pragma once
#include "foundation/CXObject.h"

class CMElement;
class CPlayable;
class CWindow;

class CMElementCreator : public CXObject {
public:
    // A new image (as its CXObject) for an IMAGE element with a file name, owned by the
    // caller; null for any other element. A file that does not load is the image's own
    // error code: the image is still made.
    static CXObject* createObject(CWindow* window, CMElement* element);
    // A new playable, owned by the caller: an animation for an ANIMO element with a
    // file name, a sequenced playable for a SEQUENCE element; null otherwise.
    static CPlayable* createPlayable(CWindow* window, CMElement* element);
};
