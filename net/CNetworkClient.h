// The client side of the network protocol: one connection to a server, greeted
// with a hello carrying the player's name, and one receiving thread that queues the
// frames for tick. A connection that ends without disconnect (the server closed it,
// a send failed, a malformed frame came) is noticed by the tick after its last
// frames were dispatched: the client is then disconnected and its listeners hear
// onConnectionClosed.
#pragma once
#include <atomic>

#include "net/CNetworkPeer.h"
#include "platform/Thread.h"

class CNetworkClient : public CNetworkPeer {
public:
    CNetworkClient(CWindow* window, bool singleton, bool immediate);
    // A client without a window; always the singleton. The text carries nothing.
    CNetworkClient(CXString text, bool immediate);
    // Disconnects saying goodbye.
    ~CNetworkClient() override;

    // True at once when connected already; else connects, starts the receiving
    // thread and sends the hello.
    bool connect(CXString host, int port);
    void disconnect(bool goodbye);
    void tick() override;

    // The "NAME" of the "PLAYER" section of the window's settings, or the host name.
    static CXString getPlayerName(CWindow* window);
    static CNetworkClient* getInstance() { return pInstance; }
    CXString getHostName() const { return m_hostName; }
    bool isConnected() const { return m_connected; }

protected:
    virtual void start_receiver();
    virtual void stop_receiver();

private:
    void receiveLoop(platform::Thread& thread, CXSocket* socket, CXString host);

    CXString m_hostName;
    bool m_connected = false;
    // Set, under the queue's lock, once the receiving thread has queued the last
    // frames of its connection.
    bool m_receiverEnded = false;
    platform::Thread m_receiver;

    static CNetworkClient* pInstance;
};
