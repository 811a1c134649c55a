#include "shell/CWindow.h"

#include "foundation/CFile.h"
#include "foundation/CPerformanceTimer.h"
#include "foundation/CXTimer.h"
#include "foundation/Crt.h"
#include "shell/CPublicTrash.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

CXString CWindow::exePath(platform::getExecutableFolder().c_str());
CXString CWindow::rootPath;
CXString CWindow::s_cdPath;

CWindow::CWindow() {
    rootPath = CFile::getCurrentDirectory();
    crt::srand(platform::clock().tickCount());
    CPerformanceTimer::init();
    m_timers = new CXTimer(this);
    m_publicTrash = new CPublicTrash(m_timers);
}

CWindow::~CWindow() {
    // Cleared first: members deleted now find no collector to leave.
    CPublicTrash* trash = m_publicTrash;
    m_publicTrash = nullptr;
    delete trash;
    delete m_timers;
    m_timers = nullptr;
}

int CWindow::OnTimer(intptr_t) { return 0; }

void CWindow::SetTimer(intptr_t id, unsigned int interval, CUnit6* unit, bool askUnit) {
    if (!m_timers) return;
    if (unit)
        m_timers->add(id, interval, unit, askUnit);
    else
        m_timers->add(id, interval, this);
}

void CWindow::KillTimer(intptr_t id) {
    if (m_timers) m_timers->remove(id);
}

void CWindow::toLog(CXString, bool) {}

CXString CWindow::getCDPath() { return s_cdPath; }

void CWindow::setCDPath(CXString path) { s_cdPath = path; }

void CWindow::initKeyboardLanguage() {}
