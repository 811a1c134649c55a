#include "foundation/CConfig.h"

#include <string>

#include "foundation/IniFile.h"

CConfig::CConfig(CXString path) : m_path(path) {}

int CConfig::GetInt(CXString section, CXString key) {
    return IniFile::getInt(m_path.c_str(), section.c_str(), key.c_str(), 0);
}

CXString CConfig::GetString(CXString section, CXString key) {
    std::string value;
    if (!IniFile::getString(m_path.c_str(), section.c_str(), key.c_str(), &value)) return CXString();
    return CXString(value.c_str());
}

void CConfig::PutInt(CXString section, CXString key, int value) {
    CXString text;
    text = value;
    PutString(section, key, text);
}

void CConfig::PutString(CXString section, CXString key, CXString value) {
    IniFile::putString(m_path.c_str(), section.c_str(), key.c_str(), value.c_str());
}
