// One IPv4 TCP connection of the network protocol, or a listening socket, over the
// platform's socket layer. A connection reassembles its received bytes into frames
// (CMessageStack) and checks each frame before handing it out; a listening socket
// runs an accept thread that wraps each new connection and hands it to a handler
// (by default the server singleton's onConnected).
//
// Sending never waits: send writes what the socket takes at once when nothing is
// queued before it, and queues the rest of the frame, and every later frame, for
// the connection's writer thread (started with the first frame that has to wait).
// Frames leave in the order they were sent.
//
// A connection closes for good when the peer closes it, a receive fails, a send
// fails (a partial frame would desynchronise the stream), a malformed frame comes
// in, its unsent bytes pass kMaxUnsent, or what the engine holds of its received
// frames passes kMaxHeld; close() does the same from outside and wakes a receive or
// a write in progress. Sends may come from several threads; one receiver thread
// reads.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
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
    // Unsent bytes a connection may queue.
    static constexpr int64_t kMaxUnsent = 4 << 20;
    // Bytes of received frames waiting for the tick, held for a connection (file
    // transfers' buffers are not counted: this side asked for those bytes).
    static constexpr int64_t kMaxHeld = 4 << 20;
    // Net-clock silence after which keepAlive pings; as long again without an
    // answer closes the connection.
    static constexpr uint32_t kQuietLimitMs = 30000;
    // Wall-clock bound of the wait for a goodbye to leave.
    static constexpr int kGoodbyeMs = 2000;
    using AcceptHandler = std::function<void(CXSocket* accepted, CXString address)>;

    // A new socket; the first one made initialises the static part.
    explicit CXSocket(CWindow* window);
    // Wraps a connected handle (from accept).
    CXSocket(CWindow* window, platform::SocketHandle handle);
    // Stops the accept thread, closes the connection (unsent frames are dropped),
    // joins the writer and closes the handle. Receiving threads of the connection
    // must have been joined.
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
    // Sends or queues the whole frame and destroys the message; false, closing the
    // connection, when a send failed or the unsent bytes would pass kMaxUnsent;
    // false without closing for a closed connection or a message that is no frame or
    // is larger than 1 MiB. A later failure of the writer closes the connection.
    virtual bool send(CNetMessage* message);
    // Waits until every queued frame has left; false when the connection closed or
    // the deadline (wall-clock) passed first.
    bool flush(std::chrono::steady_clock::time_point deadline);
    // Bytes sent or queued and not yet written.
    int64_t unsentBytes();
    // Waits for bytes and returns the whole, well-formed frames they complete (raw
    // messages, the caller's), in stream order; empty once the connection closed.
    virtual std::vector<CNetMessage*> receive();

    // Shuts the connection down for good and wakes a receive or a write in progress.
    void close();
    bool isClosed() const { return m_closed.load(); }
    // Since when (net-clock milliseconds) the stack holds the first bytes of a frame
    // that has not completed; -1 when it holds none.
    int64_t partialSince() const { return m_partialSince.load(); }
    // Net-clock time of the last bytes received (of the construction before any).
    uint32_t lastHeard() const { return m_lastHeard.load(); }
    // From the host thread: a ping once kQuietLimitMs pass without incoming bytes,
    // and closing once kQuietLimitMs more pass after that ping without any.
    void keepAlive();

    // The bytes the engine holds of a connection's received frames, shared with
    // holders that may outlive the socket (queued frames; file transfers ask it
    // only whether the connection closed).
    class Account {
    public:
        bool isClosed() const { return m_closed.load(); }
        int64_t held() const { return m_held.load(); }
        void release(int64_t bytes) { m_held.fetch_sub(bytes); }

    private:
        friend class CXSocket;
        std::atomic<bool> m_closed{false};
        std::atomic<int64_t> m_held{0};
    };
    const std::shared_ptr<Account>& account() const { return m_account; }
    // Counts bytes the engine now holds for the connection; false, closing it and
    // counting nothing, when the total would pass kMaxHeld.
    bool hold(int64_t bytes);
    void release(int64_t bytes) { m_account->release(bytes); }
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
    // Writes the queued frames in order until the connection closes.
    void writeLoop();

    CWindow* m_window = nullptr;
    platform::SocketHandle m_handle = platform::kInvalidSocket;
    CMessageStack m_stack;
    std::atomic<bool> m_closed{false};
    std::atomic<int64_t> m_partialSince{-1};
    std::atomic<uint32_t> m_lastHeard{0};
    std::shared_ptr<Account> m_account = std::make_shared<Account>();
    // The outgoing queue: frames not yet written, the front one possibly in part
    // (m_frontSent bytes of it gone); m_unsent counts the bytes still to write.
    std::mutex m_outMutex;
    std::condition_variable m_outChanged;
    std::deque<std::unique_ptr<CNetMessage>> m_outgoing;
    size_t m_frontSent = 0;
    int64_t m_unsent = 0;
    platform::Thread m_writer;
    // Keep-alive state (host thread): the ping sent for the silence since m_pingedHeard.
    bool m_pinged = false;
    uint32_t m_pingedHeard = 0;
    uint32_t m_pingedAt = 0;
    AcceptHandler m_acceptHandler;
    platform::Thread m_acceptThread;
    std::atomic<bool> m_listening{false};

    static CXString hostname;
};
