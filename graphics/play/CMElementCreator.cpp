#include "graphics/play/CMElementCreator.h"

#include "graphics/image/CImage.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CSequencedPlayable.h"
#include "script/CMElement.h"

namespace {

CXString typeOf(const CMElement* element) { return element->getPropertyValue(CXString("TYPE")); }

CXString fileNameOf(const CMElement* element) { return element->getPropertyValue(CXString("FILENAME")); }

bool visibleOf(const CMElement* element) { return element->getPropertyBoolValue(CXString("VISIBLE")); }

}  // namespace

CXObject* CMElementCreator::createObject(CWindow* window, CMElement* element) {
    if (!element || !typeOf(element).equals("IMAGE")) return nullptr;
    const CXString fileName = fileNameOf(element);
    if (!fileName.IsString()) return nullptr;
    auto* image = new CImage(window, fileName);
    image->Visible(visibleOf(element));
    return static_cast<CGraphicsObject*>(image);
}

CPlayable* CMElementCreator::createPlayable(CWindow* window, CMElement* element) {
    if (!element) return nullptr;
    const CXString type = typeOf(element);
    if (type.equals("ANIMO")) {
        const CXString fileName = fileNameOf(element);
        if (!fileName.IsString()) return nullptr;
        auto* animation = new CAnimo6(window, fileName);
        animation->setVisibility(visibleOf(element));
        return animation;
    }
    if (type.equals("SEQUENCE")) return new CSequencedPlayable(window, element);
    return nullptr;
}
