#include <SDL.h>

#include "platform/MessageBox.h"
#include "platform/Text1250.h"

namespace platform {

void SdlMessageBox::show(const char* text, const char* caption) {
    const std::string body = windows1250ToUtf8(text);
    const std::string title = windows1250ToUtf8(caption);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), body.c_str(), nullptr) != 0)
        HeadlessMessageBox::write(text, caption);
}

} // namespace platform
