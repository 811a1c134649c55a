// One cell of a pattern: the graphics object shown there (not owned), its alias, a
// number and a text kept for the scripts, and whether it is locked (neither drawn nor
// found).
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CGraphicsObject;

class CPatternEntry : public CXObject {
public:
    CPatternEntry(int column, int row, CXString alias, CGraphicsObject* object, int info, CXString text)
        : m_column(column), m_row(row), m_alias(alias), m_object(object), m_info(info), m_text(text) {}

    // 1 when the other entry's info number is smaller than this one's.
    int compare(CXObject* other) override;

    int getColumn() const { return m_column; }
    int getRow() const { return m_row; }
    void setCell(int column, int row) {
        m_column = column;
        m_row = row;
    }
    CXString& getAlias() { return m_alias; }
    CGraphicsObject* getObject() const { return m_object; }
    int getInfo() const { return m_info; }
    CXString getText() const { return m_text; }
    bool isLocked() const { return m_locked; }
    void setLocked(bool locked) { m_locked = locked; }

private:
    int32_t m_column;
    int32_t m_row;
    CXString m_alias;
    CGraphicsObject* m_object;
    int32_t m_info;
    CXString m_text;
    bool m_locked = false;
};
