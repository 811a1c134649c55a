// Network protocol speed: ping round trips between two peers on loopback (receiving
// threads with immediate dispatch) against a plain POSIX echo of 1024-byte blocks,
// and frame reassembly against memcpy of the same bytes.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/CMessageStack.h"
#include "net/CNetListener.h"
#include "net/CNetMessages.h"
#include "net/CNetworkClient.h"
#include "net/CNetPlayerInfo.h"
#include "net/CNetworkServer.h"
#include "net/CXSocket.h"

namespace {

// Counts the messages a listener accepts (ping answers on the client, texts on the server).
struct Counter : CNetListener {
    explicit Counter(bool (*accept)(CNetMessage*)) : accept(accept) {}
    void onMessage(CNetMessage* m) override {
        if (!accept(m)) return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++count;
        }
        changed.notify_one();
    }
    void waitFor(long n) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return count >= n; });
    }
    bool (*accept)(CNetMessage*);
    std::mutex mutex;
    std::condition_variable changed;
    long count = 0;
};

bool isPingAnswer(CNetMessage* m) {
    return m->getType() == CNetMessage::kPing && static_cast<CNetPingMessage*>(m)->isResponse();
}
bool isText(CNetMessage* m) { return m->getType() == CNetMessage::kText; }

void BM_PingRoundTripPeers(benchmark::State& state) {
    CNetworkServer server(nullptr, true);
    if (!server.start(0)) {
        state.SkipWithError("no server");
        return;
    }
    CNetworkClient client(nullptr, false, true);
    Counter answers(isPingAnswer);
    client.addNotifier(&answers);
    if (!client.connect(CXString("127.0.0.1"), server.getPort())) {
        state.SkipWithError("no connection");
        return;
    }
    long sent = 0;
    for (auto _ : state) {
        client.send(new CNetPingMessage(client.getHandle(), static_cast<int32_t>(sent)));
        answers.waitFor(++sent);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    client.disconnect(false);
}
BENCHMARK(BM_PingRoundTripPeers)->UseRealTime();

// The send path: a client sends 100-byte texts in bursts of 64, the server (immediate
// dispatch) counts them; time per frame includes the wait for the burst's last one.
void BM_SendBurstPeers(benchmark::State& state) {
    CNetworkServer server(nullptr, true);
    Counter texts(isText);
    server.addNotifier(&texts);
    if (!server.start(0)) {
        state.SkipWithError("no server");
        return;
    }
    CNetworkClient client(nullptr, false, false);
    if (!client.connect(CXString("127.0.0.1"), server.getPort())) {
        state.SkipWithError("no connection");
        return;
    }
    const CXString text(std::string(99, 'x').c_str());
    long sent = 0;
    for (auto _ : state) {
        for (int i = 0; i < 64; ++i) client.send(new CNetTextMessage(client.getHandle(), text));
        sent += 64;
        texts.waitFor(sent);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 64);
    client.disconnect(false);
}
BENCHMARK(BM_SendBurstPeers)->UseRealTime();

bool readAll(int fd, char* p, size_t n) {
    while (n > 0) {
        const ssize_t r = ::recv(fd, p, n, 0);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t r = ::send(fd, p, n, MSG_NOSIGNAL);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

void BM_PingRoundTripPosixEcho(benchmark::State& state) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        state.SkipWithError("no connection");
        return;
    }
    const int served = ::accept(listener, nullptr, nullptr);
    ::setsockopt(served, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::thread echo([served] {
        char block[1024];
        while (readAll(served, block, sizeof block) && writeAll(served, block, sizeof block)) {
        }
    });
    char block[1024] = {};
    for (auto _ : state) {
        writeAll(client, block, sizeof block);
        readAll(client, block, sizeof block);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    ::shutdown(client, SHUT_RDWR);
    echo.join();
    ::close(client);
    ::close(served);
    ::close(listener);
}
BENCHMARK(BM_PingRoundTripPosixEcho)->UseRealTime();

// Resident memory of this process, in bytes.
long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Eight players flood a server that does not tick with 1000-byte texts until their
// connections close at the bound; the resident growth per connection at that point.
void BM_FloodEightPlayers(benchmark::State& state) {
    constexpr int kPlayers = 8;
    std::vector<char> burst;
    for (int i = 0; i < 100; ++i) {
        std::vector<char> frame(1000, 'f');
        CNetMessage::putInt32(frame.data(), CNetMessage::kText);
        CNetMessage::putInt32(frame.data() + 4, 1000);
        frame.back() = 0;
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    double growth = 0;
    for (auto _ : state) {
        CNetworkServer server(nullptr, false);
        if (!server.start(0)) {
            state.SkipWithError("no server");
            return;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(server.getPort()));
        const long before = residentBytes();
        std::vector<std::thread> flooders;
        for (int i = 0; i < kPlayers; ++i)
            flooders.emplace_back([&] {
                const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
                if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                    // At most 64 MiB each: without a bound the server keeps all of it.
                    for (size_t sent = 0; sent < (64u << 20) && writeAll(fd, burst.data(), burst.size());)
                        sent += burst.size();
                }
                ::close(fd);
            });
        // The peak: every connection closed at its bound, nothing dispatched yet.
        auto allClosed = [&] {
            if (server.getPlayersNo() < kPlayers) return false;
            for (CNetPlayerInfo* player : server.getClients())
                if (!player->getHandle()->isClosed()) return false;
            return true;
        };
        while (!allClosed()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        growth = static_cast<double>(residentBytes() - before) / kPlayers;
        // The records leave at the tick; the flooders' writes then fail.
        while (server.getPlayersNo() > 0) server.tick();
        for (std::thread& t : flooders) t.join();
        server.stop(false);
    }
    state.counters["rss_growth_per_connection_MiB"] = growth / (1 << 20);
}
BENCHMARK(BM_FloodEightPlayers)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// A stream of frames of the given size, pushed 1024 bytes at a time.
std::vector<char> framesOf(int32_t frameSize, size_t total) {
    std::vector<char> bytes;
    while (bytes.size() + static_cast<size_t>(frameSize) <= total) {
        std::vector<char> frame(static_cast<size_t>(frameSize), 'x');
        CNetMessage::putInt32(frame.data(), 99);
        CNetMessage::putInt32(frame.data() + 4, frameSize);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

void BM_Reassembly(benchmark::State& state) {
    const std::vector<char> bytes = framesOf(static_cast<int32_t>(state.range(0)), 1 << 20);
    for (auto _ : state) {
        CMessageStack stack(nullptr);
        for (size_t at = 0; at < bytes.size(); at += 1024) {
            stack.push(bytes.data() + at, static_cast<int>(std::min<size_t>(1024, bytes.size() - at)));
            while (CNetMessage* m = stack.get()) delete m;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Reassembly)->Arg(10268)->Arg(CNetMessage::kMaxFrame);

// The same bytes copied 1024 at a time into one buffer, once more into the frame.
void BM_ReassemblyMemcpy(benchmark::State& state) {
    const std::vector<char> bytes = framesOf(static_cast<int32_t>(state.range(0)), 1 << 20);
    std::vector<char> target(bytes.size());
    for (auto _ : state) {
        for (size_t at = 0; at < bytes.size(); at += 1024)
            std::memcpy(target.data() + at, bytes.data() + at, std::min<size_t>(1024, bytes.size() - at));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReassemblyMemcpy)->Arg(10268)->Arg(CNetMessage::kMaxFrame);

} // namespace

BENCHMARK_MAIN();
