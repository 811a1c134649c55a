// The keyboard device: on the poller thread it reads the input layer's buffered key
// records into the state of all 256 keys and queues of key-downs, key-ups and
// characters; in the frame's flush it delivers them through the window's key handlers,
// repeating held keys while auto-repeat is on (once per flush, at most every 10 ms).
// Characters come from the engine's table of scan codes, adjusted by the character
// mapper of the game's language.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "shell/CInputPoller.h"

class CWindow;

// Turns a character into the language's own and tells which characters it accepts.
class CCharMapper {
public:
    virtual ~CCharMapper() = default;
    virtual unsigned char map(unsigned char c, bool alt, bool shift) = 0;
    virtual bool accepts(unsigned char c) = 0;
};

// Alt with a letter gives the Polish letter with a diacritic; accepts everything.
class CPolishCharMapper : public CCharMapper {
public:
    unsigned char map(unsigned char c, bool alt, bool shift) override;
    bool accepts(unsigned char) override { return true; }
};

// Y and Z swapped (the keyboards of these languages); only ASCII letters accepted.
class CCzechCharMapper : public CCharMapper {
public:
    unsigned char map(unsigned char c, bool alt, bool shift) override;
    bool accepts(unsigned char c) override;
};

class CHungarianCharMapper : public CCzechCharMapper {};

class CKeyboard : public CXObject, public CInputPoller {
public:
    static constexpr int kMaxAcquire = 3;
    static constexpr uint32_t kReadSize = 1024;
    // Milliseconds that must pass between two flushes that deliver.
    static constexpr uint32_t kFlushGate = 10;
    static constexpr unsigned char kNoChar = 0xFF;
    // Language numbers with mappers of their own.
    static constexpr int kCzech = 2;
    static constexpr int kHungarian = 6;

    // Acquires the device, chooses the mapper, auto-repeat on, joins the pollers.
    explicit CKeyboard(CWindow* window);
    ~CKeyboard() override;
    CKeyboard(const CKeyboard&) = delete;
    CKeyboard& operator=(const CKeyboard&) = delete;

    // Chooses the mapper anew from the window's language number.
    void initLanguage();
    CCharMapper* getMapper() const { return m_mapper; }

    void tick() override;
    void flushSignals(bool deliver) override;
    void setAutoRepeat(bool on) { m_autoRepeat = on; }
    bool getAutoRepeat() const { return m_autoRepeat; }

    // By name without regard to case: "left", "up", "down", "right", "lshift",
    // "rshift", "shift", "lctrl", "rctrl", "ctrl", "lalt", "ralt", "alt", "space", or a
    // space, digit or letter as the first character; anything else is not pressed.
    bool isKeyPressed(CXString name);
    bool isAnyKeyPressed();
    bool isDown(int scan) const { return scan >= 0 && scan < 256 && (m_state[scan] & 0x80) != 0; }
    // Sends the scan code's character through the window when the mapper accepts it.
    void onChar(int scan);
    // The character of a scan code for the current Shift and Alt; 0xFF for none.
    unsigned char getChar(int scan);

private:
    static void removeKey(std::vector<int32_t>& queue, int scan);

    CWindow* m_window;
    bool m_autoRepeat = true;
    uint8_t m_state[256] = {};
    bool m_down[256] = {};
    // The key's press has been delivered by a flush since it went down.
    bool m_pressDelivered[256] = {};
    uint32_t m_downTime[256] = {};
    std::vector<int32_t> m_downQueue;
    std::vector<int32_t> m_upQueue;
    std::vector<int32_t> m_charQueue;
    CCharMapper* m_mapper = nullptr;
    bool m_flushed = false;
    uint32_t m_lastFlush = 0;
};
