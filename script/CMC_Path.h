// The script's PATH (type id 2017): an ordered list of nodes (script objects, in
// practice VECTORs, that the PATH does not own) and a density. The path effect of the
// image filter moves a graphic node by node, each node's first two components being a
// displacement covered at the density's distance per step.
//
// Nodes are bound by name once: when the PATH is built from its "NODES" list, read
// from an archive, or given by ADD. A name that finds no object still makes a node,
// an empty one, which keeps its name (GETNODE answers it and the archive keeps it)
// and whose text is empty; users of the path skip it.
//
// Archive part (after the object's common part): int32 count, then each node's name
// as a string. The density is not kept: a PATH read back has density 1.0.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CMElement;
class CMC_ObjectsContainer;
class CMC_Vector;

class CMC_Path : public CMC_Object {
public:
    static constexpr int kType = 2017;

    // Density 1.0; the nodes named in "NODES", looked up in the container.
    CMC_Path(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp": density 1.0, no nodes.
    CMC_Path();
    // Never deletes the nodes.
    ~CMC_Path() override;
    CMC_Path(const CMC_Path&) = delete;
    CMC_Path& operator=(const CMC_Path&) = delete;

    // Each node's text in square brackets, all concatenated; "" for no nodes. A
    // PATH among its own nodes (directly or through others) is cut off a few levels down.
    CXString toString() override;
    // "ONINIT", "ONDONE", "ONSIGNAL".
    CXString** getBehavioursList() override;
    // Reading binds the names through the PATH's own container.
    void serialize(CXArchive* archive) override;

    // Appends the object that the container finds under the name (an empty node
    // when there is none).
    void add(CMC_ObjectsContainer* container, const CXString& name);

    int getSize() const { return static_cast<int>(m_nodes.size()); }
    // The node's object; null for an empty node and outside 0 .. size-1.
    CMC_Object* getNode(int i) const;
    // The node when it is a VECTOR, else null.
    CMC_Vector* getVector(int i) const;
    // The bound object's name, or the name an empty node was given; "" outside.
    CXString getNodeName(int i) const;

    // Always above 0: setDensity takes a value of 0 or less (or NaN) as 1.0, since
    // users divide by it.
    double getDensity() const { return m_density; }
    void setDensity(double density);

private:
    struct Node {
        CMC_Object* object;
        CXString name;
    };

    std::vector<Node> m_nodes;
    double m_density = 1.0;
};
