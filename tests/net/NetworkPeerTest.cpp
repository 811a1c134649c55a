// Client and server over real sockets on loopback: connecting, the hello, queues
// until tick, goodbyes, lost and hostile connections, limits and failing sends, and
// peers that do not read, flood, stall, fall silent or send code unannounced.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "net/CNetworkClient.h"
#include "net/CNetworkServer.h"
#include "platform/Clock.h"
#include "NetTestSupport.h"

namespace {

using nettest::Bare;
using nettest::LogListener;
using nettest::until;
using Log = std::vector<std::string>;

struct Peers : ::testing::Test {
    Peers() {
        server = std::make_unique<CNetworkServer>(nullptr, false);
        server->addNotifier(&serverLog);
        EXPECT_TRUE(server->start(0));
        port = server->getPort();
        EXPECT_GT(port, 0);
    }
    std::unique_ptr<CNetworkClient> makeClient() {
        auto client = std::make_unique<CNetworkClient>(nullptr, true, false);
        client->addNotifier(&clientLog);
        return client;
    }
    // Ticks the server until its listeners heard `n` lines in all.
    bool serverHears(size_t n) {
        return until([&] {
            server->tick();
            return serverLog.log.size() >= n;
        });
    }
    std::string hostHello() { return "type 7 " + std::string(CXSocket::getHostName().c_str()); }

    LogListener serverLog;
    LogListener clientLog;
    std::unique_ptr<CNetworkServer> server;
    int port = 0;
};

TEST_F(Peers, AClientGreetsOnceAndMessagesWaitForTick) {
    auto client = makeClient();
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
    EXPECT_TRUE(client->connect(CXString("127.0.0.1"), port));
    EXPECT_TRUE(client->isConnected());
    EXPECT_EQ(client->getHostName(), CXString("127.0.0.1"));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    EXPECT_EQ(server->getPlayer(0)->getName(), CXString("127.0.0.1"));

    for (const char* t : {"one", "two", "three"}) client->send(new CNetTextMessage(client->getHandle(), CXString(t)));
    ASSERT_TRUE(until([&] { return server->queuedCount() == 4; }));
    EXPECT_TRUE(serverLog.log.empty());
    server->tick();
    EXPECT_EQ(serverLog.log, (Log{hostHello(), "type 5 one", "type 5 two", "type 5 three"}));
    EXPECT_EQ(server->queuedCount(), 0);
    EXPECT_TRUE(server->getPlayer(0)->hasGreeted());

    // The server's texts reach the client in order, its pings are answered.
    // Sent on the player's socket whatever socket the message was built with.
    ASSERT_TRUE(server->send(CXString("127.0.0.1"), new CNetTextMessage(nullptr, CXString("back"))));
    client->send(new CNetPingMessage(client->getHandle(), 5));
    ASSERT_TRUE(until([&] {
        server->tick();
        client->tick();
        return clientLog.log.size() >= 2;
    }));
    EXPECT_EQ(clientLog.log, (Log{"type 5 back", "type 6"}));
}

TEST_F(Peers, FailedConnectsLeaveTheClientUnconnected) {
    auto client = makeClient();
    const int closedPort = port;
    server->stop(false);
    EXPECT_FALSE(client->connect(CXString("127.0.0.1"), closedPort));
    EXPECT_FALSE(client->connect(CXString("no-such-host.invalid"), closedPort));
    EXPECT_FALSE(client->connect(CXString("999.1.1.1"), closedPort));
    EXPECT_FALSE(client->isConnected());
    EXPECT_EQ(client->getHandle(), nullptr);
    client->disconnect(true);
    client->tick();
    EXPECT_TRUE(clientLog.log.empty());
}

TEST_F(Peers, APortInUseLeavesTheSecondServerStopped) {
    CNetworkServer second(nullptr, false);
    EXPECT_FALSE(second.start(port));
    EXPECT_FALSE(second.isStarted());
    EXPECT_EQ(second.getHandle(), nullptr);
    EXPECT_TRUE(second.start(0));
}

TEST_F(Peers, DisconnectSaysGoodbyeOnlyWhenAsked) {
    for (bool goodbye : {true, false}) {
        SCOPED_TRACE(goodbye);
        serverLog.log.clear();
        auto client = makeClient();
        ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
        ASSERT_TRUE(serverHears(1));
        client->disconnect(goodbye);
        EXPECT_FALSE(client->isConnected());
        ASSERT_TRUE(until([&] {
            server->tick();
            return server->getPlayersNo() == 0;
        }));
        const std::string name = CXSocket::getHostName().c_str();
        if (goodbye)
            EXPECT_EQ(serverLog.log, (Log{hostHello(), "type 4", "destroy 127.0.0.1"}));
        else
            EXPECT_EQ(serverLog.log, (Log{hostHello(), "destroy 127.0.0.1"}));
        client->tick();
        EXPECT_TRUE(clientLog.log.empty());  // no ONCONNECTIONCLOSED after disconnect
    }
}

TEST_F(Peers, DestroyingAConnectedClientSaysGoodbye) {
    auto client = makeClient();
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
    ASSERT_TRUE(serverHears(1));
    client.reset();
    EXPECT_EQ(CNetworkClient::getInstance(), nullptr);
    ASSERT_TRUE(serverHears(3));
    EXPECT_EQ(serverLog.log[1], "type 4");
}

TEST_F(Peers, StopSaysGoodbyeToEveryPlayerAndStartListensAgain) {
    Bare a, b;
    ASSERT_TRUE(a.connect(port));
    ASSERT_TRUE(b.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 2; }));
    server->stop(true);
    EXPECT_EQ(server->getPlayersNo(), 0);
    EXPECT_FALSE(server->isStarted());
    EXPECT_EQ(a.receive(2), std::vector<int>{4});
    EXPECT_EQ(b.receive(2), std::vector<int>{4});
    EXPECT_TRUE(a.socket->isClosed());
    EXPECT_TRUE(serverLog.log.empty());  // stop tells no listener

    ASSERT_TRUE(server->start(0));
    Bare c;
    EXPECT_TRUE(c.connect(server->getPort()));
    EXPECT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
}

TEST_F(Peers, SendsByNameFindTheFirstPlayerAndNoOne) {
    Bare a, b;
    ASSERT_TRUE(a.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    ASSERT_TRUE(b.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 2; }));
    EXPECT_EQ(server->find(CXString("127.0.0.1")), server->getPlayer(0));
    EXPECT_EQ(server->findBySocket(server->getPlayer(1)->getHandle()), server->getPlayer(1));
    auto* message = new CNetTextMessage(nullptr, CXString("x"));
    EXPECT_FALSE(server->send(CXString("nobody"), message));
    delete message;  // still the caller's
    EXPECT_TRUE(server->send(CXString("127.0.0.1"), new CNetTextMessage(nullptr, CXString("x"))));
    EXPECT_EQ(a.receive(1), std::vector<int>{5});
    EXPECT_EQ(b.receive(1, 200), std::vector<int>{});
}

TEST_F(Peers, AKilledPeerIsNoticedAtTheNextTick) {
    // A greeted player that vanishes leaves with ONDESTROYPLAYER; one that never said
    // hello leaves silently.
    Bare greeted, silent;
    ASSERT_TRUE(greeted.connect(port));
    ASSERT_TRUE(greeted.send(new CNetHelloMessage(nullptr, CXString("ann"))));
    ASSERT_TRUE(serverHears(1));
    ASSERT_TRUE(silent.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 2; }));
    greeted.socket.reset();
    silent.socket.reset();
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 0;
    }));
    EXPECT_EQ(serverLog.log, (Log{"type 7 ann", "destroy 127.0.0.1"}));

    // The client side: the server goes away.
    auto client = makeClient();
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), server->getPort()));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    server->stop(false);
    ASSERT_TRUE(until([&] {
        client->tick();
        return !client->isConnected();
    }));
    EXPECT_EQ(clientLog.log, Log{"closed"});
    EXPECT_EQ(client->getHandle(), nullptr);
}

TEST_F(Peers, AMalformedFrameClosesAfterTheFramesBeforeIt) {
    Bare bare;
    ASSERT_TRUE(bare.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    ASSERT_TRUE(bare.send(new CNetHelloMessage(nullptr, CXString("bob"))));
    std::vector<unsigned char> bytes = {5, 0, 0, 0, 11, 0, 0, 0, 'o', 'k', 0,  // text "ok"
                                        5, 0, 0, 0, 10, 0, 0, 0, 'n', 'o'};     // text without NUL
    ASSERT_TRUE(bare.sendBytes(bytes));
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 0;
    }));
    EXPECT_EQ(serverLog.log, (Log{"type 7 bob", "type 5 ok", "destroy 127.0.0.1"}));
    EXPECT_TRUE(bare.closedByPeer());
}

TEST_F(Peers, SilenceAndHalfFramesAreCutAfterThirtySecondsOfNetTime) {
    platform::ManualClock clock(1000);
    CXSocket::setClock(&clock);
    Bare silent, half;
    ASSERT_TRUE(silent.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    ASSERT_TRUE(half.connect(port));
    ASSERT_TRUE(half.send(new CNetHelloMessage(nullptr, CXString("cy"))));
    ASSERT_TRUE(serverHears(1));
    ASSERT_TRUE(half.sendBytes({5, 0, 0, 0, 100, 0, 0, 0, 'a'}));
    CXSocket* halfSocket = server->getPlayer(1)->getHandle();
    ASSERT_TRUE(until([&] { return halfSocket->partialSince() >= 0; }));

    clock.advance(CNetworkServer::kIdleLimitMs - 1);
    server->tick();
    EXPECT_EQ(server->getPlayersNo(), 2);
    clock.advance(1);
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 0;
    }));
    EXPECT_EQ(serverLog.log, (Log{"type 7 cy", "destroy 127.0.0.1"}));
    EXPECT_TRUE(silent.closedByPeer());
    EXPECT_TRUE(half.closedByPeer());
    CXSocket::setClock(nullptr);
}

TEST_F(Peers, ConnectionsPastThirtyTwoPlayersAreClosedAtOnce) {
    std::vector<std::unique_ptr<Bare>> players;
    for (int i = 0; i < CNetworkServer::kMaxPlayers; ++i) {
        players.push_back(std::make_unique<Bare>());
        ASSERT_TRUE(players.back()->connect(port));
        ASSERT_TRUE(until([&] { return server->getPlayersNo() == i + 1; }));
    }
    Bare extra;
    ASSERT_TRUE(extra.connect(port));
    EXPECT_TRUE(extra.closedByPeer());
    EXPECT_EQ(server->getPlayersNo(), CNetworkServer::kMaxPlayers);
    EXPECT_FALSE(players[0]->closedByPeer(50));
}

TEST_F(Peers, AFailedOrShortSendClosesTheConnection) {
    platform::FaultySocketSystem faults;
    platform::ScopedSocketSystem scoped(faults);
    struct Fault {
        const char* what;
        std::function<void()> inject;
    };
    const Fault cases[] = {
        {"failed", [&] { faults.failSends(1); }},
        {"short", [&] { faults.shortSend(3); }},
    };
    for (const Fault& fault : cases) {
        SCOPED_TRACE(fault.what);
        clientLog.log.clear();
        auto client = makeClient();
        ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
        fault.inject();
        EXPECT_FALSE(client->send(new CNetTextMessage(client->getHandle(), CXString("lost"))));
        EXPECT_FALSE(client->send(new CNetTextMessage(client->getHandle(), CXString("after"))));
        ASSERT_TRUE(until([&] {
            client->tick();
            return !client->isConnected();
        }));
        EXPECT_EQ(clientLog.log, Log{"closed"});
    }
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 0;
    }));
}

TEST_F(Peers, AResetOrAStallIsHandled) {
    platform::FaultySocketSystem faults;
    platform::ScopedSocketSystem scoped(faults);
    auto client = makeClient();
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
    ASSERT_TRUE(serverHears(1));
    // A reset: the client's next receive fails (the one the text wakes, or the one
    // after it), and the connection ends.
    faults.resetReceive();
    server->sendTo(server->getPlayer(0), new CNetTextMessage(nullptr, CXString("wake")));
    ASSERT_TRUE(until([&] {
        client->tick();
        return !client->isConnected();
    }));
    ASSERT_FALSE(clientLog.log.empty());
    EXPECT_EQ(clientLog.log.back(), "closed");
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 0;
    }));

    // A stalled receiver still stops when the client disconnects.
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    faults.stallReceives(true);
    server->sendTo(server->getPlayer(0), new CNetTextMessage(nullptr, CXString("held")));
    client->disconnect(true);
    faults.stallReceives(false);
    EXPECT_FALSE(client->isConnected());
}

// ---- hostile peers ----------------------------------------------------------------------

// A raw frame of the type with a text body.
std::vector<unsigned char> textFrame(int type, const std::string& text) {
    const auto length = static_cast<int32_t>(CNetMessage::kHeaderSize + text.size() + 1);
    std::vector<unsigned char> bytes(static_cast<size_t>(length), 0);
    CNetMessage::putInt32(reinterpret_cast<char*>(bytes.data()), type);
    CNetMessage::putInt32(reinterpret_cast<char*>(bytes.data()) + 4, length);
    std::copy(text.begin(), text.end(), bytes.begin() + CNetMessage::kHeaderSize);
    return bytes;
}

std::vector<unsigned char> bytesOf(CNetMessage* message) {
    std::unique_ptr<CNetMessage> owned(message);
    return std::vector<unsigned char>(message->getBuffer(), message->getBuffer() + message->getBufferLen());
}

TEST_F(Peers, APeerThatNeverReadsIsClosedWhileTheTicksGoOn) {
    Bare deaf;
    const int small = 4096;
    ::setsockopt(deaf.socket->getHandle(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ASSERT_TRUE(deaf.connect(port));
    ASSERT_TRUE(deaf.send(new CNetHelloMessage(nullptr, CXString("deaf"))));
    ASSERT_TRUE(serverHears(1));
    CXSocket* served = server->getPlayer(0)->getHandle();
    std::vector<unsigned char> pings;
    for (int i = 0; i < 64; ++i) {
        const auto one = bytesOf(new CNetPingMessage(nullptr, i));
        pings.insert(pings.end(), one.begin(), one.end());
    }
    // Every pass sends what the server takes of 64 pings, without waiting, and ticks
    // once; each tick answers them. Without the outgoing queue the first answer that
    // does not fit blocks the tick for good.
    size_t at = 0;
    int backloggedTicks = 0;
    int64_t mostUnsent = 0;
    ASSERT_TRUE(until(
        [&] {
            const int64_t n = platform::socketSystem().sendSome(deaf.socket->getHandle(), pings.data() + at,
                                                                pings.size() - at);
            if (n > 0) at = (at + static_cast<size_t>(n)) % pings.size();
            const int64_t unsent = served->isClosed() ? 0 : served->unsentBytes();
            server->tick();
            if (unsent > 0) ++backloggedTicks;
            mostUnsent = std::max(mostUnsent, unsent);
            return server->getPlayersNo() == 0;
        },
        20000));
    EXPECT_GT(backloggedTicks, 0);
    EXPECT_LE(mostUnsent, CXSocket::kMaxUnsent);
    ASSERT_FALSE(serverLog.log.empty());
    EXPECT_EQ(serverLog.log.back(), "destroy 127.0.0.1");
}

TEST_F(Peers, AFloodPastTheBoundClosesTheFlooderAlone) {
    Bare flooder, quiet;
    ASSERT_TRUE(flooder.connect(port));
    ASSERT_TRUE(flooder.send(new CNetHelloMessage(nullptr, CXString("flood"))));
    ASSERT_TRUE(serverHears(1));
    ASSERT_TRUE(quiet.connect(port));
    ASSERT_TRUE(quiet.send(new CNetHelloMessage(nullptr, CXString("quiet"))));
    ASSERT_TRUE(serverHears(2));
    CXSocket* flooded = server->getPlayer(0)->getHandle();
    CNetPlayerInfo* kept = server->getPlayer(1);
    // No tick while the flood comes: 6 MiB of 1000-byte texts, in bursts of 100.
    std::vector<unsigned char> burst;
    for (int i = 0; i < 100; ++i) {
        const auto one = textFrame(CNetMessage::kText, std::string(991, 'f'));
        burst.insert(burst.end(), one.begin(), one.end());
    }
    for (int sent = 0; sent < 6 << 20 && flooder.sendBytes(burst); sent += static_cast<int>(burst.size())) {
    }
    ASSERT_TRUE(until([&] { return flooded->isClosed(); }));
    EXPECT_LE(static_cast<int64_t>(server->queuedCount()) * 1000, CXSocket::kMaxHeld);
    ASSERT_TRUE(quiet.sendBytes(textFrame(CNetMessage::kText, "still here")));
    // One tick may take the quiet text with the flood's last frames, before the
    // flooder's record leaves; the order of the two lines is not fixed.
    const auto heard = [&](const char* line) {
        return std::find(serverLog.log.begin(), serverLog.log.end(), line) != serverLog.log.end();
    };
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 1 && heard("type 5 still here");
    }));
    EXPECT_EQ(server->getPlayer(0), kept);
    EXPECT_TRUE(heard("destroy 127.0.0.1"));
    EXPECT_TRUE(flooder.closedByPeer());
    EXPECT_FALSE(quiet.closedByPeer(50));
}

TEST_F(Peers, OnlyOneFrameHeldThirtySecondsIsCut) {
    platform::ManualClock clock(1000);
    CXSocket::setClock(&clock);
    Bare steady;
    ASSERT_TRUE(steady.connect(port));
    ASSERT_TRUE(steady.send(new CNetHelloMessage(nullptr, CXString("steady"))));
    ASSERT_TRUE(serverHears(1));
    CXSocket* served = server->getPlayer(0)->getHandle();
    // Each step completes a text and sends half of the next, 10 s apart: 80 s in all,
    // never one frame incomplete for 30 s.
    const auto frame = textFrame(CNetMessage::kText, "tick");
    const size_t half = frame.size() / 2;
    ASSERT_TRUE(steady.sendBytes({frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(half)}));
    for (size_t step = 1; step <= 8; ++step) {
        ASSERT_TRUE(until([&] { return served->partialSince() == static_cast<int64_t>(clock.tickCount()); }));
        clock.advance(10000);
        std::vector<unsigned char> piece(frame.begin() + static_cast<std::ptrdiff_t>(half), frame.end());
        piece.insert(piece.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(half));
        ASSERT_TRUE(steady.sendBytes(piece));
        ASSERT_TRUE(serverHears(1 + step));
        EXPECT_EQ(server->getPlayersNo(), 1);
    }
    // The last half stays: cut at 30 s, not before.
    ASSERT_TRUE(until([&] { return served->partialSince() == static_cast<int64_t>(clock.tickCount()); }));
    clock.advance(CNetworkServer::kIdleLimitMs - 1);
    server->tick();
    EXPECT_FALSE(served->isClosed());
    clock.advance(1);
    server->tick();
    EXPECT_TRUE(served->isClosed());
    EXPECT_TRUE(steady.closedByPeer());
    CXSocket::setClock(nullptr);
}

TEST_F(Peers, SilentPeersArePingedAtThirtySecondsAndClosedAtSixty) {
    platform::ManualClock clock(1000);
    CXSocket::setClock(&clock);
    Bare silent;
    ASSERT_TRUE(silent.connect(port));
    ASSERT_TRUE(silent.send(new CNetHelloMessage(nullptr, CXString("mute"))));
    ASSERT_TRUE(serverHears(1));
    CNetPlayerInfo* mute = server->getPlayer(0);
    auto client = makeClient();
    ASSERT_TRUE(client->connect(CXString("127.0.0.1"), port));
    ASSERT_TRUE(serverHears(2));

    clock.advance(CXSocket::kQuietLimitMs - 1);
    server->tick();
    EXPECT_EQ(silent.receive(1, 100), std::vector<int>{});
    clock.advance(1);
    server->tick();
    EXPECT_EQ(silent.receive(1), std::vector<int>{CNetMessage::kPing});
    // The client answers in its tick; the server hears the answer.
    ASSERT_TRUE(until([&] {
        client->tick();
        server->tick();
        return serverLog.log.size() >= 3;
    }));
    EXPECT_EQ(serverLog.log.back(), "type 6");

    clock.advance(CXSocket::kQuietLimitMs - 1);
    server->tick();
    EXPECT_EQ(server->getPlayersNo(), 2);
    clock.advance(1);
    ASSERT_TRUE(until([&] {
        server->tick();
        return server->getPlayersNo() == 1;
    }));
    EXPECT_NE(server->getPlayer(0), mute);
    EXPECT_EQ(serverLog.log.back(), "destroy 127.0.0.1");
    EXPECT_TRUE(silent.closedByPeer());

    // The client does the same towards a server that stops answering (it no longer ticks).
    clientLog.log.clear();
    clock.advance(CXSocket::kQuietLimitMs);
    client->tick();
    clock.advance(CXSocket::kQuietLimitMs);
    ASSERT_TRUE(until([&] {
        client->tick();
        return !client->isConnected();
    }));
    EXPECT_EQ(clientLog.log.back(), "closed");
    CXSocket::setClock(nullptr);
}

TEST_F(Peers, CodeCommandsAndFilesBeforeTheHelloCloseTheConnectionUnheard) {
    struct Case {
        const char* what;
        std::vector<unsigned char> frame;
    };
    const Case cases[] = {
        {"code", textFrame(CNetMessage::kBehaviour, "SYSTEM^COPYFILE(\"a\",\"b\");")},
        {"command", bytesOf(new CNetCmdMessage(nullptr, CXString("GO"), nullptr))},
        {"file request", bytesOf(new CNetFileRequestMessage(nullptr, 1, CXString(), CXString(), CXString("x")))},
        {"file data", bytesOf(new CNetFileDataMessage(nullptr, 1, 1, 0, 0, 2, "ab"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        serverLog.log.clear();
        Bare stranger;
        ASSERT_TRUE(stranger.connect(port));
        // A text is no harm; the frame after it ends the connection, and the hello
        // behind it does not greet.
        std::vector<unsigned char> bytes = textFrame(CNetMessage::kText, "hi");
        bytes.insert(bytes.end(), c.frame.begin(), c.frame.end());
        const auto hello = bytesOf(new CNetHelloMessage(nullptr, CXString("late")));
        bytes.insert(bytes.end(), hello.begin(), hello.end());
        ASSERT_TRUE(stranger.sendBytes(bytes));
        ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
        ASSERT_TRUE(until([&] {
            server->tick();
            return server->getPlayersNo() == 0;
        }));
        EXPECT_EQ(serverLog.log, Log{"type 5 hi"});
        EXPECT_TRUE(stranger.closedByPeer());
    }
    // After the hello the same frames are heard.
    Bare greeted;
    ASSERT_TRUE(greeted.connect(port));
    std::vector<unsigned char> bytes = bytesOf(new CNetHelloMessage(nullptr, CXString("known")));
    for (const Case& c : cases) bytes.insert(bytes.end(), c.frame.begin(), c.frame.end());
    ASSERT_TRUE(greeted.sendBytes(bytes));
    serverLog.log.clear();
    ASSERT_TRUE(serverHears(5));
    EXPECT_EQ(serverLog.log, (Log{"type 7 known", "type 3", "type 1", "type 8", "type 10"}));
    EXPECT_EQ(server->getPlayersNo(), 1);
}

} // namespace
