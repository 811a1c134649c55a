#include "script/CMC_Quene.h"

#include "foundation/CQuene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Variable.h"

CMC_Quene::CMC_Quene(CMC_ObjectsContainer* container, CXString name, int type) : CMC_Object(name, type) {
    setScene(container);
}

CMC_Quene::CMC_Quene(CMC_ObjectsContainer* container, CMElement* element, int type)
    : CMC_Object(container, element, type) {}

CMC_Quene::~CMC_Quene() {
    if (!m_queue) return;
    for (int i = 0; i < m_queue->getCount(); ++i) delete m_queue->at(i);
    m_queue->removeAll();
    delete m_queue;
}

CXString** CMC_Quene::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONEMPTY"});
}

CXQuene* CMC_Quene::getQuene() { return m_queue; }

void CMC_Quene::setQuene(CXQuene* queue) {
    if (m_queue) return;
    m_queue = queue;
}

void CMC_Quene::push(CMC_Variable* value) {
    CXQuene* queue = getQuene();
    if (!queue) return;
    const bool storable = value && CMC_Variable::isValueType(value->getType());
    CMC_Variable* copy = storable ? CMC_Array::copyElement(value) : nullptr;
    queue->push(copy);
}

CMC_Variable* CMC_Quene::take() {
    CXQuene* queue = getQuene();
    if (!queue || queue->getCount() == 0) return nullptr;
    return static_cast<CMC_Variable*>(queue->pop());
}

int CMC_Quene::getSize() {
    CXQuene* queue = getQuene();
    return queue ? queue->getCount() : 0;
}
