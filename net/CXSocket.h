// One IPv4 TCP connection of the network protocol, or a listening socket, over the
// platform's socket layer. A connection reassembles its received bytes into frames
// (CMessageStack) and checks each frame before handing it out; a listening socket
// runs an accept thread that wraps each new connection and hands it to a handler
// (by default the server singleton's onConnected).
//
// A connection closes for good when the peer closes it, a receive fails, a send
// fails (a partial frame would desynchronise the stream) or a malformed frame comes
// in; close() does the same from outside and wakes a receive in progress. Sends may
// come from several threads; one receiver thread reads.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "net/CMessageStack.h"
#include "platform/Socket.h"
#include "platform/Thread.h"

class CNetMessage;
class CWindow;

namespace platform {
class IClock;
}

class CXSocket : public CXObject {
public:
    // How long connect waits for the other side.
    static constexpr int kConnectTimeoutMs = 10000;
    using AcceptHandler = std::function<void(CXSocket* accepted, CXString address)>;

    // A new socket; the first one made initialises the static part.
    explicit CXSocket(CWindow* window);
    // Wraps a connected handle (from accept).
    CXSocket(CWindow* window, platform::SocketHandle handle);
    // Stops the accept thread and closes the handle. Receiving threads of the
    // connection must have been joined.
    ~CXSocket() override;
    CXSocket(const CXSocket&) = delete;
    CXSocket& operator=(const CXSocket&) = delete;

    // Binds every interface at the port, listens and starts the accept thread; false
    // (and no thread) when the bind or the listen failed.
    virtual bool start(int port, int backlog);
    // Ends the accept thread.
    virtual void stop();
    // A dotted address or a name that resolves; false when neither gives an address
    // or the connection is not made within the timeout.
    virtual bool connect(CXString host, int port);
    // Sends the whole frame and destroys the message; false, closing the connection,
    // when the send failed, and false without closing for a message that is no frame
    // or is larger than 1 MiB.
    virtual bool send(CNetMessage* message);
    // Waits for bytes and returns the whole, well-formed frames they complete (raw
    // messages, the caller's), in stream order; empty once the connection closed.
    virtual std::vector<CNetMessage*> receive();

    // Shuts the connection down for good and wakes a receive in progress.
    void close();
    bool isClosed() const { return m_closed.load(); }
    // When the stack has held an incomplete frame since, in net-clock milliseconds;
    // -1 when it holds none.
    int64_t partialSince() const { return m_partialSince.load(); }
    // The port a listening socket is bound to.
    int getPort() const;
    platform::SocketHandle getHandle() const { return m_handle; }
    CWindow* getWindow() const { return m_window; }
    void setAcceptHandler(AcceptHandler handler) { m_acceptHandler = std::move(handler); }

    static void initialize();
    static void done();
    // Four dot-separated pieces whose atoi values, weighted 1, 256, 256^2 and 256^3,
    // sum (in 32 bits, wrapping) to something other than 0.
    static bool is_ipaddr(CXString text);
    // The first IPv4 address of the name, or an empty text.
    static CXString resolve_ip(CXString name);
    // Four address bytes in memory order, in decimal, joined by ".".
    static CXString toIP(const unsigned char* address);
    static CXString getHostName();

    // The clock of the limits against silent peers: real time, never the game's.
    // Tests install their own; null restores the real one.
    static void setClock(platform::IClock* clock);
    static uint32_t now();

private:
    // Accepts on the socket system that made the listening socket, captured on the
    // starting thread: the loop never reads the installed system itself.
    void acceptLoop(platform::Thread& thread, platform::ISocketSystem& sockets);

    CWindow* m_window = nullptr;
    platform::SocketHandle m_handle = platform::kInvalidSocket;
    CMessageStack m_stack;
    std::atomic<bool> m_closed{false};
    std::atomic<int64_t> m_partialSince{-1};
    std::mutex m_sendMutex;
    AcceptHandler m_acceptHandler;
    platform::Thread m_acceptThread;
    std::atomic<bool> m_listening{false};

    static CXString hostname;
};
