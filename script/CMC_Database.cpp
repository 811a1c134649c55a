#include "script/CMC_Database.h"

#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CXVector.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Structure.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

constexpr int kRowsCapacity = 101;
constexpr float kRowsLoadFactor = 0.75f;

[[maybe_unused]] const bool kRegistered = CMC_TypeTable::registerType(
    "DATABASE", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Database(c, e); });

// Cursor steps wrap in two's complement instead of overflowing.
int32_t step(int32_t value, int32_t by) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(by));
}

// One line of the file without its line end; lines longer than one read are joined.
// False at the end of the file.
bool readLine(CFile& file, CXString* line) {
    *line = file.getLine();
    if (!line->IsString()) return false;
    while (line->lastChar() != '\n') {
        const CXString more = file.getLine();
        if (!more.IsString()) break;
        *line += more;
    }
    line->RTrim('\n');
    return true;
}

// A row's line in the file: its text form (fields joined by "|"). A row with an
// empty field gets one more "|" at the end: that marks a line whose pieces are
// taken as they stand, empty ones included, so an empty field reads back empty.
// Lines without the mark read as they always did (empty pieces skipped), so files
// written before keep their meaning, and a row without empty fields is written
// exactly as before.
CXString lineOf(CMC_Structure* row) {
    CXString line = row->toString();
    for (int i = 0; i < row->getFieldCount(); ++i) {
        if (row->getField(i)->toString().getLength() == 0) {
            line += '|';
            break;
        }
    }
    return line;
}

void fillFromLine(CMC_Structure* row, const CXString& line) {
    if (line.lastChar() != '|') {
        row->fromString(line);
        return;
    }
    const std::string text(line.c_str(), static_cast<size_t>(line.getLength() - 1));
    size_t from = 0;
    for (int i = 0; i < row->getFieldCount() && from <= text.size(); ++i) {
        size_t end = text.find('|', from);
        if (end == std::string::npos) end = text.size();
        row->getField(i)->fromString(CXString(text.substr(from, end - from).c_str()));
        from = end + 1;
    }
}

}  // namespace

CMC_Database::CMC_Database(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_rows(new CXVector(kRowsCapacity, kRowsLoadFactor)) {
    if (element) m_modelName = element->getPropertyValue(CXString("MODEL"));
    initializeBehaviours(container, element);
}

CMC_Database::~CMC_Database() {
    // The cursor structure must not keep the fields of rows that go now.
    if (CMC_Structure* cursor = getCursorStructure()) cursor->flush();
    for (int i = 0; i < m_rows->getCount(); ++i) delete getRow(i);
    delete m_rows;
}

CXString** CMC_Database::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

bool CMC_Database::isRegistered(const CXString& name, CMC_Object* object) const {
    CMC_ObjectsContainer* owner = const_cast<CMC_Database*>(this)->getScene();
    return object && owner && owner->getObject(name) == object;
}

CMC_Structure* CMC_Database::getModel() const { return isRegistered(m_modelName, m_model) ? m_model : nullptr; }

CMC_Structure* CMC_Database::getCursorStructure() const {
    return isRegistered(m_cursorName, m_cursorStructure) ? m_cursorStructure : nullptr;
}

void CMC_Database::init() {
    CMC_ObjectsContainer* owner = getScene();
    if (owner) {
        m_model = dynamic_cast<CMC_Structure*>(owner->getObject(m_modelName));
        // A second init keeps the cursor structure it made the first time.
        if (!getCursorStructure()) {
            m_cursorName = getName() + "_CURSOR";
            m_cursorStructure = new CMC_Structure(m_cursorName);
            m_shown = nullptr;
            owner->addObject(m_cursorStructure);
        }
    }
    CMC_Object::init();
}

int CMC_Database::getRows() const { return m_rows->getCount(); }

CMC_Structure* CMC_Database::getRow(int i) const {
    if (i < 0 || i >= m_rows->getCount()) return nullptr;
    return static_cast<CMC_Structure*>(m_rows->at(i));
}

void CMC_Database::show(CMC_Structure* row) {
    CMC_Structure* cursor = getCursorStructure();
    if (!cursor) return;
    if (row)
        cursor->map(row);
    else
        cursor->flush();
    m_shown = row;
}

CMC_Structure* CMC_Database::copyOf(CMC_Structure* record) const {
    if (!record) return nullptr;
    auto* row = static_cast<CMC_Structure*>(record->clone());
    row->setName(CXString());
    return row;
}

CMC_Structure* CMC_Database::rowFromText(const CXString& rowText) const {
    CMC_Structure* row = copyOf(getModel());
    if (row) row->fromString(rowText);
    return row;
}

void CMC_Database::insertRow(int i, CMC_Structure* row) {
    if (!row) return;
    if (i < 0 || i > getRows()) {
        delete row;
        return;
    }
    m_rows->insertAt(i, static_cast<CXObject*>(row));
}

void CMC_Database::add(CMC_Structure* record) { insertRow(getRows(), copyOf(record)); }

void CMC_Database::add(const CXString& rowText) { insertRow(getRows(), rowFromText(rowText)); }

void CMC_Database::insertAt(int i, CMC_Structure* record) {
    if (i < 0 || i > getRows()) return;
    insertRow(i, copyOf(record));
}

void CMC_Database::insertAt(int i, const CXString& rowText) {
    if (i < 0 || i > getRows()) return;
    insertRow(i, rowFromText(rowText));
}

bool CMC_Database::rowMatches(CMC_Structure* row, const CXString& field, CMC_Variable* value) const {
    CMC_Variable* cell = row ? row->getField(field) : nullptr;
    return cell && cell->equals(value);
}

void CMC_Database::afterRemoval(CXVector* removed) {
    if (!m_shown || !removed->contains(static_cast<CXObject*>(m_shown))) return;
    show(getRow(m_cursor));
}

void CMC_Database::remove(const CXString& field, CMC_Variable* value) {
    CXVector removed;
    // Over a snapshot, so that taking rows out does not skip the next one.
    std::vector<CMC_Structure*> rows;
    for (int i = 0; i < getRows(); ++i) rows.push_back(getRow(i));
    for (CMC_Structure* row : rows) {
        if (!rowMatches(row, field, value)) continue;
        m_rows->remove(static_cast<CXObject*>(row));
        removed.add(static_cast<CXObject*>(row));
    }
    afterRemoval(&removed);
    for (int i = 0; i < removed.getCount(); ++i) delete static_cast<CMC_Structure*>(removed.at(i));
}

void CMC_Database::removeAt(int i) {
    CMC_Structure* row = getRow(i);
    if (!row) return;
    m_rows->removeAt(i);
    CXVector removed;
    removed.add(static_cast<CXObject*>(row));
    afterRemoval(&removed);
    delete row;
}

void CMC_Database::removeAll() {
    auto* removed = static_cast<CXVector*>(m_rows->clone());
    m_rows->removeAll();
    afterRemoval(removed);
    for (int i = 0; i < removed->getCount(); ++i) delete static_cast<CMC_Structure*>(removed->at(i));
    delete removed;
}

void CMC_Database::select(int i) {
    CMC_Structure* row = getRow(i);
    if (!row) return;
    m_cursor = i;
    show(row);
}

void CMC_Database::next() {
    m_cursor = m_cursor == getRows() - 1 ? 0 : step(m_cursor, 1);
    if (CMC_Structure* row = getRow(m_cursor)) show(row);
}

void CMC_Database::prev() {
    m_cursor = m_cursor == 0 ? getRows() - 1 : step(m_cursor, -1);
    if (CMC_Structure* row = getRow(m_cursor)) show(row);
}

int CMC_Database::find(const CXString& field, CMC_Variable* value, int start) {
    if (start < 0) return -1;
    for (int i = start; i < getRows(); ++i) {
        CMC_Structure* row = getRow(i);
        if (rowMatches(row, field, value)) {
            show(row);
            return i;
        }
    }
    return -1;
}

void CMC_Database::load(const CXString& fileName) {
    CMC_ObjectsContainer* owner = getScene();
    CFile file(owner ? owner->getWindow() : nullptr, fileName, CFile::kReadText);
    CMC_Structure* model = getModel();
    if (file.GetHandle() && model) {
        CXString line;
        while (readLine(file, &line)) {
            if (!line.IsString()) continue;
            CMC_Structure* row = static_cast<CMC_Structure*>(model->clone());
            fillFromLine(row, line);
            m_rows->add(static_cast<CXObject*>(row));
        }
    }
    file.Close();
    if (getRows() > 0) {
        m_cursor = 0;
        show(getRow(0));
    }
}

void CMC_Database::save(const CXString& fileName) {
    CMC_ObjectsContainer* owner = getScene();
    // The whole table is written in one step: a failed write keeps the old file.
    std::string text;
    for (int i = 0; i < getRows(); ++i) {
        const CXString line = lineOf(getRow(i));
        text.append(line.c_str(), static_cast<size_t>(line.getLength()));
        text += '\n';
    }
    CFile::saveWhole(owner ? owner->getWindow() : nullptr, fileName, text, "DATABASE SAVE");
}
