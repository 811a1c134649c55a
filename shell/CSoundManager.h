// The sound effects of the running application. A one-shot buffer does not call
// back when it ends, so once a frame domodal() looks at every sound held as playing
// and reports the ones that stopped. Removal only marks an entry; domodal frees it
// at its end, so sounds may go away while the list is walked.
#pragma once
#include <vector>

#include "foundation/CXObject.h"

class CSound4;

class CSoundManager : public CXObject {
public:
    CSoundManager() = default;
    ~CSoundManager() override;
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    void add(CSound4* sound, bool owned);
    void play(CSound4* sound);
    void remove(CSound4* sound);
    void domodal();
    virtual void pause();
    virtual void resume();
    void Flush();
    int getCount() const { return m_count; }
    // Entries in the list, removed ones included until the next domodal.
    int getEntryCount() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        CSound4* sound;
        bool playing;
        bool owned;
        bool removed;
    };
    int m_count = 0;
    std::vector<Entry> m_entries;
};
