// A scripted input session for the host: a text file of timed pointer, button and key
// events, replayed frame by frame through the same path the window's events take, so
// that a headless run plays the same way every time.
//
// One event a line; "#" starts a comment; words are separated by blanks:
//   N move X Y             the pointer goes to (X, Y), client coordinates
//   N down left|right      a button goes down at the pointer
//   N up left|right        a button comes up at the pointer
//   N keydown NAME         a key goes down (NAME as the KEYBOARD object names keys,
//   N keyup NAME           any letter case: ESC, A, ENTER, SPACE, F1, LEFT ...)
//   N key NAME             down in frame N, up in frame N + 1
// Frames count from 1; the events of a frame arrive before that frame's tick, in the
// order of the file ("key" puts its key-up in its own line's place).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace host {

class InputScript {
public:
    enum class Kind { Move, ButtonDown, ButtonUp, KeyDown, KeyUp };
    struct Event {
        int frame = 0;
        Kind kind = Kind::Move;
        int32_t x = 0;
        int32_t y = 0;
        // 0 left, 2 right (the input layer's button numbers).
        int button = 0;
        // The engine's scan code of the key.
        uint32_t scan = 0;
    };

    // Reads the file (a host path). False with "FILE:LINE: reason" (or "FILE: reason"
    // when it cannot be read) in error; the script is then empty.
    bool load(const std::string& path, std::string* error);
    // Parses script text; name is what messages call the file.
    bool parse(const std::string& text, const std::string& name, std::string* error);

    // Hands the events of the frame (from 1) to the input layer.
    void deliver(int frame);

    const std::vector<Event>& events() const { return m_events; }

    // The engine's scan code of a KEYBOARD key name (any case); 0 when none.
    static uint32_t scanOfKeyName(const std::string& name);

private:
    std::vector<Event> m_events;
    size_t m_next = 0;
    // Modifier keys held by the script (for the events' modifier state).
    bool m_shift[2] = {false, false};
    bool m_alt[2] = {false, false};
};

} // namespace host
