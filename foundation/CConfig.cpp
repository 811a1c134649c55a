#include "foundation/CConfig.h"

#include <string>

#include "foundation/CEngineEnv.h"
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

bool CConfig::PutInt(CXString section, CXString key, int value) {
    CXString text;
    text = value;
    return PutString(section, key, text);
}

bool CConfig::PutString(CXString section, CXString key, CXString value) {
    if (!m_path.IsString()) return false;
    std::string reason;
    const bool written = IniFile::putString(m_path.c_str(), section.c_str(), key.c_str(), value.c_str(), &reason);
    const std::string name(section.c_str());
    if (written) {
        m_failing.erase(name);
    } else if (m_failing.insert(name).second) {
        CEngineEnv::logFailure("INI", m_path, CXString("INI: ") + m_path + " [" + section + "] is not written (" + reason.c_str() +
                               "); the file stays as it was");
    }
    return written;
}
