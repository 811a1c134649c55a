#include "platform/Thread.h"

#include <system_error>

namespace platform {

Thread::~Thread() {
    stop();
    join();
}

bool Thread::start(Body body) {
    if (m_thread.joinable() || !body) return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = false;
        m_busy = false;
    }
    try {
        m_thread = std::thread([this, body = std::move(body)] { body(*this); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool Thread::sleep(uint32_t ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
    return !m_stopping;
}

bool Thread::enter() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopping || !m_paused; });
    if (m_stopping) return false;
    m_busy = true;
    return true;
}

void Thread::leave() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_busy = false;
        ++m_cycles;
    }
    m_changed.notify_all();
}

void Thread::pause() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_paused = true;
    if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id()) return;
    m_changed.wait(lock, [this] { return !m_busy; });
}

void Thread::resume() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_paused = false;
        ++m_resumes;
    }
    m_changed.notify_all();
}

void Thread::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
}

void Thread::join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

bool Thread::isPaused() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paused;
}

uint64_t Thread::resumes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_resumes;
}

uint64_t Thread::cycles() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cycles;
}

bool Thread::waitForCycles(uint64_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this, count] { return m_cycles >= count; });
}

} // namespace platform
