#include "scene/CMC_Dialog.h"

#include "foundation/CXArchive.h"
#include "scene/CMC_SceneBinary.h"
#include "scene/CXDialog.h"
#include "script/CMC_TypeTable.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType(
        "DIALOG", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Dialog(c, e); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Dialog::kType, [](CMC_Scene*) -> CMC_Object* { return new CMC_Dialog(); });

}  // namespace

CMC_Dialog::CMC_Dialog() : CMC_Object(CXString("temp"), kType) { (void)g_registered; }

CMC_Dialog::CMC_Dialog(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_dialog(new CXDialog(container)) {
    initializeBehaviours(container, element);
}

CMC_Dialog::~CMC_Dialog() {
    delete m_dialog;
    m_dialog = nullptr;
}

CXString** CMC_Dialog::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_Dialog::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (!archive->isStoring() && !m_dialog) m_dialog = new CXDialog(getScene());
}
