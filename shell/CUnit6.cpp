#include "shell/CUnit6.h"

#include "shell/CWindow.h"

CUnit6::CUnit6(CWindow* window, CXString name) : m_unitName(name), m_window(window) {}

CUnit6::~CUnit6() = default;

bool CUnit6::onInitialUpdate() {
    m_initiallyUpdated = true;
    return true;
}

bool CUnit6::wasInitiallyUpdated() { return m_initiallyUpdated; }

bool CUnit6::isActive() { return m_active; }

void CUnit6::onTimer(intptr_t) {}

void CUnit6::setTimer(intptr_t id, unsigned int interval, bool askUnit) {
    if (m_window) m_window->SetTimer(id, interval, this, askUnit);
}

void CUnit6::killTimer(intptr_t id) {
    if (m_window) m_window->KillTimer(id);
}
