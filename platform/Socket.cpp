#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

PosixSocketSystem g_posix;
std::atomic<ISocketSystem*> g_system{nullptr};

// How often a wait in accept looks whether its socket still listens.
constexpr int kAcceptCheckMs = 200;

} // namespace

ISocketSystem& socketSystem() {
    ISocketSystem* s = g_system.load();
    return s ? *s : g_posix;
}

void setSocketSystem(ISocketSystem* system) { g_system.store(system); }

SocketHandle PosixSocketSystem::open() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return fd < 0 ? kInvalidSocket : fd;
}

bool PosixSocketSystem::listen(SocketHandle socket, uint16_t port, int backlog) {
    if (socket < 0) return false;
    const int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    return ::listen(socket, backlog) == 0;
}

uint16_t PosixSocketSystem::localPort(SocketHandle socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (socket < 0 || ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

SocketHandle PosixSocketSystem::accept(SocketHandle socket, std::string* peerAddress) {
    if (socket < 0) return kInvalidSocket;
    for (;;) {
        pollfd wait{socket, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kAcceptCheckMs);
        if (ready < 0 && errno != EINTR) return kInvalidSocket;
        if (ready <= 0) {
            // A listening socket that was shut down no longer accepts.
            int listening = 0;
            socklen_t length = sizeof listening;
            if (::getsockopt(socket, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) != 0 || !listening)
                return kInvalidSocket;
            continue;
        }
        if (wait.revents & (POLLHUP | POLLERR | POLLNVAL)) return kInvalidSocket;
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(socket, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) continue;
            return kInvalidSocket;
        }
        if (peerAddress) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            *peerAddress = text;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return fd;
    }
}

bool PosixSocketSystem::connect(SocketHandle socket, const std::string& address, uint16_t port, int timeoutMs) {
    if (socket < 0) return false;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1) return false;
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    bool ok = ::connect(socket, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd wait{socket, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&wait, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        int error = 0;
        socklen_t length = sizeof error;
        ok = ready == 1 && ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    ::fcntl(socket, F_SETFL, flags);
    if (ok) {
        const int on = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return ok;
}

bool PosixSocketSystem::sendAll(SocketHandle socket, const void* data, size_t size) {
    if (socket < 0) return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(socket, bytes, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int64_t PosixSocketSystem::sendSome(SocketHandle socket, const void* data, size_t size) {
    if (socket < 0) return -1;
    for (;;) {
        const ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

int64_t PosixSocketSystem::receive(SocketHandle socket, void* data, size_t size) {
    if (socket < 0) return -1;
    for (;;) {
        pollfd wait{socket, POLLIN, 0};
        const int ready = ::poll(&wait, 1, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (wait.revents & POLLNVAL) return -1;
        const ssize_t n = ::recv(socket, data, size, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return n;
    }
}

void PosixSocketSystem::shutdown(SocketHandle socket) {
    if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

void PosixSocketSystem::close(SocketHandle socket) {
    if (socket >= 0) ::close(socket);
}

std::string PosixSocketSystem::hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::string();
    return name;
}

std::string PosixSocketSystem::resolve(const std::string& name) {
    if (name.empty()) return std::string();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return std::string();
    std::string text;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr) continue;
        char buffer[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr, buffer, sizeof buffer);
        text = buffer;
        break;
    }
    ::freeaddrinfo(found);
    return text;
}

// ---- faults ----------------------------------------------------------------------------

void FaultySocketSystem::setHostName(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hostName = name;
}

std::string FaultySocketSystem::hostName() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_hostName.empty()) return m_hostName;
    }
    return PosixSocketSystem::hostName();
}

bool FaultySocketSystem::sendAll(SocketHandle socket, const void* data, size_t size) {
    ++m_sends;
    int fails = m_failSends.load();
    while (fails > 0 && !m_failSends.compare_exchange_weak(fails, fails - 1)) {
    }
    if (fails > 0) return false;
    if (m_shortSend.exchange(false)) {
        const size_t part = m_shortBytes.load() < size ? m_shortBytes.load() : size;
        if (part > 0) PosixSocketSystem::sendAll(socket, data, part);
        return false;
    }
    return PosixSocketSystem::sendAll(socket, data, size);
}

int64_t FaultySocketSystem::sendSome(SocketHandle socket, const void* data, size_t size) {
    ++m_sends;
    int fails = m_failSends.load();
    while (fails > 0 && !m_failSends.compare_exchange_weak(fails, fails - 1)) {
    }
    if (fails > 0) return -1;
    if (m_shortSend.exchange(false)) {
        const size_t part = m_shortBytes.load() < size ? m_shortBytes.load() : size;
        if (part > 0) PosixSocketSystem::sendAll(socket, data, part);
        return -1;
    }
    return PosixSocketSystem::sendSome(socket, data, size);
}

int64_t FaultySocketSystem::receive(SocketHandle socket, void* data, size_t size) {
    if (m_resetReceive.exchange(false)) return -1;
    while (m_stalled.load()) {
        pollfd wait{socket, 0, 0};
        if (::poll(&wait, 1, 10) > 0 && (wait.revents & (POLLHUP | POLLNVAL))) return 0;
    }
    return PosixSocketSystem::receive(socket, data, size);
}

} // namespace platform
