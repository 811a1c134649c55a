// The host's --input script: text parsed into timed events, each frame's events then
// handed to the input layer as the window's own would be. A parsed script is in frame
// order with frames from 1; a rejected one is empty and says where.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/InputScript.h"
#include "platform/Input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::InputSystem input;
    static bool installed = false;
    if (!installed) {
        platform::setInput(&input);
        input.setFocus(true);
        input.mouse().acquire();
        input.keyboard().acquire();
        installed = true;
    }
    host::InputScript script;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!script.parse(text, "in.txt", &error)) {
        if (!script.events().empty() || error.rfind("in.txt:", 0) != 0) std::abort();
        return 0;
    }
    int last = 0;
    int delivered = 0;
    for (const host::InputScript::Event& e : script.events()) {
        if (e.frame < 1 || e.frame < last) std::abort();
        if (e.frame != last && delivered++ < 64) script.deliver(e.frame);
        last = e.frame;
    }
    // The devices' buffers are drained as the poller would; they never hold more than they can.
    for (platform::InputDevice* device : {&input.mouse(), &input.keyboard()}) {
        if (device->pending() > device->capacity()) std::abort();
        platform::InputRecord records[64];
        for (uint32_t count = 64; count == 64;) device->read(records, &count);
    }
    return 0;
}
