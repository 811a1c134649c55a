// Per-target state of an effect. Timed effects derive their step state from
// CFilterTickState; static effects keep what they replaced in a CFilterUndoRecord,
// whose tick count serves as its use counter.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXPoint.h"
#include "foundation/CXSize.h"

class CFilterTickState {
public:
    virtual ~CFilterTickState() = default;
    virtual void tick() { ++m_ticks; }
    virtual void reset() { m_ticks = 0; }
    virtual int getTicks() const { return m_ticks; }

private:
    int m_ticks = 0;
};

// What a static effect replaced, one entry per picture (one for a plain graphic,
// one per frame of an animation). Buffers are the graphic's former ones (allocated
// with new[]), kept by pointer; the record owns them until they are given back.
class CFilterUndoRecord : public CFilterTickState {
public:
    struct Entry {
        char* pixels = nullptr;
        char* alpha = nullptr;
        CXSize size;
        CXPoint position;
        int32_t compression = 0;
        int32_t bpp = 0;
        bool applied = false;
        // Whether size and position were saved.
        bool geometry = false;
    };

    ~CFilterUndoRecord() override;
    CFilterUndoRecord() = default;
    CFilterUndoRecord(const CFilterUndoRecord&) = delete;
    CFilterUndoRecord& operator=(const CFilterUndoRecord&) = delete;

    // Frees every saved buffer and makes `count` empty entries.
    void resize(int count);
    // Frees every saved buffer; the entries stay, empty.
    void freeSaved();
    int getCount() const { return static_cast<int>(m_entries.size()); }
    // Null outside 0 .. count-1.
    Entry* entry(int i);
    int getCurrent() const { return m_current; }
    void setCurrent(int i) { m_current = i; }

private:
    std::vector<Entry> m_entries;
    int m_current = -1;
};
