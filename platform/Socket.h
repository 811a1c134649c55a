// IPv4 TCP sockets. Engine code reaches the network only through socketSystem(), so
// tests can install a FaultySocketSystem that makes sends short or failing, resets
// connections and stalls receives.
//
// Every wait (accept, receive) sits in poll, so shutdown of the handle from another
// thread wakes it: that is how workers blocked on a socket are stopped before join.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace platform {

using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;

class ISocketSystem {
public:
    virtual ~ISocketSystem() = default;
    // A new IPv4 stream socket (close-on-exec); kInvalidSocket on failure.
    virtual SocketHandle open() = 0;
    // Binds every IPv4 interface at the port (0 picks a free one), with address reuse,
    // and listens.
    virtual bool listen(SocketHandle socket, uint16_t port, int backlog) = 0;
    // The port the socket is bound to, or 0.
    virtual uint16_t localPort(SocketHandle socket) = 0;
    // Waits for a connection; the new handle and the peer's dotted address, or
    // kInvalidSocket when the wait failed or the socket was shut down.
    virtual SocketHandle accept(SocketHandle socket, std::string* peerAddress) = 0;
    // Connects to a dotted IPv4 address, giving up after timeoutMs.
    virtual bool connect(SocketHandle socket, const std::string& address, uint16_t port, int timeoutMs) = 0;
    // Sends all bytes or fails; false on failure (some bytes may have gone).
    virtual bool sendAll(SocketHandle socket, const void* data, size_t size) = 0;
    // Sends what the socket takes without waiting: the count (0 when its buffer is
    // full), -1 on failure.
    virtual int64_t sendSome(SocketHandle socket, const void* data, size_t size) = 0;
    // Waits for bytes and reads up to size of them: the count, 0 once the peer closed
    // or the socket was shut down, -1 on an error.
    virtual int64_t receive(SocketHandle socket, void* data, size_t size) = 0;
    // Ends both directions; wakes waits on the handle. The handle stays open.
    virtual void shutdown(SocketHandle socket) = 0;
    virtual void close(SocketHandle socket) = 0;
    // This machine's host name.
    virtual std::string hostName() = 0;
    // The first IPv4 address of a name in dotted form, or "" when it does not resolve.
    virtual std::string resolve(const std::string& name) = 0;
};

// POSIX sockets.
class PosixSocketSystem : public ISocketSystem {
public:
    SocketHandle open() override;
    bool listen(SocketHandle socket, uint16_t port, int backlog) override;
    uint16_t localPort(SocketHandle socket) override;
    SocketHandle accept(SocketHandle socket, std::string* peerAddress) override;
    bool connect(SocketHandle socket, const std::string& address, uint16_t port, int timeoutMs) override;
    bool sendAll(SocketHandle socket, const void* data, size_t size) override;
    int64_t sendSome(SocketHandle socket, const void* data, size_t size) override;
    int64_t receive(SocketHandle socket, void* data, size_t size) override;
    void shutdown(SocketHandle socket) override;
    void close(SocketHandle socket) override;
    std::string hostName() override;
    std::string resolve(const std::string& name) override;
};

// The POSIX sockets with faults injected by the test. Counts apply to the next calls
// on any socket; names resolve through a table first.
class FaultySocketSystem : public PosixSocketSystem {
public:
    // The next n sends fail without sending anything.
    void failSends(int n) { m_failSends = n; }
    // The next send sends only its first `bytes` bytes, then fails. Sends without
    // waiting (sendSome) fail and fall short alike.
    void shortSend(size_t bytes) {
        m_shortBytes = bytes;
        m_shortSend = true;
    }
    // The next receive reports a reset connection.
    void resetReceive() { m_resetReceive = true; }
    // While stalled, receives wait without reading (a shutdown still ends them).
    void stallReceives(bool on) { m_stalled = on; }
    // Sends made so far (every call, failed or not).
    int sends() const { return m_sends; }
    void setHostName(const std::string& name);

    bool sendAll(SocketHandle socket, const void* data, size_t size) override;
    int64_t sendSome(SocketHandle socket, const void* data, size_t size) override;
    int64_t receive(SocketHandle socket, void* data, size_t size) override;
    std::string hostName() override;

private:
    std::atomic<int> m_failSends{0};
    std::atomic<bool> m_shortSend{false};
    std::atomic<size_t> m_shortBytes{0};
    std::atomic<bool> m_resetReceive{false};
    std::atomic<bool> m_stalled{false};
    std::atomic<int> m_sends{0};
    std::mutex m_mutex;
    std::string m_hostName;
};

// The socket system in force; the POSIX one unless a test installed another.
ISocketSystem& socketSystem();
// Installs a socket system (not owned); null restores the POSIX one.
void setSocketSystem(ISocketSystem* system);

class ScopedSocketSystem {
public:
    explicit ScopedSocketSystem(ISocketSystem& s) : m_prev(&socketSystem()) { setSocketSystem(&s); }
    ~ScopedSocketSystem() { setSocketSystem(m_prev); }
    ScopedSocketSystem(const ScopedSocketSystem&) = delete;
    ScopedSocketSystem& operator=(const ScopedSocketSystem&) = delete;

private:
    ISocketSystem* m_prev;
};

} // namespace platform
