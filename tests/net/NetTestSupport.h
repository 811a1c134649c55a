// Helpers of the network tests: waiting for what other threads do, a listener that
// logs what it hears, and a bare connection that the test drives byte by byte.
#pragma once
#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/CNetListener.h"
#include "net/CNetMessages.h"
#include "net/CNetPlayerInfo.h"
#include "net/CXSocket.h"
#include "platform/Socket.h"

namespace nettest {

// Polls the condition until it holds or five seconds pass.
inline bool until(const std::function<bool()>& condition, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Logs "type N" (with the text of texts and hellos), "new NAME", "destroy NAME" and "closed".
struct LogListener : CNetListener {
    void onMessage(CNetMessage* m) override {
        std::string line = "type " + std::to_string(m->getType());
        if (auto* t = dynamic_cast<CNetTextMessage*>(m)) line += std::string(" ") + t->getText();
        if (auto* h = dynamic_cast<CNetHelloMessage*>(m)) line += std::string(" ") + h->getName();
        log.push_back(line);
    }
    void onConnectionClosed() override { log.push_back("closed"); }
    void onNewPlayer(CNetPlayerInfo* p) override { log.push_back(std::string("new ") + p->getName().c_str()); }
    void onDestroyPlayer(CNetPlayerInfo* p) override { log.push_back(std::string("destroy ") + p->getName().c_str()); }
    std::vector<std::string> log;
};

// A connection the test drives itself.
struct Bare {
    Bare() : socket(std::make_unique<CXSocket>(nullptr)) {}
    bool connect(int port) { return socket->connect(CXString("127.0.0.1"), port); }
    bool sendBytes(const std::vector<unsigned char>& bytes) {
        return platform::socketSystem().sendAll(socket->getHandle(), bytes.data(), bytes.size());
    }
    // Writes the frame at once, past the socket's outgoing queue, so it keeps its
    // place among sendBytes.
    bool send(CNetMessage* m) {
        std::unique_ptr<CNetMessage> owned(m);
        return platform::socketSystem().sendAll(socket->getHandle(), m->getBuffer(),
                                                static_cast<size_t>(m->getBufferLen()));
    }
    // Frames received within the time (their types); stops at `count` frames or when
    // the connection closes.
    std::vector<int> receive(size_t count, int ms = 5000) {
        std::vector<int> types;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (types.size() < count && !socket->isClosed()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd wait{socket->getHandle(), POLLIN, 0};
            if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0) break;
            for (CNetMessage* m : socket->receive()) {
                types.push_back(m->getType());
                delete m;
            }
        }
        return types;
    }
    // Whether the other side closed the connection within the time.
    bool closedByPeer(int ms = 5000) {
        receive(1000000, ms);
        return socket->isClosed();
    }
    std::unique_ptr<CXSocket> socket;
};

} // namespace nettest
