// The engine's settings store: one INI file read and written by section and
// key. Nothing is cached: every get reads the file and every put writes it.
#pragma once
#include <set>
#include <string>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CConfig : public CXObject {
public:
    // Empty path: reads give 0 or "", writes do nothing.
    CConfig() = default;
    explicit CConfig(CXString path);

    // The value's leading decimal number; 0 when the key, section or file is missing.
    int GetInt(CXString section, CXString key);
    // The value (at most 10239 characters); "" when missing.
    CXString GetString(CXString section, CXString key);
    // Writes the decimal text of the value.
    bool PutInt(CXString section, CXString key, int value);
    // True when the value reached the file. A failed write leaves the file as it
    // was and is logged with the file and the section, once while writes to that
    // section keep failing (a later success lets the next failure be logged again).
    bool PutString(CXString section, CXString key, CXString value);

    CXString getPath() const { return m_path; }

private:
    CXString m_path;
    std::set<std::string> m_failing;  // sections whose last write failed
};
