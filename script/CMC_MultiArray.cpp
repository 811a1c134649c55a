#include "script/CMC_MultiArray.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "script/CMC_Array.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "MULTIARRAY", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_MultiArray(c, e); });

constexpr int64_t kMaxCellCount = INT32_MAX;

int64_t bytesLeft(CFile* file) { return static_cast<int64_t>(file->Length()) - file->Tell(); }

// Product of the sizes, or -1 past the 32-bit cell count.
int64_t cellCountOf(const std::vector<int32_t>& sizes) {
    int64_t product = 1;
    for (int32_t size : sizes) {
        if (size < 1) return -1;
        product *= size;
        if (product > kMaxCellCount) return -1;
    }
    return product;
}

}  // namespace

CMC_MultiArray::CMC_MultiArray(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    const int dimensions = element ? element->getPropertyIntValue(CXString("DIMENSIONS")) : kMinDimensions;
    m_dimensions = std::clamp(dimensions, kMinDimensions, kMaxDimensions);
    m_sizes.assign(static_cast<size_t>(m_dimensions), kInitialSize);
    m_cellCount = cellCountOf(m_sizes);
    initializeBehaviours(container, element);
}

CMC_MultiArray::CMC_MultiArray(CMC_ObjectsContainer* container, CXString name) : CMC_Object(name, kType) {
    setScene(container);
}

CMC_MultiArray::~CMC_MultiArray() { removeAll(); }

CXObject* CMC_MultiArray::clone() { return nullptr; }

CXString CMC_MultiArray::toString() { return CXString(); }

CXString** CMC_MultiArray::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_MultiArray::serialize(CXArchive*) {}

void CMC_MultiArray::removeAll() {
    for (auto& cell : m_cells) delete cell.second;
    m_cells.clear();
}

void CMC_MultiArray::clearSizes() {
    m_sizes.clear();
    m_cellCount = 0;
    m_dimensions = kMinDimensions;
}

int64_t CMC_MultiArray::indexOf(const std::vector<int>& coordinates) const {
    if (m_sizes.empty() || coordinates.size() < 2) return -1;
    if (std::any_of(coordinates.begin(), coordinates.end(), [](int c) { return c < 0; })) return -1;
    const int64_t index = static_cast<int64_t>(coordinates[1]) * m_sizes[0] + coordinates[0];
    return index < m_cellCount ? index : -1;
}

bool CMC_MultiArray::validateSize(const std::vector<int>& coordinates) {
    std::vector<int32_t> sizes = m_sizes;
    bool grows = false;
    for (size_t d = 0; d < sizes.size() && d < coordinates.size(); ++d) {
        int64_t size = sizes[d];
        if (coordinates[d] < size) continue;
        while (coordinates[d] >= size) size *= 2;
        if (size > kMaxCellCount) return false;
        sizes[d] = static_cast<int32_t>(size);
        grows = true;
    }
    if (!grows) return true;
    const int64_t cellCount = cellCountOf(sizes);
    if (cellCount < 0) return false;

    // Each cell keeps its first two coordinates, read with the old first size.
    const int64_t oldSize0 = m_sizes[0];
    const int64_t newSize0 = sizes[0];
    std::map<int32_t, CMC_Variable*> moved;
    for (const auto& cell : m_cells) {
        const int64_t c0 = cell.first % oldSize0;
        const int64_t c1 = cell.first / oldSize0;
        moved[static_cast<int32_t>(c1 * newSize0 + c0)] = cell.second;
    }
    m_cells.swap(moved);
    m_sizes.swap(sizes);
    m_cellCount = cellCount;
    return true;
}

bool CMC_MultiArray::set(const std::vector<int>& coordinates, CMC_Variable* value) {
    if (m_sizes.empty() || !value || !CMC_Variable::isValueType(value->getType())) return false;
    if (coordinates.size() < m_sizes.size()) return false;
    if (std::any_of(coordinates.begin(), coordinates.end(), [](int c) { return c < 0; })) return false;
    if (!validateSize(coordinates)) return false;
    const int64_t index = indexOf(coordinates);
    if (index < 0) return false;
    CMC_Variable* copy = CMC_Array::copyElement(value);
    if (!copy) return false;
    CMC_Variable*& cell = m_cells[static_cast<int32_t>(index)];
    delete cell;
    cell = copy;
    return true;
}

CMC_Variable* CMC_MultiArray::get(const std::vector<int>& coordinates) {
    const int64_t index = indexOf(coordinates);
    if (index < 0) return nullptr;
    auto found = m_cells.find(static_cast<int32_t>(index));
    return found != m_cells.end() ? found->second : nullptr;
}

int CMC_MultiArray::count(CMC_Variable* value) {
    if (!value) return 0;
    // Comparing may convert the value, which hands a pooled one back to its pool
    // where later temporaries overwrite it: compare against a private copy.
    std::unique_ptr<CMC_Variable> copy;
    if (value->isPooled()) {
        copy.reset(CMC_Array::copyElement(value));
        if (!copy) return 0;
        value = copy.get();
    }
    int n = 0;
    for (const auto& cell : m_cells)
        if (cell.second->equals(value)) ++n;
    return n;
}

void CMC_MultiArray::loadINI() {}

void CMC_MultiArray::saveINI() {}

int CMC_MultiArray::getSize(int dimension) {
    if (dimension < 0 || dimension >= static_cast<int>(m_sizes.size())) return 0;
    return m_sizes[static_cast<size_t>(dimension)];
}

void CMC_MultiArray::save(CXString name) {
    if (m_sizes.empty()) return;
    CMC_ObjectsContainer* scene = getScene();
    // Built whole, then written in one step: a failed write keeps the old file.
    CFile_Memory file;
    CXArchive archive(&file, true);
    archive << static_cast<int>(m_sizes.size());
    for (int32_t size : m_sizes) archive << static_cast<int>(size);
    for (const auto& cell : m_cells) {
        archive << static_cast<int>(cell.first);
        cell.second->store(&archive);
    }
    archive << static_cast<int>(m_cellCount);
    CFile::saveWhole(scene ? scene->getWindow() : nullptr, name, file.bytes(), "MULTIARRAY SAVE");
}

void CMC_MultiArray::load(CXString name) {
    removeAll();
    clearSizes();
    CMC_ObjectsContainer* scene = getScene();
    CFile file;
    if (file.Open(scene ? scene->getWindow() : nullptr, name, CFile::kReadBinary) != 0) return;
    if (!CMC_VariableFactory::isInitialized()) return;
    CXArchive archive(&file, false);

    if (bytesLeft(&file) < 4) return;
    int dimensions = 0;
    archive >> &dimensions;
    if (dimensions < kMinDimensions || dimensions > kMaxDimensions) return;
    if (bytesLeft(&file) < static_cast<int64_t>(dimensions) * 4) return;
    std::vector<int32_t> sizes(static_cast<size_t>(dimensions), 0);
    for (int32_t& size : sizes) {
        int value = 0;
        archive >> &value;
        size = value;
    }
    const int64_t cellCount = cellCountOf(sizes);
    if (cellCount < 0) return;
    m_dimensions = dimensions;
    m_sizes.swap(sizes);
    m_cellCount = cellCount;

    // Every record is checked before it is read: the first bad one ends the load
    // with the cells read so far.
    for (int64_t n = 0; n < m_cellCount; ++n) {
        if (bytesLeft(&file) < 4) break;
        int index = 0;
        archive >> &index;
        if (index < 0 || index >= m_cellCount || !CMC_VariableFactory::recordFits(&file)) break;
        CMC_Variable* value = CMC_VariableFactory::restore(&archive);
        if (!value) break;
        CMC_Variable* copy = CMC_Array::copyElement(value);
        CMC_Object::flush(value);
        if (!copy) break;
        CMC_Variable*& cell = m_cells[index];
        delete cell;
        cell = copy;
    }
    file.Close();
}
