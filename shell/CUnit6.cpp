#include "shell/CUnit6.h"

#include "foundation/CResourcesManager.h"
#include "graphics/core/CColor.h"
#include "graphics/screen/CRefreshScreen.h"
#include "shell/CApplication.h"
#include "shell/CWindow.h"

namespace {

CResourcesManager* generalResources(CApplication* application) {
    return application ? application->getGeneralResourcesManager() : nullptr;
}

}  // namespace

CUnit6::CUnit6(CWindow* window, CXString name)
    : m_unitName(name), m_window(window), m_application(window ? window->GetApplicationInterface() : nullptr) {
    m_resources = new CResourcesManager(window);
    if (CResourcesManager* general = generalResources(m_application)) general->add(m_resources);
}

CUnit6::~CUnit6() {
    // The application may have gone first; its manager is asked for only while the
    // window still holds the same application.
    if (m_window && m_window->GetApplicationInterface() == m_application)
        if (CResourcesManager* general = generalResources(m_application)) general->remove(m_resources);
    delete m_resources;
}

bool CUnit6::initialize(CUnitScene* scene, CUnit6* parent) {
    m_retCode = 0;
    m_active = true;
    m_scene = scene;
    m_musicFileName = parent ? parent->getMusicFileName() : CXString();
    setBackground();
    return true;
}

bool CUnit6::onInitialUpdate() {
    m_initiallyUpdated = true;
    startMusic(nullptr, false);
    return true;
}

bool CUnit6::wasInitiallyUpdated() { return m_initiallyUpdated; }

bool CUnit6::domodal() { return m_retCode != 0; }

bool CUnit6::done(CUnitScene*, CUnit6*) {
    if (CRefreshScreen* canvas = m_window ? m_window->GetRefreshScreenInterface() : nullptr)
        canvas->SetBackground(static_cast<CColor*>(nullptr));
    m_scene = nullptr;
    m_active = false;
    m_initiallyUpdated = false;
    if (m_resources) m_resources->flush();
    return true;
}

bool CUnit6::isActive() { return m_active; }

void CUnit6::startMusic(const char* name, bool force) {
    if (!m_scene || !m_window) return;
    if (!force && !m_scene->shouldMusicBeStarted()) return;
    const CXString music = name ? CXString(name) : m_scene->getMusicFilename();
    if (!music.IsString()) return;
    if (music == m_musicFileName && m_window->isMusicPlaying()) return;
    m_musicFileName = music;
    m_window->StartMusic(music, true);
}

void CUnit6::stopMusic() {
    if (m_window) m_window->StopMusic();
}

// The canvas shows the named image file behind everything, or no background.
void CUnit6::setBackground() {
    CRefreshScreen* canvas = m_window ? m_window->GetRefreshScreenInterface() : nullptr;
    if (!canvas) return;
    if (m_backgroundFileName.IsString())
        canvas->SetBackground(m_backgroundFileName);
    else
        canvas->SetBackground(static_cast<CColor*>(nullptr));
}

void CUnit6::onTimer(intptr_t) {}

CMElements* CUnit6::resolveObjects(CUnitScene*, CMElements* elements) { return elements; }

void CUnit6::flushEditBoxes() {}

void CUnit6::setTimer(intptr_t id, unsigned int interval, bool askUnit) {
    if (m_window) m_window->SetTimer(id, interval, this, askUnit);
}

void CUnit6::killTimer(intptr_t id) {
    if (m_window) m_window->KillTimer(id);
}

void CUnit6::addRandomPlayable(CPlayable* playable, double probability, int period, CXString event) {
    if (playable) m_randomPlayables.push_back({playable, probability, period, event});
}

void CUnit6::removeRandomPlayable(CPlayable* playable) {
    std::erase_if(m_randomPlayables, [playable](const RandomPlayable& entry) { return entry.playable == playable; });
}
