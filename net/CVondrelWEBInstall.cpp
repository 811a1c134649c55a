// Installation and removal of downloaded games. Package support is not in the engine yet:
// nothing is installed and nothing is removed.
#include "scene/CVondrelWEB.h"

bool CVondrelWEB::install(CDownloadManagerIfc*, CXString, CXString, CXString) {
    return false;
}

int CVondrelWEB::uninstall(CXString) {
    return 1;
}
