// Opaque handles of the host's window system objects (window, cursor, program
// instance). The engine stores and passes them on; only platform/ looks inside.
#pragma once

namespace platform {

using WindowHandle = void*;
using CursorHandle = void*;
using InstanceHandle = void*;

} // namespace platform
