// The POSIX socket layer on loopback: listening on a free port, a second listener on
// it refused, whole sends, sends that never wait, receives woken by shutdown, connects
// that fail, look-ups, and the faults of the test side.
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using platform::kInvalidSocket;
using platform::SocketHandle;

struct Loopback : ::testing::Test {
    Loopback() {
        listener = sockets.open();
        EXPECT_TRUE(sockets.listen(listener, 0, 4));
        port = sockets.localPort(listener);
        EXPECT_GT(port, 0);
    }
    ~Loopback() override {
        for (SocketHandle h : {listener, client, served}) sockets.close(h);
    }
    void connectPair() {
        client = sockets.open();
        ASSERT_TRUE(sockets.connect(client, "127.0.0.1", port, 2000));
        std::string address;
        served = sockets.accept(listener, &address);
        ASSERT_NE(served, kInvalidSocket);
        EXPECT_EQ(address, "127.0.0.1");
    }
    platform::PosixSocketSystem sockets;
    SocketHandle listener = kInvalidSocket, client = kInvalidSocket, served = kInvalidSocket;
    uint16_t port = 0;
};

TEST_F(Loopback, BytesTravelAndShutdownWakesAWaitingReceive) {
    connectPair();
    const std::string big(200000, 'q');
    std::thread sender([&] { EXPECT_TRUE(sockets.sendAll(client, big.data(), big.size())); });
    std::string got;
    char buffer[4096];
    while (got.size() < big.size()) {
        const int64_t n = sockets.receive(served, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        got.append(buffer, static_cast<size_t>(n));
    }
    sender.join();
    EXPECT_EQ(got, big);

    std::atomic<int64_t> result{99};
    std::thread waiting([&] { result = sockets.receive(served, buffer, sizeof buffer); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sockets.shutdown(served);
    waiting.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(sockets.sendAll(served, "x", 1));
}

TEST_F(Loopback, SendSomeTakesWhatFitsAndNeverWaits) {
    connectPair();
    // Nobody reads the served side: the buffers fill and sendSome reports 0 at once.
    const std::string block(65536, 'b');
    int64_t total = 0;
    int64_t last = 1;
    for (int i = 0; i < 4096 && last > 0; ++i) {
        last = sockets.sendSome(client, block.data(), block.size());
        ASSERT_GE(last, 0);
        total += last;
    }
    EXPECT_EQ(last, 0);
    EXPECT_GT(total, 0);
    sockets.shutdown(client);
    EXPECT_EQ(sockets.sendSome(client, block.data(), block.size()), -1);
}

TEST_F(Loopback, APortInUseAndAClosedPortFail) {
    const SocketHandle second = sockets.open();
    EXPECT_FALSE(sockets.listen(second, port, 4));
    sockets.close(second);
    // A shut-down listener ends a waiting accept.
    std::atomic<SocketHandle> accepted{0};
    std::thread waiting([&] { accepted = sockets.accept(listener, nullptr); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sockets.shutdown(listener);
    waiting.join();
    EXPECT_EQ(accepted.load(), kInvalidSocket);
    client = sockets.open();
    EXPECT_FALSE(sockets.connect(client, "127.0.0.1", port, 2000));
    EXPECT_FALSE(sockets.connect(client, "not an address", port, 2000));
}

TEST(Sockets, NamesResolveToDottedAddresses) {
    platform::PosixSocketSystem sockets;
    EXPECT_EQ(sockets.resolve("localhost"), "127.0.0.1");
    EXPECT_EQ(sockets.resolve("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(sockets.resolve("no-such-host.invalid"), "");
    EXPECT_EQ(sockets.resolve(""), "");
    EXPECT_FALSE(sockets.hostName().empty());
}

TEST_F(Loopback, TheTestSideFailsShortensAndResets) {
    connectPair();
    platform::FaultySocketSystem faults;
    faults.failSends(1);
    EXPECT_FALSE(faults.sendAll(client, "abcdef", 6));
    faults.shortSend(2);
    EXPECT_FALSE(faults.sendAll(client, "abcdef", 6));
    EXPECT_TRUE(faults.sendAll(client, "gh", 2));
    EXPECT_EQ(faults.sends(), 3);
    char buffer[16] = {};
    std::string got;
    while (got.size() < 4) {
        const int64_t n = faults.receive(served, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        got.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, "abgh");
    faults.resetReceive();
    EXPECT_EQ(faults.receive(served, buffer, sizeof buffer), -1);
    faults.setHostName("box");
    EXPECT_EQ(faults.hostName(), "box");
}

} // namespace
