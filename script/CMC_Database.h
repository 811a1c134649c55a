// The script's DATABASE (type id 3003): a table of rows, each a STRUCT of its own built
// on the model STRUCT named by the element's "MODEL". A cursor holds the current row's
// index, and a STRUCT named after the database with "_CURSOR" appended, registered in the
// owning container at init, shows a row by borrowing its field objects, so that the
// usual field access of structures ("DB_CURSOR|FIELD") reads and writes that row.
//
// Text files hold one row per line, the fields' texts joined by "|". Rows are owned and
// deleted by the database; when the shown row is deleted the cursor structure moves to
// the row now at the cursor, or shows nothing.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXVector;
class CMElement;
class CMC_ObjectsContainer;
class CMC_Structure;
class CMC_Variable;

class CMC_Database : public CMC_Object {
public:
    static constexpr int kType = 3003;

    // Type 3003, the model name from "MODEL", no rows; then the element's handlers.
    CMC_Database(CMC_ObjectsContainer* container, CMElement* element);
    // Deletes the rows; a cursor structure still registered is left showing nothing.
    ~CMC_Database() override;

    // Finds the model and makes and registers the cursor structure; then "ONINIT".
    void init() override;
    // "ONINIT", "ONDONE", "ONSIGNAL".
    CXString** getBehavioursList() override;

    // Appends a copy of the record (named ""); the cursor does not move.
    void add(CMC_Structure* record);
    // Appends a copy of the model (named "") filled from a row text; nothing without a model.
    void add(const CXString& rowText);
    // The same copies inserted before row i, for 0 <= i <= rows; nothing outside.
    void insertAt(int i, CMC_Structure* record);
    void insertAt(int i, const CXString& rowText);
    // Deletes every row whose field of that name equals the value.
    void remove(const CXString& field, CMC_Variable* value);
    // Deletes row i; nothing outside the table.
    void removeAt(int i);
    // Deletes every row; the cursor index stays.
    void removeAll();
    // Appends the rows of a text file; then, with rows, row 0 becomes current.
    void load(const CXString& fileName);
    // Writes every row as a line; nothing when the file does not open.
    void save(const CXString& fileName);
    // Makes row i current (cursor and shown row); nothing outside the table.
    void select(int i);
    // Cursor forward / back with wrap-around; the row is shown when it exists.
    void next();
    void prev();
    // Index of the first row from `start` on whose field equals the value, shown
    // without moving the cursor; -1 when none.
    int find(const CXString& field, CMC_Variable* value, int start);
    int getRows() const;
    int getCursorPos() const { return m_cursor; }

    CMC_Structure* getRow(int i) const;
    CXString getModelName() const { return m_modelName; }
    // The model and the cursor structure while their container still holds them.
    CMC_Structure* getModel() const;
    CMC_Structure* getCursorStructure() const;
    // The row the cursor structure shows, or null.
    CMC_Structure* getShownRow() const { return m_shown; }

private:
    // Whether `object` is still registered under `name` in the owning container.
    bool isRegistered(const CXString& name, CMC_Object* object) const;
    CMC_Structure* copyOf(CMC_Structure* record) const;
    CMC_Structure* rowFromText(const CXString& rowText) const;
    void insertRow(int i, CMC_Structure* row);
    void show(CMC_Structure* row);
    // After rows were taken out: a shown row among them gives way (see the header note).
    void afterRemoval(CXVector* removed);
    bool rowMatches(CMC_Structure* row, const CXString& field, CMC_Variable* value) const;

    CXString m_modelName;
    CMC_Structure* m_model = nullptr;
    int32_t m_cursor = 0;
    CMC_Structure* m_cursorStructure = nullptr;
    CXString m_cursorName;
    CXVector* m_rows;
    CMC_Structure* m_shown = nullptr;
};
