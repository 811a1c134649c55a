// The process's quit request: what a window's destruction or a quit command posts
// and the host's event loop reads to end.
#pragma once

namespace platform {

// Posts the request with its exit code; a later post replaces the code.
void postQuitMessage(int code);
// Takes the posted request: true (and its code, when asked) once per post.
bool takeQuitMessage(int* code = nullptr);

} // namespace platform
