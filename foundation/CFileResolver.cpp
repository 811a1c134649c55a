#include "foundation/CFileResolver.h"

#include "foundation/CEngineEnv.h"

CFileResolver::CFileResolver() = default;

CFileResolver::~CFileResolver() = default;

void CFileResolver::setFilename(CXString name) { m_fileName = name; }

CXString CFileResolver::getFileName() { return m_fileName; }

bool CFileResolver::isLoaded() { return m_loaded; }

void CFileResolver::toRelease(bool release) { m_releaseAfterUse = release; }

bool CFileResolver::releaseAfterUse() { return m_releaseAfterUse; }

void CFileResolver::log(CXString text, bool flag) { CEngineEnv::toLog(text, flag); }
