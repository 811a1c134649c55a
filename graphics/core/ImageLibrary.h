// The image library (DevIL with its utility part) starts once per process: the
// window's constructor starts it, and code that resamples through it asks again,
// which costs nothing after the first time.
#pragma once

namespace imagelib {
void start();
}  // namespace imagelib
