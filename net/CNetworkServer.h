// The server side of the network protocol: a listening socket whose accept thread
// adds a player record per connection (at most kMaxPlayers; later ones are closed at
// once), each record receiving on its own thread into the server's queue.
//
// tick (host thread) dispatches the queue, then removes the records whose
// connection ended, calling onDestroyPlayer for those that had said hello, closes
// connections that stay without hello, or hold an incomplete frame, for
// kIdleLimitMs of net-clock time, and keeps greeted ones alive (CXSocket::keepAlive).
// A connection that sends code, a command, a variable or a file frame before its
// hello is closed and that frame, and any after it, dropped: a server runs what its
// players send.
#pragma once
#include <cstdint>
#include <vector>

#include "net/CNetworkPeer.h"

class CNetPlayerInfo;

class CNetworkServer : public CNetworkPeer {
public:
    static constexpr int kMaxPlayers = 32;
    static constexpr uint32_t kIdleLimitMs = 30000;
    static constexpr int kBacklog = 5;

    // Becomes the singleton.
    CNetworkServer(CWindow* window, bool immediate);
    // Stops saying goodbye.
    ~CNetworkServer() override;

    // Listens at the port on every interface; false, and still stopped, when that
    // fails. True at once when started already.
    bool start(int port);
    void stop(bool goodbye);
    // A new connection (accept thread); the server owns the socket from now on.
    virtual void onConnected(CXSocket* socket, CXString address);
    void tick() override;

    // The first player of the name, in arrival order; null when none.
    CNetPlayerInfo* find(CXString name);
    // The player of the connection; null when none.
    CNetPlayerInfo* findBySocket(CXSocket* socket);
    // Sends to the first player of the name; false, the message staying the
    // caller's, when there is none.
    bool send(CXString name, CNetMessage* message);
    using CNetworkPeer::send;
    // Sends on the player's own connection; consumes the message.
    bool sendTo(CNetPlayerInfo* player, CNetMessage* message);
    void newPlayer(CNetPlayerInfo* player);
    // Takes the player out of the list, calls onDestroyPlayer of the listeners, then
    // destroys it (at the end of the tick in progress).
    void removePlayer(CNetPlayerInfo* player);

    int getPlayersNo();
    CNetPlayerInfo* getPlayer(int index);
    std::vector<CNetPlayerInfo*> getClients();
    bool isStarted() const { return m_started; }
    // The port the server listens at; 0 while stopped.
    int getPort() const;
    static CNetworkServer* getInstance() { return pInstance; }
    // Whether frames of the type are refused from a connection without hello.
    static bool requiresHello(int type);

private:
    friend class CNetPlayerInfo;
    // Takes the player out of the list; false when it was not in it.
    bool takeOut(CNetPlayerInfo* player);
    void drop(CNetPlayerInfo* player, bool tell);
    void setStarted(bool on);

    std::vector<CNetPlayerInfo*> m_players;
    bool m_started = false;

    static CNetworkServer* pInstance;
};
