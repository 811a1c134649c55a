#include "script/CMC_Vector.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "VECTOR", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Vector(c, e); });

constexpr int kComponentBytes = 8;

}  // namespace

CMC_Vector::CMC_Vector(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    if (element) {
        CXArray* values = element->getPropertyListValue(CXString("VALUE"));
        const int size = std::clamp(element->getPropertyIntValue(CXString("SIZE")), 0, kMaxComponents);
        m_components.assign(static_cast<size_t>(size), 0.0);
        const int given = values ? values->getCount() : 0;
        for (int i = 0; i < size && i < given; ++i) {
            if (CXString* entry = values->stringAt(i)) m_components[static_cast<size_t>(i)] = entry->toDouble();
        }
        CXString::releaseToVector(values);
    }
    initializeBehaviours(container, element);
}

CMC_Vector::CMC_Vector(CMC_Vector* source) : CMC_Object(CXString("clone"), kType) {
    if (source) {
        setScene(source->getScene());
        m_components = source->m_components;
    }
}

CMC_Vector::~CMC_Vector() = default;

CXObject* CMC_Vector::clone() { return new CMC_Vector(this); }

CXString CMC_Vector::toString() {
    CXString text;
    for (size_t i = 0; i < m_components.size(); ++i) {
        if (i > 0) text += ",";
        text += CXString::toString(m_components[i]);
    }
    return text;
}

CXString** CMC_Vector::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_Vector::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << static_cast<int>(m_components.size());
        for (double component : m_components) *archive << std::bit_cast<int64_t>(component);
        return;
    }
    int count = 0;
    *archive >> &count;
    m_components.clear();
    CFile* file = archive->getFile();
    const int64_t left = file ? static_cast<int64_t>(file->Length()) - file->Tell() : 0;
    // A count that the bytes left cannot hold marks a broken archive: nothing of it
    // is taken and the reading ends there.
    if (count < 0 || count > kMaxComponents || static_cast<int64_t>(count) * kComponentBytes > left) {
        if (file && count != 0) file->Seek(0, 2);
        return;
    }
    m_components.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        int64_t bits = 0;
        *archive >> &bits;
        m_components.push_back(std::bit_cast<double>(bits));
    }
}

void CMC_Vector::assign(CMC_Vector* other) {
    if (!other || other == this) return;
    const size_t n = std::min(m_components.size(), other->m_components.size());
    std::copy_n(other->m_components.begin(), n, m_components.begin());
}

void CMC_Vector::add(CMC_Vector* other) {
    if (!other || other->m_components.size() != m_components.size()) return;
    // A VECTOR added to itself reads each component before it is written.
    for (size_t i = 0; i < m_components.size(); ++i) m_components[i] += other->m_components[i];
}

void CMC_Vector::sub(CMC_Vector* other) {
    if (!other || other->m_components.size() != m_components.size()) return;
    for (size_t i = 0; i < m_components.size(); ++i) m_components[i] -= other->m_components[i];
}

void CMC_Vector::neg() {
    for (double& component : m_components) component = -component;
}

double CMC_Vector::dot(CMC_Vector* other) {
    if (!other || other->m_components.size() != m_components.size()) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < m_components.size(); ++i) sum += m_components[i] * other->m_components[i];
    return sum;
}

void CMC_Vector::mul(double factor) {
    for (double& component : m_components) component *= factor;
}

double CMC_Vector::length() {
    double sum = 0.0;
    for (double component : m_components) sum += component * component;
    return std::sqrt(sum);
}

void CMC_Vector::normalize() {
    const double len = length();
    // Dividing by 0 would turn every component into NaN, which then spreads into
    // anything the VECTOR feeds (a path's step count among them).
    if (len == 0.0 || !std::isfinite(len)) return;
    for (double& component : m_components) component /= len;
}

void CMC_Vector::reflect(CMC_Vector* normal, CMC_Vector* target) {
    if (!normal || !target) return;
    const double d = dot(normal);
    const int n = target->getSize();
    for (int i = 0; i < n; ++i) {
        // Read both before the write: the target may be this VECTOR or the normal.
        const double ni = normal->getComponent(i);
        const double vi = getComponent(i);
        target->m_components[static_cast<size_t>(i)] = (d + d) * ni - vi;
    }
}

bool CMC_Vector::expand(int count) {
    if (count < 0 || count > kMaxComponents) return false;
    const int old = getSize();
    std::vector<double> grown(static_cast<size_t>(count), 0.0);
    if (count >= old) {
        std::copy(m_components.begin(), m_components.end(), grown.begin() + (count - old));
    } else {
        std::copy(m_components.end() - count, m_components.end(), grown.begin());
    }
    m_components.swap(grown);
    return true;
}

void CMC_Vector::fill(double value) { std::fill(m_components.begin(), m_components.end(), value); }

double CMC_Vector::getComponent(int i) const {
    return (i >= 0 && i < getSize()) ? m_components[static_cast<size_t>(i)] : 0.0;
}

bool CMC_Vector::setComponent(int i, double value) {
    if (i < 0 || i >= getSize()) return false;
    m_components[static_cast<size_t>(i)] = value;
    return true;
}
