#include "net/CNetworkPeer.h"

#include <algorithm>

#include "net/CNetMessageProcessor.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"

CNetworkPeer::CNetworkPeer(CWindow* window, bool immediate) : m_window(window), m_immediate(immediate) {}

CNetworkPeer::~CNetworkPeer() {
    for (CNetMessage* message : m_queue) delete message;
    m_queue.clear();
}

void CNetworkPeer::addNotifier(CNetListener* listener) {
    if (listener) m_notifiers.push_back(listener);
}

void CNetworkPeer::removeNotifier(CNetListener* listener) {
    auto found = std::find(m_notifiers.begin(), m_notifiers.end(), listener);
    if (found != m_notifiers.end()) m_notifiers.erase(found);
}

bool CNetworkPeer::send(CNetMessage* message) {
    if (!m_socket) return false;
    return m_socket->send(message);
}

void CNetworkPeer::addMessage(CNetMessage* message) {
    if (!message) return;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_queue.push_back(message);
}

int CNetworkPeer::queuedCount() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

namespace {

// The frame's bytes no longer wait for the tick.
void released(CNetMessage* message) {
    if (message->getHandle()) message->getHandle()->release(message->getBufferLen());
}

} // namespace

std::vector<CNetMessage*> CNetworkPeer::takeQueue() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    std::vector<CNetMessage*> taken;
    taken.swap(m_queue);
    for (CNetMessage* message : taken) released(message);
    return taken;
}

void CNetworkPeer::queueReceived(CXSocket* socket, const std::vector<CNetMessage*>& received, const CXString& sender) {
    bool full = false;
    for (CNetMessage* message : received) {
        if (full || !socket->hold(message->getBufferLen())) {
            full = true;
            delete message;
            continue;
        }
        message->setSender(sender);
        m_queue.push_back(message);
    }
}

void CNetworkPeer::dispatch(std::vector<CNetMessage*>& messages) {
    for (CNetMessage*& message : messages) {
        CNetMessageProcessor::process(message, &m_notifiers);
        delete message;
        message = nullptr;
    }
    messages.clear();
}

void CNetworkPeer::tick() {
    beginTick();
    std::vector<CNetMessage*> messages = takeQueue();
    dispatch(messages);
    endTick();
}

void CNetworkPeer::retire(CXObject* object) {
    if (!object) return;
    if (m_tickDepth > 0)
        m_retired.emplace_back(object);
    else
        delete object;
}

void CNetworkPeer::purgeQueue(CXSocket* socket) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto kept = m_queue.begin();
    for (CNetMessage* message : m_queue) {
        if (message->getHandle() == socket) {
            released(message);
            delete message;
        }
        else
            *kept++ = message;
    }
    m_queue.erase(kept, m_queue.end());
}

void CNetworkPeer::endTick() {
    if (--m_tickDepth > 0) return;
    std::vector<std::unique_ptr<CXObject>> retired;
    retired.swap(m_retired);
}

bool CNetworkPeer::downlnoad_file(CXString folder, CXString subfolder, CXString file) {
    if (!m_socket) return false;
    return m_socket->send(new CNetFileRequestMessage(m_socket, 1, folder, subfolder, file));
}
