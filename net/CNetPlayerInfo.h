// One connected player of the network server: the accepted connection, the name
// (its address until its hello names it) and the thread that receives its frames
// into the server's queue.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "platform/Thread.h"

class CNetworkServer;
class CXSocket;

class CNetPlayerInfo : public CXObject {
public:
    // Takes the socket; the receiving thread starts at once.
    CNetPlayerInfo(CNetworkServer* server, CXSocket* socket, CXString address);
    // Ends the thread and closes the connection.
    ~CNetPlayerInfo() override;
    CNetPlayerInfo(const CNetPlayerInfo&) = delete;
    CNetPlayerInfo& operator=(const CNetPlayerInfo&) = delete;

    // Closes the connection and joins the receiving thread.
    void shutdown();

    CXString getName() const;
    void setName(CXString name);
    CXString getIPAddress() const { return m_address; }
    CXSocket* getHandle() const { return m_socket; }
    // Net-clock time of the accept.
    uint32_t getAcceptedAt() const { return m_acceptedAt; }
    // Whether a hello of this connection was dispatched.
    bool hasGreeted() const { return m_greeted; }
    void setGreeted() { m_greeted = true; }
    // Set under the server's queue lock once the thread has queued its last frames.
    bool hasEnded() const { return m_ended; }

private:
    friend class CNetworkServer;
    void receiveLoop(platform::Thread& thread);

    CNetworkServer* m_server;
    CXSocket* m_socket;
    mutable std::mutex m_nameMutex;
    CXString m_name;
    CXString m_address;
    uint32_t m_acceptedAt = 0;
    bool m_greeted = false;
    bool m_ended = false;
    platform::Thread m_receiver;
};
