#include "net/CXSocket.h"

#include <mutex>

#include "foundation/CStringTokenizer.h"
#include "foundation/Crt.h"
#include "net/CNetMessage.h"
#include "net/CNetMessages.h"
#include "net/CNetworkServer.h"
#include "platform/Clock.h"

CXString CXSocket::hostname;

namespace {

std::once_flag g_initialized;
std::atomic<platform::IClock*> g_clock{nullptr};
platform::SystemClock g_systemClock;

// Bytes read from the connection at a time.
constexpr size_t kReceiveBuffer = 16384;

} // namespace

void CXSocket::initialize() {
    std::call_once(g_initialized, [] { hostname = CXString(platform::socketSystem().hostName().c_str()); });
}

void CXSocket::done() {}

void CXSocket::setClock(platform::IClock* clock) { g_clock.store(clock); }

uint32_t CXSocket::now() {
    platform::IClock* clock = g_clock.load();
    return clock ? clock->tickCount() : g_systemClock.tickCount();
}

CXSocket::CXSocket(CWindow* window) : m_window(window), m_stack(this), m_lastHeard(now()) {
    initialize();
    m_handle = platform::socketSystem().open();
    if (m_handle == platform::kInvalidSocket) m_closed = true;
}

CXSocket::CXSocket(CWindow* window, platform::SocketHandle handle)
    : m_window(window), m_handle(handle), m_stack(this), m_lastHeard(now()) {
    initialize();
    if (m_handle == platform::kInvalidSocket) m_closed = true;
}

CXSocket::~CXSocket() {
    stop();
    close();
    if (m_writer.isStarted()) m_writer.join();
    platform::socketSystem().close(m_handle);
}

bool CXSocket::start(int port, int backlog) {
    if (m_listening || m_closed || port < 0 || port > 65535) return false;
    platform::ISocketSystem& sockets = platform::socketSystem();
    if (!sockets.listen(m_handle, static_cast<uint16_t>(port), backlog)) return false;
    m_listening = true;
    if (!m_acceptThread.start([this, &sockets](platform::Thread& thread) { acceptLoop(thread, sockets); })) {
        m_listening = false;
        return false;
    }
    return true;
}

void CXSocket::stop() {
    if (!m_acceptThread.isStarted()) return;
    m_acceptThread.stop();
    platform::socketSystem().shutdown(m_handle);
    m_acceptThread.join();
    m_listening = false;
}

void CXSocket::acceptLoop(platform::Thread& thread, platform::ISocketSystem& sockets) {
    while (thread.sleep(0)) {
        std::string address;
        const platform::SocketHandle accepted = sockets.accept(m_handle, &address);
        if (accepted == platform::kInvalidSocket) {
            // A shut-down socket ends the loop; other failures are retried after a pause.
            if (!thread.sleep(10)) break;
            continue;
        }
        if (!thread.sleep(0)) {
            sockets.close(accepted);
            break;
        }
        auto* socket = new CXSocket(m_window, accepted);
        if (m_acceptHandler) {
            m_acceptHandler(socket, CXString(address.c_str()));
        } else if (CNetworkServer* server = CNetworkServer::getInstance()) {
            server->onConnected(socket, CXString(address.c_str()));
        } else {
            delete socket;
        }
    }
}

int CXSocket::getPort() const { return platform::socketSystem().localPort(m_handle); }

bool CXSocket::connect(CXString host, int port) {
    if (m_closed || port < 0 || port > 65535) return false;
    const CXString address = is_ipaddr(host) ? host : resolve_ip(host);
    if (!address.IsString()) return false;
    return platform::socketSystem().connect(m_handle, address.c_str(), static_cast<uint16_t>(port), kConnectTimeoutMs);
}

bool CXSocket::send(CNetMessage* message) {
    std::unique_ptr<CNetMessage> frame(message);
    if (!frame) return false;
    const int32_t length = frame->getBufferLen();
    if (length < CNetMessage::kHeaderSize || length > CNetMessage::kMaxFrame || !frame->getBuffer()) return false;
    bool failed = false;
    {
        std::lock_guard<std::mutex> lock(m_outMutex);
        if (m_closed) return false;
        int64_t sent = 0;
        if (m_outgoing.empty()) {
            // Nothing waits before it: what the socket takes now goes at once.
            sent = platform::socketSystem().sendSome(m_handle, frame->getBuffer(), static_cast<size_t>(length));
            if (sent == length) return true;
        }
        if (sent < 0 || m_unsent + (length - sent) > kMaxUnsent) {
            failed = true;
        } else {
            if (m_outgoing.empty()) m_frontSent = static_cast<size_t>(sent);
            m_outgoing.push_back(std::move(frame));
            m_unsent += length - sent;
            if (!m_writer.isStarted() && !m_writer.start([this](platform::Thread&) { writeLoop(); })) failed = true;
        }
    }
    if (failed) {
        close();
        return false;
    }
    m_outChanged.notify_all();
    return true;
}

void CXSocket::writeLoop() {
    std::unique_lock<std::mutex> lock(m_outMutex);
    for (;;) {
        m_outChanged.wait(lock, [this] { return m_closed.load() || !m_outgoing.empty(); });
        if (m_closed) break;
        // Only this thread takes frames out, so the front stays while it is written.
        CNetMessage* front = m_outgoing.front().get();
        const size_t from = m_frontSent;
        const size_t size = static_cast<size_t>(front->getBufferLen()) - from;
        lock.unlock();
        const bool ok = platform::socketSystem().sendAll(m_handle, front->getBuffer() + from, size);
        if (!ok) {
            close();
            lock.lock();
            break;
        }
        lock.lock();
        m_outgoing.pop_front();
        m_frontSent = 0;
        m_unsent -= static_cast<int64_t>(size);
        m_outChanged.notify_all();
    }
    m_outgoing.clear();
    m_unsent = 0;
    m_outChanged.notify_all();
}

bool CXSocket::flush(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_outMutex);
    m_outChanged.wait_until(lock, deadline, [this] { return m_closed.load() || m_outgoing.empty(); });
    return !m_closed && m_outgoing.empty();
}

int64_t CXSocket::unsentBytes() {
    std::lock_guard<std::mutex> lock(m_outMutex);
    return m_unsent;
}

bool CXSocket::hold(int64_t bytes) {
    if (m_account->m_held.fetch_add(bytes) + bytes > kMaxHeld) {
        m_account->m_held.fetch_sub(bytes);
        close();
        return false;
    }
    return true;
}

void CXSocket::keepAlive() {
    if (m_closed) return;
    const uint32_t time = now();
    const uint32_t heard = m_lastHeard.load();
    if (m_pinged && m_pingedHeard == heard) {
        if (time - m_pingedAt >= kQuietLimitMs) close();
        return;
    }
    if (time - heard < kQuietLimitMs) return;
    m_pinged = true;
    m_pingedHeard = heard;
    m_pingedAt = time;
    send(new CNetPingMessage(this, static_cast<int32_t>(time)));
}

std::vector<CNetMessage*> CXSocket::receive() {
    std::vector<CNetMessage*> received;
    if (m_closed) return received;
    char buffer[kReceiveBuffer];
    const int64_t n = platform::socketSystem().receive(m_handle, buffer, sizeof buffer);
    if (n <= 0) {
        close();
        return received;
    }
    m_lastHeard = now();
    const bool wasEmpty = m_stack.getCount() == 0;
    m_stack.push(buffer, static_cast<int>(n));
    while (CNetMessage* message = m_stack.get()) {
        if (!CNetMessage::isWellFormed(message->getBuffer(), message->getBufferLen())) {
            delete message;
            close();
            return received;
        }
        received.push_back(message);
    }
    if (m_stack.isBroken()) {
        close();
        return received;
    }
    // What is left is the start of one frame; it began in this receive when the
    // stack was empty or a frame completed before it.
    if (m_stack.getCount() == 0)
        m_partialSince = -1;
    else if (wasEmpty || !received.empty() || m_partialSince.load() < 0)
        m_partialSince = now();
    return received;
}

void CXSocket::close() {
    if (m_closed.exchange(true)) return;
    m_account->m_closed = true;
    platform::socketSystem().shutdown(m_handle);
    // Taking the lock orders the flag before the writer's next look at it.
    { std::lock_guard<std::mutex> lock(m_outMutex); }
    m_outChanged.notify_all();
}

bool CXSocket::is_ipaddr(CXString text) {
    CStringTokenizer pieces(text, CXString("."));
    uint32_t value = 0;
    uint32_t weight = 1;
    int count = 0;
    while (pieces.hasMoreTokens()) {
        const CXString piece = pieces.nextToken();
        value += static_cast<uint32_t>(crt::atoi(piece.c_str())) * weight;
        weight *= 256u;
        ++count;
    }
    return count == 4 && value != 0;
}

CXString CXSocket::resolve_ip(CXString name) {
    return CXString(platform::socketSystem().resolve(name.c_str()).c_str());
}

CXString CXSocket::toIP(const unsigned char* address) {
    CXString text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) text += ".";
        text += static_cast<int>(address[i]);
    }
    return text;
}

CXString CXSocket::getHostName() {
    initialize();
    return hostname;
}
