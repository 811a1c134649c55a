#include "foundation/CEngineEnv.h"

CXString CEngineEnv::rootPath;
CXString CEngineEnv::cdPath;

void CEngineEnv::toLog(CXString, bool) {}
