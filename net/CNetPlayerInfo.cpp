#include "net/CNetPlayerInfo.h"

#include "net/CNetMessage.h"
#include "net/CNetworkServer.h"
#include "net/CXSocket.h"

CNetPlayerInfo::CNetPlayerInfo(CNetworkServer* server, CXSocket* socket, CXString address)
    : m_server(server), m_socket(socket), m_name(address), m_address(address), m_acceptedAt(CXSocket::now()) {
    m_receiver.start([this](platform::Thread& thread) { receiveLoop(thread); });
}

CNetPlayerInfo::~CNetPlayerInfo() {
    shutdown();
    delete m_socket;
}

void CNetPlayerInfo::shutdown() {
    if (m_socket) m_socket->close();
    m_receiver.stop();
    m_receiver.join();
}

CXString CNetPlayerInfo::getName() const {
    std::lock_guard<std::mutex> lock(m_nameMutex);
    return m_name;
}

void CNetPlayerInfo::setName(CXString name) {
    std::lock_guard<std::mutex> lock(m_nameMutex);
    m_name = name;
}

void CNetPlayerInfo::receiveLoop(platform::Thread&) {
    // The loop ends with the connection: shutdown closes it before joining.
    for (;;) {
        std::vector<CNetMessage*> received = m_socket->receive();
        const CXString name = getName();
        {
            std::lock_guard<std::recursive_mutex> lock(m_server->m_mutex);
            m_server->queueReceived(m_socket, received, name);
            if (m_socket->isClosed()) m_ended = true;
        }
        if (m_server->m_immediate && !received.empty()) m_server->CNetworkPeer::tick();
        if (m_socket->isClosed()) break;
    }
}
