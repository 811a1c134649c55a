#include "net/CNetworkClient.h"

#include <chrono>

#include "foundation/CConfig.h"
#include "net/CNetListener.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"
#include "shell/CWindow.h"

CNetworkClient* CNetworkClient::pInstance = nullptr;

CNetworkClient::CNetworkClient(CWindow* window, bool singleton, bool immediate) : CNetworkPeer(window, immediate) {
    if (singleton) pInstance = this;
}

CNetworkClient::CNetworkClient(CXString, bool immediate) : CNetworkPeer(nullptr, immediate) { pInstance = this; }

CNetworkClient::~CNetworkClient() {
    disconnect(true);
    if (pInstance == this) pInstance = nullptr;
}

CXString CNetworkClient::getPlayerName(CWindow* window) {
    CConfig* config = window ? window->getConfig() : nullptr;
    const CXString name = config ? config->GetString(CXString("PLAYER"), CXString("NAME")) : CXString();
    return name.IsString() ? name : CXSocket::getHostName();
}

bool CNetworkClient::connect(CXString host, int port) {
    if (m_connected) return true;
    auto* socket = new CXSocket(m_window);
    if (!socket->connect(host, port)) {
        delete socket;
        return false;
    }
    m_socket = socket;
    m_connected = true;
    m_hostName = host;
    start_receiver();
    socket->send(new CNetHelloMessage(socket, getPlayerName(m_window)));
    return true;
}

void CNetworkClient::disconnect(bool goodbye) {
    if (!m_connected) return;
    if (goodbye && m_socket->send(new CNetMessage(m_socket, CNetMessage::kGoodbye)))
        m_socket->flush(std::chrono::steady_clock::now() + std::chrono::milliseconds(CXSocket::kGoodbyeMs));
    stop_receiver();
    purgeQueue(m_socket);
    retire(m_socket);
    m_socket = nullptr;
    m_hostName = CXString();
    m_connected = false;
}

void CNetworkClient::start_receiver() {
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        m_receiverEnded = false;
    }
    CXSocket* socket = m_socket;
    const CXString host = m_hostName;
    m_receiver.start([this, socket, host](platform::Thread& thread) { receiveLoop(thread, socket, host); });
}

void CNetworkClient::stop_receiver() {
    if (m_socket) m_socket->close();
    m_receiver.stop();
    m_receiver.join();
}

void CNetworkClient::receiveLoop(platform::Thread&, CXSocket* socket, CXString host) {
    // The loop ends with the connection: stop_receiver closes it before joining.
    for (;;) {
        std::vector<CNetMessage*> received = socket->receive();
        {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            queueReceived(socket, received, host);
            if (socket->isClosed()) m_receiverEnded = true;
        }
        if (m_immediate && !received.empty()) CNetworkPeer::tick();
        if (socket->isClosed()) break;
    }
}

void CNetworkClient::tick() {
    beginTick();
    std::vector<CNetMessage*> messages;
    bool ended;
    CXSocket* socket;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        messages = takeQueue();
        ended = m_receiverEnded;
        socket = m_socket;
    }
    dispatch(messages);
    if (ended && m_connected && socket == m_socket) {
        disconnect(false);
        for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->onConnectionClosed();
    } else if (m_connected && m_socket) {
        m_socket->keepAlive();
    }
    endTick();
}
