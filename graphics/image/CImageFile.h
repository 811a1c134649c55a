// Chooses by a file name's extension which graphics class reads or writes the file:
// "img" and "jpg" a still image, "psd" a layered PSD image, "ann" an animation. The
// object it makes belongs to the caller, who tests its error code (0 means loaded).
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"

class CWindow;

class CImageFile : public CXObject {
public:
    enum _filetype : int32_t {
        FILETYPE_NONE = 0,
        FILETYPE_IMAGE = 1,
        FILETYPE_PSD = 4,
        FILETYPE_ANIMATION = 5,
    };

    explicit CImageFile(CWindow* window) : m_window(window) {}
    CImageFile(const CImageFile& other) = default;
    CImageFile& operator=(const CImageFile& other) = default;

    // Makes the object of the extension's class from the name; the object is kept
    // whether or not it loaded. An unknown extension makes nothing.
    _filetype Load(CXString name);
    // Writes the object: "img" through a still-image copy of its bitmap, "ann" through
    // the object's own writer. Anything else (PSD and JPEG too) writes nothing.
    _filetype Save(CGraphicsObject* object, CXString name, _compression compression);

    CGraphicsObject* getObject() const { return m_object; }
    CWindow* getWindow() const { return m_window; }
    // The lower-cased text after the name's last "."; the whole name without one.
    static CXString extensionOf(const CXString& name);

private:
    CWindow* m_window = nullptr;
    CGraphicsObject* m_object = nullptr;
};
