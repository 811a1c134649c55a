// What the network client and server share: the socket, the listeners and the
// queue of received raw messages. Receiving threads add to the queue; tick (the host
// thread's, once per frame) takes the queue out under the lock and dispatches it
// outside, in arrival order. With immediate dispatch the receiving thread ticks
// after each message itself.
//
// Sockets and player records that die while tick dispatches are kept until its end,
// since messages being dispatched still name their socket.
//
// Queued frames count against their connection's bound (CXSocket::hold) from the
// receive until tick takes them out; a connection past it is closed and its later
// frames dropped.
#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CNetListener;
class CNetMessage;
class CWindow;
class CXSocket;

class CNetworkPeer : public CXObject {
public:
    CNetworkPeer(CWindow* window, bool immediate);
    // Destroys the queued messages; the listeners are not owned.
    ~CNetworkPeer() override;
    CNetworkPeer(const CNetworkPeer&) = delete;
    CNetworkPeer& operator=(const CNetworkPeer&) = delete;

    void addNotifier(CNetListener* listener);
    void removeNotifier(CNetListener* listener);
    // The socket's send, which consumes the message; without a socket false, and the
    // message stays the caller's.
    bool send(CNetMessage* message);
    // Appends a received message to the queue (any thread).
    virtual void addMessage(CNetMessage* message);
    // Dispatches the queue.
    virtual void tick();
    // Sends a file request with receiver id 1 on the peer's socket.
    virtual bool downlnoad_file(CXString folder, CXString subfolder, CXString file);

    CXSocket* getHandle() const { return m_socket; }
    const std::vector<CNetListener*>& getNotifiers() const { return m_notifiers; }
    bool isQueneActive() const { return !m_immediate; }
    // Messages waiting for tick.
    int queuedCount();

protected:
    // Takes the queue out under the lock.
    std::vector<CNetMessage*> takeQueue();
    // Receiving thread: names and queues the frames of the connection while its bound
    // holds; the rest are destroyed.
    void queueReceived(CXSocket* socket, const std::vector<CNetMessage*>& received, const CXString& sender);
    // Processes and destroys each message.
    void dispatch(std::vector<CNetMessage*>& messages);
    // Destroys the object now, or at the end of the tick in progress.
    void retire(CXObject* object);
    // Destroys the queued messages that came on the socket.
    void purgeQueue(CXSocket* socket);
    bool isTicking() const { return m_tickDepth > 0; }
    void beginTick() { ++m_tickDepth; }
    void endTick();

    CWindow* m_window = nullptr;
    CXSocket* m_socket = nullptr;
    std::vector<CNetListener*> m_notifiers;
    std::vector<CNetMessage*> m_queue;
    bool m_immediate = false;
    std::recursive_mutex m_mutex;

private:
    int m_tickDepth = 0;
    std::vector<std::unique_ptr<CXObject>> m_retired;
};
