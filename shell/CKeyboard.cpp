#include "shell/CKeyboard.h"

#include <algorithm>

#include "foundation/CLanguageOSVer.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "shell/CWindow.h"

namespace {

// Scan codes that give a fixed character whatever the Shift state.
struct FixedChar {
    int scan;
    unsigned char character;
};
constexpr FixedChar kFixed[] = {
    {2, '1'},  {3, '2'},  {4, '3'},  {5, '4'},  {6, '5'},  {7, '6'},  {8, '7'},  {9, '8'},  {10, '9'},
    {11, '0'}, {12, '-'}, {13, '='}, {26, '('}, {27, ')'}, {51, ','}, {52, '.'}, {53, '/'}, {57, ' '},
    {71, '7'}, {72, '8'}, {73, '9'}, {74, '-'}, {75, '4'}, {76, '5'}, {77, '6'}, {78, '+'}, {79, '1'},
    {80, '2'}, {81, '3'}, {82, '0'},
};

// Key names of isKeyPressed; a second code for the names of either side.
struct NamedKey {
    const char* name;
    int scan;
    int other;
};
constexpr NamedKey kNamed[] = {
    {"left", 0xCB, -1},  {"up", 0xC8, -1},    {"down", 0xD0, -1},  {"right", 0xCD, -1}, {"lshift", 0x2A, -1},
    {"rshift", 0x36, -1}, {"shift", 0x2A, 0x36}, {"lctrl", 0x1D, -1}, {"rctrl", 0x9D, -1}, {"ctrl", 0x1D, 0x9D},
    {"lalt", 0x38, -1},  {"ralt", 0xB8, -1},  {"alt", 0x38, 0xB8},  {"space", 0x39, -1},
};

unsigned char swapYZ(unsigned char c) {
    switch (c) {
    case 'Y':
        return 'Z';
    case 'Z':
        return 'Y';
    case 'y':
        return 'z';
    case 'z':
        return 'y';
    default:
        return c;
    }
}

} // namespace

unsigned char CPolishCharMapper::map(unsigned char c, bool alt, bool) {
    if (!alt) return c;
    static constexpr char kLetters[] = "ACELNOSXZacelnosxz";
    static constexpr unsigned char kPolish[] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                                                0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};
    for (int i = 0; kLetters[i]; ++i)
        if (static_cast<unsigned char>(kLetters[i]) == c) return kPolish[i];
    return c;
}

unsigned char CCzechCharMapper::map(unsigned char c, bool, bool) { return swapYZ(c); }

bool CCzechCharMapper::accepts(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

CKeyboard::CKeyboard(CWindow* window) : m_window(window) {
    platform::input().keyboard().acquire();
    initLanguage();
    if (m_window) m_window->addIPoller(this);
}

CKeyboard::~CKeyboard() {
    if (m_window) m_window->removeIPoller(this);
    flushSignals(false);
    delete m_mapper;
    platform::input().keyboard().unacquire();
}

void CKeyboard::initLanguage() {
    delete m_mapper;
    const int language = m_window && m_window->getLangIfc() ? m_window->getLangIfc()->getLang() : 0;
    if (language == kCzech)
        m_mapper = new CCzechCharMapper();
    else if (language == kHungarian)
        m_mapper = new CHungarianCharMapper();
    else
        m_mapper = new CPolishCharMapper();
}

void CKeyboard::removeKey(std::vector<int32_t>& queue, int scan) {
    auto it = std::find(queue.begin(), queue.end(), scan);
    if (it != queue.end()) queue.erase(it);
}

void CKeyboard::tick() {
    platform::InputDevice& device = platform::input().keyboard();
    static thread_local platform::InputRecord records[kReadSize];
    uint32_t count = kReadSize;
    const uint32_t now = platform::clock().tickCount();
    if (device.read(records, &count) != platform::kInputOk) {
        // A bounded retry: a device that stays lost is tried again next tick.
        for (int i = 0; i < kMaxAcquire && device.acquire() == platform::kInputLost; ++i) {
        }
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t scan = records[i].offset;
        if (scan > 255) continue;
        if (records[i].data & 0x80) {
            m_state[scan] = 0x80;
            if (m_down[scan]) continue;
            // The down flag, not the time, says the key is down: the clock may read 0.
            m_down[scan] = true;
            m_pressDelivered[scan] = false;
            m_downTime[scan] = now;
            m_downQueue.push_back(static_cast<int32_t>(scan));
            m_charQueue.push_back(static_cast<int32_t>(scan));
        } else {
            m_state[scan] = 0;
            if (!m_down[scan]) continue;
            m_down[scan] = false;
            m_downTime[scan] = 0;
            // A key released before any flush delivered its press keeps that one
            // press (the next flush delivers it before the release); otherwise the
            // repeats end here.
            if (m_autoRepeat && m_pressDelivered[scan]) {
                removeKey(m_downQueue, static_cast<int>(scan));
                removeKey(m_charQueue, static_cast<int>(scan));
            }
            m_upQueue.push_back(static_cast<int32_t>(scan));
        }
    }
}

void CKeyboard::flushSignals(bool deliver) {
    const uint32_t now = platform::clock().tickCount();
    if (deliver && m_flushed && now - m_lastFlush < kFlushGate) return;
    // Copies: the handlers run scripts, which may switch auto-repeat meanwhile.
    const std::vector<int32_t> downs = m_downQueue;
    if (!m_autoRepeat) m_downQueue.clear();
    if (deliver && m_window)
        for (int32_t scan : downs) m_window->OnKeyDown(scan, 0);
    std::vector<int32_t> ups;
    ups.swap(m_upQueue);
    if (deliver && m_window)
        for (int32_t scan : ups) m_window->OnKeyUp(scan, 0);
    const std::vector<int32_t> chars = m_charQueue;
    if (!m_autoRepeat) m_charQueue.clear();
    if (deliver)
        for (int32_t scan : chars) onChar(scan);
    for (int32_t scan : downs) m_pressDelivered[scan] = true;
    // Presses of keys already released were delivered once and do not repeat.
    if (m_autoRepeat) {
        auto released = [this](int32_t scan) { return !m_down[scan]; };
        std::erase_if(m_downQueue, released);
        std::erase_if(m_charQueue, released);
    }
    m_flushed = true;
    m_lastFlush = now;
}

void CKeyboard::onChar(int scan) {
    const unsigned char c = getChar(scan);
    if (c == kNoChar || !m_mapper || !m_mapper->accepts(c) || !m_window) return;
    m_window->OnChar(static_cast<signed char>(c), 0);
}

unsigned char CKeyboard::getChar(int scan) {
    const bool shift = platform::input().isShiftDown();
    const bool alt = platform::input().isAltDown();
    unsigned char c = kNoChar;
    const char letter = CWindow::tranlateToChar(scan);
    if (letter >= 'A' && letter <= 'Z') {
        c = static_cast<unsigned char>(shift ? letter : letter + 32);
    } else {
        for (const FixedChar& f : kFixed)
            if (f.scan == scan) c = f.character;
    }
    if (c == kNoChar) return c;
    if (m_mapper) c = m_mapper->map(c, alt, shift);
    if (shift) {
        switch (c) {
        case ',':
            return '<';
        case '.':
            return '>';
        case '/':
            return '?';
        case '1':
            return '!';
        default:
            break;
        }
    }
    return c;
}

bool CKeyboard::isKeyPressed(CXString name) {
    for (const NamedKey& k : kNamed) {
        if (!name.equalsIgnoreCase(CXString(k.name))) continue;
        return isDown(k.scan) || (k.other >= 0 && isDown(k.other));
    }
    if (name.getLength() == 0) return false;
    unsigned char first = static_cast<unsigned char>(name.c_str()[0]);
    if (first >= 'a' && first <= 'z') first = static_cast<unsigned char>(first - 32);
    if (first != ' ' && !(first >= '0' && first <= '9') && !(first >= 'A' && first <= 'Z')) return false;
    for (int scan = 0; scan < 256; ++scan)
        if (CWindow::tranlateToChar(scan) == static_cast<char>(first)) return isDown(scan);
    return false;
}

bool CKeyboard::isAnyKeyPressed() {
    for (uint8_t s : m_state)
        if (s & 0x80) return true;
    return false;
}
