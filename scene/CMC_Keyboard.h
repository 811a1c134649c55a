// The KEYBOARD script type (101): turns the keys the window's keyboard device reports
// into "ONKEYDOWN^name", "ONKEYUP^name" and "ONCHAR^c" (then the plain event when
// nothing took the caret form), remembers the latest key, collects the names of
// key-downs for GETLATESTKEYS, and answers whether keys are held. It is always named
// "KEYBOARD", whatever its element is called.
#pragma once
#include <cstdint>
#include <deque>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CMElement;
class CMC_ObjectsContainer;
class CWindow;

class CMC_Keyboard : public CMC_Object, public CKeyListener {
public:
    static constexpr int kType = 101;
    // Names of key-downs kept for GETLATESTKEYS.
    static constexpr size_t kMaxLatestKeys = 256;
    enum : int { kOnChar = 3, kOnKeyDown = 4, kOnKeyUp = 5 };

    CMC_Keyboard(CMC_ObjectsContainer* container, CMElement* element);
    explicit CMC_Keyboard(CMC_ObjectsContainer* container);
    ~CMC_Keyboard() override;
    CMC_Keyboard(const CMC_Keyboard&) = delete;
    CMC_Keyboard& operator=(const CMC_Keyboard&) = delete;

    CXString** getBehavioursList() override;

    void enable() { m_enabled = true; }
    void disable() { m_enabled = false; }
    bool isEnabled() const { return m_enabled; }
    virtual CXString getLatestKey() { return m_latestKey; }
    // Oldest first.
    virtual std::deque<CXString>* getLatestKeys() { return &m_latestKeys; }
    CWindow* getWindow() const { return m_window; }

    // The event name of a scan code; empty for codes without one.
    static CXString getKeySignal(int code);

    void onKeyUp(int code) override;
    void onKeyDown(int code) override;
    void onChar(unsigned char c) override;

protected:
    // Disposed of (its scene left): it hears no more keys while it waits for deletion.
    void onDispose() override;

private:
    void setUp();

    CWindow* m_window = nullptr;
    CXString m_latestKey;
    bool m_enabled = true;
    std::deque<CXString> m_latestKeys;
};
