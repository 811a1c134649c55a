// The image library (DevIL with its utility part) starts once per process: the
// window's constructor starts it, and code that resamples through it asks again,
// which costs nothing after the first time. It is never shut down, so a window that
// goes does not take it from the windows and resamplings that come after.
#pragma once

namespace imagelib {
void start();
// How many times the library was started in this process: 0 or 1.
int starts();
}  // namespace imagelib
