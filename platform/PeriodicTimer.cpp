#include "platform/PeriodicTimer.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "platform/Clock.h"

namespace platform {

using SteadyClock = std::chrono::steady_clock;

struct ThreadPeriodicTimer::Entry {
    uint32_t id;
    SteadyClock::duration period;
    SteadyClock::time_point due;
    Callback callback;
    bool registered = true;
};

ThreadPeriodicTimer::~ThreadPeriodicTimer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

uint32_t ThreadPeriodicTimer::add(uint32_t periodMs, Callback callback) {
    if (!callback) return 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopping) return 0;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
            return 0;
        }
        m_workerId = m_thread.get_id();
    }
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;
    entry->period = std::chrono::milliseconds(std::max<uint32_t>(periodMs, 1));
    entry->due = SteadyClock::now() + entry->period;
    entry->callback = std::move(callback);
    m_entries.push_back(entry);
    lock.unlock();
    m_changed.notify_all();
    return entry->id;
}

void ThreadPeriodicTimer::remove(uint32_t id) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [id](const std::shared_ptr<Entry>& e) { return e->id == id; });
    if (it == m_entries.end()) return;
    (*it)->registered = false;
    m_entries.erase(it);
    // A callback removing itself or another one runs on the worker: no wait there.
    if (std::this_thread::get_id() == m_workerId) return;
    m_changed.wait(lock, [this, id] { return m_running != id; });
}

int ThreadPeriodicTimer::count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_entries.size());
}

uint64_t ThreadPeriodicTimer::runs() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_runs;
}

void ThreadPeriodicTimer::loop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        // Every callback in turn; the list may change while one runs.
        const std::vector<std::shared_ptr<Entry>> snapshot = m_entries;
        for (const std::shared_ptr<Entry>& entry : snapshot) {
            if (m_stopping) break;
            if (!entry->registered || entry->due > SteadyClock::now()) continue;
            m_running = entry->id;
            lock.unlock();
            entry->callback();
            lock.lock();
            m_running = 0;
            ++m_runs;
            // A late run does not make up for the periods it missed.
            const SteadyClock::time_point now = SteadyClock::now();
            do {
                entry->due += entry->period;
            } while (entry->due <= now);
            m_changed.notify_all();
        }
        if (m_stopping) break;
        if (m_entries.empty()) {
            m_changed.wait(lock, [this] { return m_stopping || !m_entries.empty(); });
            continue;
        }
        SteadyClock::time_point next = m_entries.front()->due;
        for (const std::shared_ptr<Entry>& entry : m_entries) next = std::min(next, entry->due);
        m_changed.wait_until(lock, next);
    }
}

uint32_t ManualPeriodicTimer::add(uint32_t periodMs, Callback callback) {
    if (m_failAdd || !callback) return 0;
    const uint32_t period = std::max<uint32_t>(periodMs, 1);
    const uint32_t id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;
    m_entries.push_back(Entry{id, period, clock().tickCount() + period, std::make_shared<Callback>(std::move(callback))});
    return id;
}

void ManualPeriodicTimer::remove(uint32_t id) {
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.id == id; }),
                    m_entries.end());
}

int ManualPeriodicTimer::runDue() {
    const uint32_t now = clock().tickCount();
    std::vector<uint32_t> ids;
    ids.reserve(m_entries.size());
    for (const Entry& e : m_entries) ids.push_back(e.id);
    int ran = 0;
    for (uint32_t id : ids) {
        auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.id == id; });
        if (it == m_entries.end() || static_cast<int32_t>(now - it->due) < 0) continue;
        while (static_cast<int32_t>(now - it->due) >= 0) it->due += it->period;
        // Held here: the callback may remove itself.
        const std::shared_ptr<Callback> callback = it->callback;
        (*callback)();
        ++ran;
    }
    return ran;
}

namespace {

IPeriodicTimer* g_timer = nullptr;

ThreadPeriodicTimer& defaultTimer() {
    static ThreadPeriodicTimer timer;
    return timer;
}

}  // namespace

IPeriodicTimer& periodicTimer() { return g_timer ? *g_timer : defaultTimer(); }

void setPeriodicTimer(IPeriodicTimer* timer) { g_timer = timer; }

}  // namespace platform
