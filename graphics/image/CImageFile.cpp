#include "graphics/image/CImageFile.h"

#include "graphics/image/CImage.h"
#include "graphics/image/CPSD.h"
#include "graphics/play/CAnimo.h"

CXString CImageFile::extensionOf(const CXString& name) {
    const int dot = name.FindLast('.');
    CXString extension = dot < 0 ? name : name.Right(dot + 1);
    extension.Lower();
    return extension;
}

CImageFile::_filetype CImageFile::Load(CXString name) {
    const CXString extension = extensionOf(name);
    if (extension == "img" || extension == "jpg") {
        m_object = new CImage(m_window, name);
        return FILETYPE_IMAGE;
    }
    if (extension == "psd") {
        m_object = new CPSD(m_window, name);
        return FILETYPE_PSD;
    }
    if (extension == "ann") {
        m_object = new CAnimo(m_window, name);
        return FILETYPE_ANIMATION;
    }
    return FILETYPE_NONE;
}

CImageFile::_filetype CImageFile::Save(CGraphicsObject* object, CXString name, _compression compression) {
    if (!object) return FILETYPE_NONE;
    const CXString extension = extensionOf(name);
    if (extension == "img") {
        auto* copy = new CImage(m_window, object);
        copy->CGraphicsObject::Save(name, compression);
        m_object = copy;
        return FILETYPE_IMAGE;
    }
    if (extension == "ann") {
        object->Save(name, compression);
        m_object = object;
        return FILETYPE_ANIMATION;
    }
    return FILETYPE_NONE;
}
