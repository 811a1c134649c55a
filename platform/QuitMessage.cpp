#include "platform/QuitMessage.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<bool> g_posted{false};
std::atomic<int> g_code{0};
} // namespace

void postQuitMessage(int code) {
    g_code = code;
    g_posted = true;
}

bool takeQuitMessage(int* code) {
    if (!g_posted.exchange(false)) return false;
    if (code) *code = g_code;
    return true;
}

} // namespace platform
