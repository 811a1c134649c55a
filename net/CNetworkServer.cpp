#include "net/CNetworkServer.h"

#include <algorithm>
#include <chrono>

#include "net/CNetListener.h"
#include "net/CNetMessageProcessor.h"
#include "net/CNetMessages.h"
#include "net/CNetPlayerInfo.h"
#include "net/CXSocket.h"

CNetworkServer* CNetworkServer::pInstance = nullptr;

bool CNetworkServer::requiresHello(int type) {
    switch (type) {
    case CNetMessage::kCommand:
    case CNetMessage::kVariable:
    case CNetMessage::kBehaviour:
    case CNetMessage::kFileRequest:
    case CNetMessage::kFileResponse:
    case CNetMessage::kFileData: return true;
    default: return false;
    }
}

CNetworkServer::CNetworkServer(CWindow* window, bool immediate) : CNetworkPeer(window, immediate) {
    pInstance = this;
}

CNetworkServer::~CNetworkServer() {
    stop(true);
    if (pInstance == this) pInstance = nullptr;
}

bool CNetworkServer::start(int port) {
    if (m_started) return true;
    auto* socket = new CXSocket(m_window);
    socket->setAcceptHandler([this](CXSocket* accepted, CXString address) { onConnected(accepted, address); });
    // Started before the accept thread runs, so its first connection is kept.
    setStarted(true);
    if (!socket->start(port, kBacklog)) {
        setStarted(false);
        delete socket;
        return false;
    }
    m_socket = socket;
    return true;
}

void CNetworkServer::stop(bool goodbye) {
    if (!m_started || !m_socket) return;
    // No more players: the accept thread ends first.
    m_socket->stop();
    std::vector<CNetPlayerInfo*> players;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        players.swap(m_players);
    }
    if (goodbye) {
        // Every goodbye is queued first; together they get one bounded wait to leave.
        for (CNetPlayerInfo* player : players)
            player->getHandle()->send(new CNetMessage(player->getHandle(), CNetMessage::kGoodbye));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CXSocket::kGoodbyeMs);
        for (CNetPlayerInfo* player : players) player->getHandle()->flush(deadline);
    }
    for (CNetPlayerInfo* player : players) {
        player->shutdown();
        purgeQueue(player->getHandle());
        retire(player);
    }
    retire(m_socket);
    m_socket = nullptr;
    setStarted(false);
}

void CNetworkServer::setStarted(bool on) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_started = on;
}

int CNetworkServer::getPort() const { return m_socket ? m_socket->getPort() : 0; }

void CNetworkServer::onConnected(CXSocket* socket, CXString address) {
    if (!socket) return;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_started || static_cast<int>(m_players.size()) >= kMaxPlayers) {
        delete socket;
        return;
    }
    m_players.push_back(new CNetPlayerInfo(this, socket, address));
}

CNetPlayerInfo* CNetworkServer::find(CXString name) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (CNetPlayerInfo* player : m_players)
        if (player->getName() == name) return player;
    return nullptr;
}

CNetPlayerInfo* CNetworkServer::findBySocket(CXSocket* socket) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (CNetPlayerInfo* player : m_players)
        if (player->getHandle() == socket) return player;
    return nullptr;
}

bool CNetworkServer::send(CXString name, CNetMessage* message) {
    CNetPlayerInfo* player = find(name);
    if (!player) return false;
    return player->getHandle()->send(message);
}

bool CNetworkServer::sendTo(CNetPlayerInfo* player, CNetMessage* message) {
    if (!player) {
        delete message;
        return false;
    }
    return player->getHandle()->send(message);
}

void CNetworkServer::newPlayer(CNetPlayerInfo* player) {
    for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->onNewPlayer(player);
}

bool CNetworkServer::takeOut(CNetPlayerInfo* player) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = std::find(m_players.begin(), m_players.end(), player);
    if (found == m_players.end()) return false;
    m_players.erase(found);
    return true;
}

void CNetworkServer::drop(CNetPlayerInfo* player, bool tell) {
    if (!takeOut(player)) return;
    player->shutdown();
    purgeQueue(player->getHandle());
    if (tell)
        for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->onDestroyPlayer(player);
    retire(player);
}

void CNetworkServer::removePlayer(CNetPlayerInfo* player) {
    beginTick();
    drop(player, true);
    endTick();
}

int CNetworkServer::getPlayersNo() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return static_cast<int>(m_players.size());
}

CNetPlayerInfo* CNetworkServer::getPlayer(int index) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_players.size())) return nullptr;
    return m_players[static_cast<size_t>(index)];
}

std::vector<CNetPlayerInfo*> CNetworkServer::getClients() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_players;
}

void CNetworkServer::tick() {
    beginTick();
    std::vector<CNetMessage*> messages;
    std::vector<CNetPlayerInfo*> ended;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        messages = takeQueue();
        for (CNetPlayerInfo* player : m_players)
            if (player->hasEnded()) ended.push_back(player);
    }
    std::vector<CXSocket*> refused;
    for (CNetMessage*& message : messages) {
        // The sender is the player's name now: a hello queued with later frames
        // names them too.
        if (CNetPlayerInfo* player = findBySocket(message->getHandle())) {
            // Before its hello a connection may not have code run, commands, variables
            // or files taken: such a frame ends it, and nothing more of it is dispatched.
            CXSocket* socket = player->getHandle();
            const bool refusedBefore = std::find(refused.begin(), refused.end(), socket) != refused.end();
            if (refusedBefore || (!player->hasGreeted() && requiresHello(message->getType()))) {
                if (!refusedBefore) refused.push_back(socket);
                socket->close();
                delete message;
                message = nullptr;
                continue;
            }
            message->setSender(player->getName());
            if (message->getType() == CNetMessage::kHello) player->setGreeted();
        }
        CNetMessageProcessor::process(message, &m_notifiers);
        delete message;
        message = nullptr;
    }
    // Records whose connection ended leave once their last frames were dispatched.
    for (CNetPlayerInfo* player : ended)
        if (findBySocket(player->getHandle()) == player) drop(player, player->hasGreeted());
    // Connections that stay without hello or keep half a frame are closed, greeted
    // ones kept alive; records closed here leave at a later tick like any other
    // that ended.
    const uint32_t now = CXSocket::now();
    for (CNetPlayerInfo* player : getClients()) {
        CXSocket* socket = player->getHandle();
        const int64_t partial = socket->partialSince();
        const bool silent = !player->hasGreeted() && now - player->getAcceptedAt() >= kIdleLimitMs;
        const bool stuck = partial >= 0 && now - static_cast<uint32_t>(partial) >= kIdleLimitMs;
        if (silent || stuck)
            socket->close();
        else if (player->hasGreeted())
            socket->keepAlive();
    }
    endTick();
}
