#include "host/InputScript.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Input.h"
#include "platform/SdlInput.h"
#include "scene/CMC_Keyboard.h"

namespace host {

namespace {

constexpr uint32_t kScanLeftShift = 0x2A;
constexpr uint32_t kScanRightShift = 0x36;
constexpr uint32_t kScanLeftAlt = 0x38;
constexpr uint32_t kScanRightAlt = 0xB8;
// Key names exist for scan codes below this.
constexpr uint32_t kScanLimit = 0xD4;
constexpr long kCoordinateLimit = 1000000;

bool number(const std::string& word, long low, long high, long* out) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (errno || *end || v < low || v > high) return false;
    *out = v;
    return true;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The SDL scancode whose key the input layer maps to the scan code.
SDL_Scancode sdlOfScan(uint32_t scan) {
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s)
        if (platform::scanCodeOfSdl(s) == scan) return static_cast<SDL_Scancode>(s);
    return SDL_SCANCODE_UNKNOWN;
}

} // namespace

uint32_t InputScript::scanOfKeyName(const std::string& name) {
    if (name.empty()) return 0;
    for (uint32_t code = 1; code < kScanLimit; ++code) {
        const CXString key = CMC_Keyboard::getKeySignal(static_cast<int>(code));
        if (key.getLength() > 0 && key.equalsIgnoreCase(CXString(name.c_str())) &&
            sdlOfScan(code) != SDL_SCANCODE_UNKNOWN)
            return code;
    }
    return 0;
}

bool InputScript::load(const std::string& path, std::string* error) {
    m_events.clear();
    m_next = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path, error);
}

bool InputScript::parse(const std::string& text, const std::string& name, std::string* error) {
    m_events.clear();
    m_next = 0;
    std::vector<Event> events;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        auto fail = [&](const std::string& reason) {
            if (error) *error = name + ":" + std::to_string(number) + ": " + reason;
            return false;
        };
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        long frame = 0;
        if (!host::number(w[0], 1, INT32_MAX, &frame)) return fail("\"" + w[0] + "\" is not a frame number (1 or more)");
        if (w.size() < 2) return fail("an event must follow the frame number");
        const std::string verb = lower(w[1]);
        Event e;
        e.frame = static_cast<int>(frame);
        if (verb == "move") {
            long x = 0, y = 0;
            if (w.size() != 4 || !host::number(w[2], -kCoordinateLimit, kCoordinateLimit, &x) ||
                !host::number(w[3], -kCoordinateLimit, kCoordinateLimit, &y))
                return fail("move needs X Y");
            e.kind = Kind::Move;
            e.x = static_cast<int32_t>(x);
            e.y = static_cast<int32_t>(y);
            events.push_back(e);
        } else if (verb == "down" || verb == "up") {
            const std::string button = w.size() == 3 ? lower(w[2]) : std::string();
            if (button != "left" && button != "right") return fail(verb + " needs left or right");
            e.kind = verb == "down" ? Kind::ButtonDown : Kind::ButtonUp;
            e.button = button == "left" ? 0 : 2;
            events.push_back(e);
        } else if (verb == "keydown" || verb == "keyup" || verb == "key") {
            if (w.size() != 3) return fail(verb + " needs one key name");
            e.scan = scanOfKeyName(w[2]);
            if (!e.scan) return fail("no key is named \"" + w[2] + "\"");
            if (verb == "key" && frame == INT32_MAX) return fail("key needs a frame after its own");
            e.kind = verb == "keyup" ? Kind::KeyUp : Kind::KeyDown;
            events.push_back(e);
            if (verb == "key") {
                e.kind = Kind::KeyUp;
                e.frame += 1;
                events.push_back(e);
            }
        } else {
            return fail("unknown event \"" + w[1] + "\" (move, down, up, keydown, keyup, key)");
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.frame < b.frame; });
    m_events = std::move(events);
    return true;
}

void InputScript::deliver(int frame) {
    while (m_next < m_events.size() && m_events[m_next].frame < frame) ++m_next;
    for (; m_next < m_events.size() && m_events[m_next].frame == frame; ++m_next) {
        const Event& e = m_events[m_next];
        SDL_Event event;
        std::memset(&event, 0, sizeof event);
        int32_t x = 0, y = 0;
        platform::input().pointerPosition(&x, &y);
        switch (e.kind) {
        case Kind::Move:
            event.type = SDL_MOUSEMOTION;
            event.motion.x = e.x;
            event.motion.y = e.y;
            event.motion.xrel = e.x - x;
            event.motion.yrel = e.y - y;
            break;
        case Kind::ButtonDown:
        case Kind::ButtonUp:
            event.type = e.kind == Kind::ButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.button = e.button == 0 ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
            event.button.state = e.kind == Kind::ButtonDown ? SDL_PRESSED : SDL_RELEASED;
            event.button.clicks = 1;
            event.button.x = x;
            event.button.y = y;
            break;
        case Kind::KeyDown:
        case Kind::KeyUp: {
            const bool down = e.kind == Kind::KeyDown;
            if (e.scan == kScanLeftShift || e.scan == kScanRightShift) m_shift[e.scan == kScanRightShift] = down;
            if (e.scan == kScanLeftAlt || e.scan == kScanRightAlt) m_alt[e.scan == kScanRightAlt] = down;
            event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = sdlOfScan(e.scan);
            uint16_t mod = 0;
            if (m_shift[0]) mod |= KMOD_LSHIFT;
            if (m_shift[1]) mod |= KMOD_RSHIFT;
            if (m_alt[0]) mod |= KMOD_LALT;
            if (m_alt[1]) mod |= KMOD_RALT;
            event.key.keysym.mod = mod;
            break;
        }
        }
        platform::sdlInputEvent(&event);
    }
}

} // namespace host
