// A received byte stream of the network protocol. The input cuts itself into pushes:
// a length byte (1 to 256 bytes follow), the bytes, the next length byte, and so on.
// Every frame the stack gives is checked as the receiving socket checks it (a
// malformed or impossible frame ends the stream as it closes the connection) and then
// dispatched to a listener that reads every field of the typed message and feeds a
// file receiver holding one open transfer.
//
// The same input then reaches a listening server's tick as the streams of up to four
// connections (a selector byte and a length byte before each piece), each with or
// without a hello of its own, through the real receive path and its bounds; the
// connections end with the input and the server ticks until every player has left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "ScriptFuzzSupport.h"
#include "foundation/CXArray.h"
#include "net/CFileReceiver.h"
#include "net/CMessageStack.h"
#include "net/CNetListener.h"
#include "net/CNetMessageProcessor.h"
#include "net/CNetMessages.h"
#include "net/CNetworkServer.h"
#include "net/CXSocket.h"
#include "platform/Socket.h"
#include "script/CMC_Variable.h"

namespace {

struct Keeper : CFileReceiver_Listener {
    bool onFileReceived(CFileReceiver_Entry* entry) override {
        if (static_cast<int>(entry->getBuffer().size()) != entry->getBytesToTransfer()) std::abort();
        return true;  // nothing is written
    }
};

struct Reader : CNetListener {
    explicit Reader(CFileReceiver_Manager* files) : files(files) {}
    void onMessage(CNetMessage* m) override {
        size_t sum = 0;
        if (auto* c = dynamic_cast<CNetCmdMessage*>(m)) {
            sum += static_cast<size_t>(c->getCommand().getLength());
            if (CXArray* params = c->getParams())
                for (int i = 0; i < params->getCount(); ++i) sum += static_cast<size_t>(params->stringAt(i)->getLength());
        } else if (auto* v = dynamic_cast<CNetVariableMessage*>(m)) {
            sum += std::strlen(v->getVariableName()) + static_cast<size_t>(v->getVariableType());
            if (CMC_Variable* value = v->getVariable()) {
                sum += static_cast<size_t>(value->toString().getLength());
                CMC_Object::flush(value);
            }
        } else if (auto* b = dynamic_cast<CNetBehaviourMessage*>(m)) {
            sum += std::strlen(b->getCode());
        } else if (auto* t = dynamic_cast<CNetTextMessage*>(m)) {
            sum += std::strlen(t->getText());
        } else if (auto* h = dynamic_cast<CNetHelloMessage*>(m)) {
            sum += std::strlen(h->getName());
        } else if (auto* p = dynamic_cast<CNetPingMessage*>(m)) {
            sum += static_cast<size_t>(p->getTime()) + p->isResponse();
        } else if (auto* r = dynamic_cast<CNetFileRequestMessage*>(m)) {
            sum += static_cast<size_t>(r->getFolder().getLength() + r->getSubfolder().getLength() +
                                       r->getFileName().getLength());
        } else if (auto* d = dynamic_cast<CNetFileDataMessage*>(m)) {
            for (int i = 0; i < d->getSize(); ++i) sum += static_cast<unsigned char>(d->getData()[i]);
        }
        total += sum;
        files->received(m);
    }
    CFileReceiver_Manager* files;
    size_t total = 0;
};

// One listening server for the whole run; its listener reads every message.
CNetworkServer& server() {
    static Keeper keeper;
    static CFileReceiver_Manager files(&keeper);
    static Reader reader(&files);
    static CNetworkServer* made = [] {
        auto* s = new CNetworkServer(nullptr, false);
        s->addNotifier(&reader);
        if (!s->start(0)) std::abort();
        return s;
    }();
    return *made;
}

void driveServer(const uint8_t* data, size_t size) {
    if (size == 0) return;
    CNetworkServer& s = server();
    const size_t count = data[0] % 4 + 1;
    const bool greet = (data[0] & 4) != 0;
    std::vector<std::string> streams(count);
    if (greet) {
        for (size_t i = 0; i < count; i += 2) {
            std::unique_ptr<CNetMessage> hello(new CNetHelloMessage(nullptr, CXString("p")));
            streams[i].assign(hello->getBuffer(), static_cast<size_t>(hello->getBufferLen()));
        }
    }
    for (size_t at = 1; at + 2 <= size;) {
        const size_t which = data[at] % count;
        const size_t n = std::min<size_t>(data[at + 1], size - at - 2);
        streams[which].append(reinterpret_cast<const char*>(data + at + 2), n);
        at += 2 + n;
    }
    std::vector<int> ends;
    for (size_t i = 0; i < count; ++i) {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) break;
        s.onConnected(new CXSocket(nullptr, fds[0]), CXString("10.0.0.1"));
        ends.push_back(fds[1]);
    }
    for (size_t i = 0; i < ends.size(); ++i) {
        platform::socketSystem().sendAll(ends[i], streams[i].data(), streams[i].size());
        ::shutdown(ends[i], SHUT_WR);
    }
    // Every connection ends with its stream (the peer's half close); the players leave
    // at the ticks after their last frames.
    for (int spins = 0; s.getPlayersNo() > 0 && spins < 100000; ++spins) {
        s.tick();
        if (s.getPlayersNo() > 0) ::usleep(100);
    }
    if (s.getPlayersNo() > 0) std::abort();
    for (int fd : ends) ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    Keeper keeper;
    CFileReceiver_Manager files(&keeper);
    CFileReceiver_Manager::unique_id = 0;
    files.add_file(nullptr, CXString(), CXString(), CXString("f"));
    Reader reader(&files);
    std::vector<CNetListener*> listeners{&reader};
    CMessageStack stack(nullptr);
    size_t at = 0;
    bool open = true;
    while (open && at < size) {
        const size_t n = std::min<size_t>(static_cast<size_t>(data[at]) + 1, size - at - 1);
        ++at;
        stack.push(reinterpret_cast<const char*>(data + at), static_cast<int>(n));
        at += n;
        while (std::unique_ptr<CNetMessage> raw{stack.get()}) {
            if (!CNetMessage::isWellFormed(raw->getBuffer(), raw->getBufferLen())) {
                open = false;
                break;
            }
            CNetMessageProcessor::process(raw.get(), &listeners);
        }
        if (stack.isBroken()) open = false;
    }
    driveServer(data, size);
    fuzz::applicationStep();
    return 0;
}
