#include "script/CMC_Array.h"

#include <cstdint>
#include <memory>

#include "foundation/CConfig.h"
#include "foundation/CFile.h"
#include "foundation/CSortedVector.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "script/CScriptWindowServices.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "ARRAY", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Array(c, e); });

// ADDTOARRAY and the other collection steps hand over any object; the array takes
// a copy of a value and ignores everything else.
const bool adder = CMC_TypeTable::registerAdder(CMC_Array::kType, [](CMC_Object* array, CMC_Object* item) {
    auto* target = dynamic_cast<CMC_Array*>(array);
    auto* value = dynamic_cast<CMC_Variable*>(item);
    if (target && value) target->add(value);
});

constexpr int kInitialCapacity = 101;
constexpr float kLoadFactor = 0.75f;

CMC_Variable* asVariable(void* p) { return static_cast<CMC_Variable*>(static_cast<CXObject*>(p)); }
void* asSlot(CMC_Variable* v) { return static_cast<CXObject*>(v); }

// An operand used against many elements. The value conversions hand a pooled source
// back to its pool, where later temporaries may overwrite it; a private copy of a
// pooled operand keeps it intact for the whole operation.
class StableOperand {
public:
    explicit StableOperand(CMC_Variable* value) : m_value(value) {
        if (value && value->isPooled()) {
            m_copy.reset(CMC_Array::copyElement(value));
            m_value = m_copy.get();
        }
    }
    CMC_Variable* get() const { return m_value; }

private:
    CMC_Variable* m_value;
    std::unique_ptr<CMC_Variable> m_copy;
};

}  // namespace

CMC_Array::CMC_Array(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_elements(new CXArray(kInitialCapacity, kLoadFactor)) {
    if (element) m_sendOnChange = element->getPropertyBoolValue(CXString("SENDONCHANGE"));
    initializeBehaviours(container, element);
}

CMC_Array::CMC_Array(CMC_ObjectsContainer* container, CXString name)
    : CMC_Object(name, kType), m_elements(new CXArray(kInitialCapacity, kLoadFactor)) {
    setScene(container);
    // Handlers may still be attached later (ADDBEHAVIOUR): the event flags must exist.
    prepareEventList();
}

CMC_Array::~CMC_Array() {
    for (int i = 0; i < m_elements->getCount(); ++i) delete asVariable(m_elements->at(i));
    m_elements->removeAll();
    delete m_elements;
}

CXObject* CMC_Array::clone() {
    auto* copy = new CMC_Array(getScene(), CXString("cloned"));
    for (int i = 0; i < m_elements->getCount(); ++i) {
        if (CMC_Variable* element = copyElement(asVariable(m_elements->at(i))))
            copy->m_elements->add(asSlot(element));
    }
    return copy;
}

CXString CMC_Array::toString() {
    CXString text;
    for (int i = 0; i < m_elements->getCount(); ++i) {
        if (i > 0) text += ",";
        text += asVariable(m_elements->at(i))->toString();
    }
    return text;
}

CXString** CMC_Array::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCHANGED"});
}

void CMC_Array::serialize(CXArchive* archive) {
    if (!archive) return;
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_sendOnChange;
    } else {
        bool flag = m_sendOnChange;
        *archive >> &flag;
        m_sendOnChange = flag;
    }
}

// ---- elements -----------------------------------------------------------------------

CMC_Variable* CMC_Array::copyElement(CMC_Variable* value) {
    if (!value) return nullptr;
    if (CMC_Variable::isValueType(value->getType())) {
        CXObject* made = value->clone();
        if (auto* copy = dynamic_cast<CMC_Variable*>(made)) return copy;
        delete made;
        return nullptr;
    }
    // An expression or another kind of value is kept as its text.
    return new CMC_String(value->getName(), value->toString());
}

bool CMC_Array::inRange(int index) const { return index >= 0 && index < m_elements->getCount(); }

CMC_Variable* CMC_Array::get(int index) { return inRange(index) ? asVariable(m_elements->at(index)) : nullptr; }

int CMC_Array::getSize() { return m_elements->getCount(); }

void CMC_Array::add(CMC_Variable* value) {
    CMC_Variable* copy = copyElement(value);
    if (!copy) return;
    const int before = m_elements->getCount();
    m_elements->add(asSlot(copy));
    if (m_elements->getCount() == before) {
        // The list could not grow.
        delete copy;
        return;
    }
    onChanged(m_elements->getCount() - 1);
}

void CMC_Array::addClones(CXString base, int first, int last) {
    for (int64_t i = first; i <= last && i - first < kMaxBulkAdd; ++i) {
        CMC_String item(CXString("temp"), base + "_" + CXString::toString(static_cast<int>(i)));
        const int before = m_elements->getCount();
        add(&item);
        if (m_elements->getCount() == before) return;
    }
}

void CMC_Array::insertAt(int index, CMC_Variable* value) {
    if (!inRange(index)) return;
    CMC_Variable* copy = copyElement(value);
    if (!copy) return;
    const int before = m_elements->getCount();
    m_elements->insertAt(index, asSlot(copy));
    if (m_elements->getCount() == before) {
        delete copy;
        return;
    }
    onChanged(index);
}

void CMC_Array::changeAt(int index, CMC_Variable* value) {
    if (!inRange(index)) return;
    CMC_Variable* copy = copyElement(value);
    if (!copy) return;
    CMC_Variable* old = asVariable(m_elements->setAt(index, asSlot(copy)));
    delete old;
    onChanged(index);
}

void CMC_Array::removeAt(int index) {
    if (!inRange(index)) return;
    CMC_Variable* old = asVariable(m_elements->at(index));
    m_elements->removeAt(index);
    delete old;
    clampMarker();
}

void CMC_Array::removeAll() {
    for (int i = 0; i < m_elements->getCount(); ++i) delete asVariable(m_elements->at(i));
    m_elements->removeAll();
    clampMarker();
}

void CMC_Array::remove(CMC_Variable* value) { removeAt(find(value)); }

bool CMC_Array::contains(CMC_Variable* value) { return find(value) >= 0; }

int CMC_Array::find(CMC_Variable* value) {
    if (!value) return -1;
    StableOperand operand(value);
    for (int i = 0; i < m_elements->getCount(); ++i)
        if (asVariable(m_elements->at(i))->equals(operand.get())) return i;
    return -1;
}

int CMC_Array::reversefind(CMC_Variable* value) {
    if (!value) return -1;
    StableOperand operand(value);
    for (int i = m_elements->getCount() - 1; i >= 0; --i)
        if (asVariable(m_elements->at(i))->equals(operand.get())) return i;
    return -1;
}

int CMC_Array::findAll(CMC_Variable* value, int* indices, int capacity) {
    if (!value || !indices) return 0;
    StableOperand operand(value);
    int found = 0;
    for (int i = 0; i < m_elements->getCount() && found < capacity; ++i)
        if (asVariable(m_elements->at(i))->equals(operand.get())) indices[found++] = i;
    return found;
}

bool CMC_Array::compareArr(CMC_Array* other) {
    if (!other) return false;
    if (other == this) return true;
    const int n = m_elements->getCount();
    if (n != other->getSize()) return false;
    for (int i = 0; i < n; ++i) {
        CMC_Variable* mine = asVariable(m_elements->at(i));
        CMC_Variable* theirs = other->get(i);
        if (!theirs) return false;
        // The other array's element may be converted: read it through a stable copy.
        if (!mine->equals(StableOperand(theirs).get())) return false;
    }
    return true;
}

// ---- marker -------------------------------------------------------------------------

void CMC_Array::clampMarker() {
    const int n = m_elements->getCount();
    if (m_marker >= n) m_marker = n - 1;
}

void CMC_Array::resetMarker() { m_marker = -1; }

int CMC_Array::getMarkerPos() { return m_marker; }

void CMC_Array::setMarkerPos(int position) {
    if (position < -1) position = -1;
    if (position >= m_elements->getCount()) position = m_elements->getCount() - 1;
    m_marker = position;
}

CMC_Variable* CMC_Array::step(int64_t delta) {
    const int size = m_elements->getCount();
    if (size == 0) return nullptr;
    clampMarker();
    // The step wraps round in either direction.
    int64_t position = (static_cast<int64_t>(m_marker) + delta) % size;
    if (position < 0) position += size;
    m_marker = static_cast<int32_t>(position);
    return asVariable(m_elements->at(m_marker));
}

CMC_Variable* CMC_Array::next(int n) { return step(n); }

CMC_Variable* CMC_Array::prev(int n) { return step(-static_cast<int64_t>(n)); }

// ---- arithmetic ---------------------------------------------------------------------

void CMC_Array::calculateAt(int index, CMC_Variable* operand, int op) {
    CMC_Variable* element = get(index);
    if (!element || !operand) return;
    CMC_Variable* result = element->calculate(operand, op);
    if (result) {
        element->set(result);
        CMC_Object::flush(result);
    }
    onChanged(index);
}

void CMC_Array::sum(CMC_Variable* value) {
    StableOperand operand(value);
    // A change handler may change the array: the size is read again at every step.
    for (int i = 0; i < m_elements->getCount(); ++i) calculateAt(i, operand.get(), CMC_Variable::kAdd);
}

void CMC_Array::sub(CMC_Variable* value) {
    StableOperand operand(value);
    for (int i = 0; i < m_elements->getCount(); ++i) calculateAt(i, operand.get(), CMC_Variable::kSub);
}

void CMC_Array::mul(CMC_Variable* value) {
    StableOperand operand(value);
    for (int i = 0; i < m_elements->getCount(); ++i) calculateAt(i, operand.get(), CMC_Variable::kMul);
}

void CMC_Array::div(CMC_Variable* value) {
    StableOperand operand(value);
    for (int i = 0; i < m_elements->getCount(); ++i) calculateAt(i, operand.get(), CMC_Variable::kDiv);
}

void CMC_Array::rangeCalculate(CMC_Variable* arrayName, int first, int last, int op) {
    if (first < 0) first = 0;
    CMC_Array* other = nullptr;
    if (arrayName && getScene())
        other = dynamic_cast<CMC_Array*>(getScene()->getObject(arrayName->toString()));
    for (int i = first; i <= last && i < m_elements->getCount(); ++i) {
        CMC_Variable* element = asVariable(m_elements->at(i));
        if (!other) {
            // No such array: the element is combined with itself. The operand is a
            // copy, as the element changes while the step reads it.
            std::unique_ptr<CMC_Variable> self(copyElement(element));
            calculateAt(i, self.get(), op);
            continue;
        }
        CMC_Variable* operand = other->get(i);
        // Element i exists only in this array: nothing to combine it with.
        if (!operand) continue;
        std::unique_ptr<CMC_Variable> copy(copyElement(operand));
        calculateAt(i, copy.get(), op);
    }
}

void CMC_Array::suma(CMC_Variable* arrayName, int first, int last) {
    rangeCalculate(arrayName, first, last, CMC_Variable::kAdd);
}
void CMC_Array::suba(CMC_Variable* arrayName, int first, int last) {
    rangeCalculate(arrayName, first, last, CMC_Variable::kSub);
}
void CMC_Array::mula(CMC_Variable* arrayName, int first, int last) {
    rangeCalculate(arrayName, first, last, CMC_Variable::kMul);
}
void CMC_Array::diva(CMC_Variable* arrayName, int first, int last) {
    rangeCalculate(arrayName, first, last, CMC_Variable::kDiv);
}

void CMC_Array::addat(int index, CMC_Variable* value) { calculateAt(index, value, CMC_Variable::kAdd); }
void CMC_Array::subat(int index, CMC_Variable* value) { calculateAt(index, value, CMC_Variable::kSub); }
void CMC_Array::mulat(int index, CMC_Variable* value) { calculateAt(index, value, CMC_Variable::kMul); }
void CMC_Array::divat(int index, CMC_Variable* value) { calculateAt(index, value, CMC_Variable::kDiv); }
void CMC_Array::modat(int index, CMC_Variable* value) { calculateAt(index, value, CMC_Variable::kMod); }

// ---- order --------------------------------------------------------------------------

void CMC_Array::swap(int i, int j) {
    if (!inRange(i) || !inRange(j)) return;
    void* a = m_elements->at(i);
    void* b = m_elements->at(j);
    m_elements->setAt(i, b);
    m_elements->setAt(j, a);
    onChanged(i);
    onChanged(j);
}

void CMC_Array::sort(bool ascending) {
    const int n = m_elements->getCount();
    if (n < 2) return;
    CSortedVector sorted(n);
    for (int i = 0; i < n; ++i) sorted.add(m_elements->at(i));
    m_elements->removeAll();
    if (ascending) {
        for (int i = 0; i < sorted.getCount(); ++i) m_elements->add(sorted.at(i));
    } else {
        for (int i = sorted.getCount() - 1; i >= 0; --i) m_elements->add(sorted.at(i));
    }
    sorted.removeAll();
}

void CMC_Array::clearElement(CMC_Variable* element) {
    switch (element->getType()) {
    case CMC_Variable::kInteger: {
        CMC_Integer cleared(0);
        element->set(&cleared);
        break;
    }
    case CMC_Variable::kString: {
        CMC_String cleared(CXString("temp"), CXString("NULL"));
        element->set(&cleared);
        break;
    }
    case CMC_Variable::kBool: {
        CMC_Bool cleared(false);
        element->set(&cleared);
        break;
    }
    case CMC_Variable::kDouble: {
        CMC_Double cleared(0.0);
        element->set(&cleared);
        break;
    }
    default: break;
    }
}

void CMC_Array::rotateLeft() {
    const int n = m_elements->getCount();
    if (n == 0) return;
    void* first = m_elements->at(0);
    for (int i = 1; i < n; ++i) m_elements->setAt(i - 1, m_elements->at(i));
    m_elements->setAt(n - 1, first);
    for (int i = 0; i < n && i < m_elements->getCount(); ++i) onChanged(i);
}

void CMC_Array::rotateRight() {
    const int n = m_elements->getCount();
    if (n == 0) return;
    void* last = m_elements->at(n - 1);
    for (int i = n - 1; i > 0; --i) m_elements->setAt(i, m_elements->at(i - 1));
    m_elements->setAt(0, last);
    for (int i = 0; i < n && i < m_elements->getCount(); ++i) onChanged(i);
}

void CMC_Array::shiftLeft() {
    const int n = m_elements->getCount();
    if (n == 0) return;
    void* first = m_elements->at(0);
    for (int i = 1; i < n; ++i) m_elements->setAt(i - 1, m_elements->at(i));
    clearElement(asVariable(first));
    m_elements->setAt(n - 1, first);
    for (int i = 0; i < n && i < m_elements->getCount(); ++i) onChanged(i);
}

void CMC_Array::shiftRight() {
    const int n = m_elements->getCount();
    if (n == 0) return;
    void* last = m_elements->at(n - 1);
    for (int i = n - 1; i > 0; --i) m_elements->setAt(i, m_elements->at(i - 1));
    clearElement(asVariable(last));
    m_elements->setAt(0, last);
    for (int i = 0; i < n && i < m_elements->getCount(); ++i) onChanged(i);
}

// ---- events -------------------------------------------------------------------------

void CMC_Array::onChanged(int index) {
    if (!m_sendOnChange || !isEventHandled(kChangedEventIndex)) return;
    onSignal(CXString("ONCHANGED"), CXString::toString(index));
}

// ---- persistence --------------------------------------------------------------------

CConfig* CMC_Array::getConfig() {
    CMC_ObjectsContainer* scene = getScene();
    CScriptWindowServices* window = CScriptWindowServices::of(scene ? scene->getWindow() : nullptr);
    return window ? window->getConfig() : nullptr;
}

void CMC_Array::saveINI() {
    CConfig* config = getConfig();
    if (!config) return;
    config->PutString(getScene()->getName(), getName(), toString());
}

void CMC_Array::loadINI() {
    CConfig* config = getConfig();
    if (!config) return;
    CXString text = config->GetString(getScene()->getName(), getName());
    removeAll();
    CStringTokenizer tokens(text, CXString(","));
    while (tokens.hasMoreTokens()) {
        auto* item = new CMC_String(CXString("temp"), tokens.nextToken());
        const int before = m_elements->getCount();
        m_elements->add(asSlot(item));
        if (m_elements->getCount() == before) {
            delete item;
            return;
        }
    }
}

void CMC_Array::save(CXString path) {
    CMC_ObjectsContainer* scene = getScene();
    // The whole file is built first and replaces the old one in one step, so a
    // full disk leaves the last good save as it was.
    CFile_Memory file;
    CXArchive archive(&file, true);
    archive << static_cast<int32_t>(m_elements->getCount());
    for (int i = 0; i < m_elements->getCount(); ++i) asVariable(m_elements->at(i))->store(&archive);
    CFile::saveWhole(scene ? scene->getWindow() : nullptr, path, file.bytes(), "ARRAY SAVE");
}

void CMC_Array::load(CXString path) {
    removeAll();
    CMC_ObjectsContainer* scene = getScene();
    CFile file;
    if (file.Open(scene ? scene->getWindow() : nullptr, path, CFile::kReadBinary) != 0) return;
    if (!CMC_VariableFactory::isInitialized()) return;
    CXArchive archive(&file, false);
    if (file.Length() - file.Tell() < 4) return;
    int count = 0;
    archive >> &count;
    // Every record is checked against the bytes left before it is read, so a bad
    // tag or a file shorter than its count ends the load with what was read.
    for (int i = 0; i < count; ++i) {
        if (!CMC_VariableFactory::recordFits(&file)) break;
        CMC_Variable* value = CMC_VariableFactory::restore(&archive);
        if (!value) break;
        add(value);
        CMC_Object::flush(value);
    }
    file.Close();
}
