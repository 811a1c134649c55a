#include "shell/CSoundManager.h"

#include "shell/CSound4.h"

CSoundManager::~CSoundManager() { Flush(); }

void CSoundManager::add(CSound4* sound, bool owned) {
    m_entries.push_back(Entry{sound, false, owned, false});
    ++m_count;
}

void CSoundManager::play(CSound4* sound) {
    for (Entry& e : m_entries) {
        if (e.sound == sound && !e.removed) {
            e.playing = true;
            return;
        }
    }
}

void CSoundManager::remove(CSound4* sound) {
    for (Entry& e : m_entries) {
        if (e.sound == sound && !e.removed) {
            --m_count;
            e.sound = nullptr;
            e.removed = true;
            return;
        }
    }
}

void CSoundManager::domodal() {
    // Indexes, not iterators: a finish handler may add sounds.
    for (size_t i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        if (!e.sound || e.removed || !e.playing) continue;
        CSound4* sound = e.sound;
        if (sound->isPaused() || sound->IsPlaying()) continue;
        e.playing = false;
        sound->OnWAVFinished();
    }
    std::erase_if(m_entries, [](const Entry& e) { return e.removed; });
}

void CSoundManager::pause() {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        CSound4* sound = m_entries[i].sound;
        if (sound && sound->isPlaying()) sound->pause();
    }
}

void CSoundManager::resume() {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        CSound4* sound = m_entries[i].sound;
        if (sound && sound->isPaused()) sound->resume();
    }
}

void CSoundManager::Flush() {
    domodal();
    std::vector<Entry> entries;
    entries.swap(m_entries);
    m_count = 0;
    for (const Entry& e : entries) {
        if (e.owned) delete e.sound;
    }
}
