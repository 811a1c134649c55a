#include "net/CXSocket.h"

#include <mutex>

#include "foundation/CStringTokenizer.h"
#include "foundation/Crt.h"
#include "net/CNetMessage.h"
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

CXSocket::CXSocket(CWindow* window) : m_window(window), m_stack(this) {
    initialize();
    m_handle = platform::socketSystem().open();
    if (m_handle == platform::kInvalidSocket) m_closed = true;
}

CXSocket::CXSocket(CWindow* window, platform::SocketHandle handle) : m_window(window), m_handle(handle), m_stack(this) {
    initialize();
    if (m_handle == platform::kInvalidSocket) m_closed = true;
}

CXSocket::~CXSocket() {
    stop();
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
    if (!message) return false;
    const int32_t length = message->getBufferLen();
    bool ok = false;
    if (length >= CNetMessage::kHeaderSize && length <= CNetMessage::kMaxFrame && message->getBuffer() &&
        !m_closed) {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        ok = platform::socketSystem().sendAll(m_handle, message->getBuffer(), static_cast<size_t>(length));
        if (!ok) close();
    }
    delete message;
    return ok;
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
    if (m_stack.getCount() == 0)
        m_partialSince = -1;
    else if (m_partialSince.load() < 0)
        m_partialSince = now();
    return received;
}

void CXSocket::close() {
    if (m_closed.exchange(true)) return;
    platform::socketSystem().shutdown(m_handle);
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
