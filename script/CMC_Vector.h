// The script's VECTOR (type id 2016): a fixed number of double components with the
// vector arithmetic that scripts ask for (sum, difference, scaling, dot product,
// length, normalisation, reflection, growth). PATH objects use VECTORs as their nodes.
//
// Size mismatches are quiet: add and sub skip a VECTOR of another count, dot gives
// 0.0, assign copies the common part. Component indices outside 0 .. count-1 are
// never read or written.
//
// Archive part (after the object's common part): int32 count, then each component as
// an 8-byte little-endian IEEE double.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CMElement;
class CMC_ObjectsContainer;

class CMC_Vector : public CMC_Object {
public:
    static constexpr int kType = 2016;
    // Most components a VECTOR holds; larger sizes from a definition are cut to this,
    // and EXPAND beyond it does nothing.
    static constexpr int32_t kMaxComponents = 1 << 20;

    // SIZE components taken in order from the "VALUE" list (0.0 where it has no
    // entry), then the element's handlers.
    CMC_Vector(CMC_ObjectsContainer* container, CMElement* element);
    // A VECTOR named "clone" with the source's container and a copy of its
    // components; with no source, empty (the binary scene reader fills it through
    // serialize).
    explicit CMC_Vector(CMC_Vector* source);
    ~CMC_Vector() override;
    CMC_Vector(const CMC_Vector&) = delete;
    CMC_Vector& operator=(const CMC_Vector&) = delete;

    CXObject* clone() override;
    using CMC_Object::clone;
    // The components as DOUBLE texts joined by ","; "" for none.
    CXString toString() override;
    // "ONINIT", "ONDONE", "ONSIGNAL".
    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    // Components 0 .. m-1 from other, m the smaller count; the count stays.
    void assign(CMC_Vector* other);
    // Component by component when the counts are equal; otherwise nothing.
    void add(CMC_Vector* other);
    void sub(CMC_Vector* other);
    void neg();
    // Sum of the products when the counts are equal; otherwise 0.0.
    double dot(CMC_Vector* other);
    void mul(double factor);
    // 0.0 for no components.
    double length();
    // Divides by the length; a VECTOR of length 0 (or a length that is not finite)
    // has no direction and is left as it is.
    void normalize();
    // target[i] = 2 (this . normal) normal[i] - this[i] for every component of the
    // target; a component that this VECTOR or the normal lacks counts as 0.
    // The dot product is 0.0 when this VECTOR and the normal differ in count.
    void reflect(CMC_Vector* normal, CMC_Vector* target);
    // To `count` components: growing puts zeros first and the old components at the
    // end; shrinking keeps the last `count` components. False (nothing changed) for a
    // count below 0 or above kMaxComponents.
    bool expand(int count);
    // Every component becomes the value.
    void fill(double value);

    int getSize() const { return static_cast<int>(m_components.size()); }
    // Component i; 0.0 outside 0 .. count-1.
    double getComponent(int i) const;
    // False (nothing written) outside 0 .. count-1.
    bool setComponent(int i, double value);

private:
    std::vector<double> m_components;
};
