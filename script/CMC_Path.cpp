#include "script/CMC_Path.h"

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_Vector.h"
#include "script/CMElement.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "PATH", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Path(c, e); });

// The bytes a stored name needs at the least: its length.
constexpr int kNameHeaderBytes = 4;
// A PATH may name itself or another PATH as a node; the text of such a cycle stops
// at this depth.
constexpr int kMaxTextDepth = 8;
int textDepth = 0;

}  // namespace

CMC_Path::CMC_Path(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    if (element) {
        CXArray* names = element->getPropertyListValue(CXString("NODES"));
        for (int i = 0; names && i < names->getCount(); ++i) {
            if (CXString* name = names->stringAt(i)) add(container, *name);
        }
        CXString::releaseToVector(names);
    }
    initializeBehaviours(container, element);
}

CMC_Path::CMC_Path() : CMC_Object(CXString("temp"), kType) {}

CMC_Path::~CMC_Path() = default;

CXString CMC_Path::toString() {
    CXString text;
    if (textDepth >= kMaxTextDepth) return text;
    ++textDepth;
    for (const Node& node : m_nodes) {
        text += "[";
        if (node.object) text += node.object->toString();
        text += "]";
    }
    --textDepth;
    return text;
}

CXString** CMC_Path::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_Path::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << static_cast<int>(m_nodes.size());
        for (int i = 0; i < getSize(); ++i) *archive << getNodeName(i);
        return;
    }
    int count = 0;
    *archive >> &count;
    m_nodes.clear();
    CFile* file = archive->getFile();
    const int64_t left = file ? static_cast<int64_t>(file->Length()) - file->Tell() : 0;
    // Every name takes at least its length field: a count the bytes left cannot
    // hold marks a broken archive, of which nothing is taken.
    if (count < 0 || static_cast<int64_t>(count) * kNameHeaderBytes > left) {
        if (file && count != 0) file->Seek(0, 2);
        return;
    }
    for (int i = 0; i < count; ++i) {
        CXString name;
        *archive >> &name;
        add(getScene(), name);
    }
}

void CMC_Path::add(CMC_ObjectsContainer* container, const CXString& name) {
    CMC_Object* object = container ? container->getObject(name) : nullptr;
    m_nodes.push_back(Node{object, name});
}

CMC_Object* CMC_Path::getNode(int i) const {
    return (i >= 0 && i < getSize()) ? m_nodes[static_cast<size_t>(i)].object : nullptr;
}

CMC_Vector* CMC_Path::getVector(int i) const { return dynamic_cast<CMC_Vector*>(getNode(i)); }

CXString CMC_Path::getNodeName(int i) const {
    if (i < 0 || i >= getSize()) return CXString();
    const Node& node = m_nodes[static_cast<size_t>(i)];
    return node.object ? node.object->getName() : node.name;
}

void CMC_Path::setDensity(double density) { m_density = density > 0.0 ? density : 1.0; }
