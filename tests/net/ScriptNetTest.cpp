// NETSERVER and NETCLIENT in one process over loopback: commands, texts, variables and
// code travel between two scenes, players are named by their hello and found by
// their connection, and the events reach the scripts when the host ticks the peers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/CMC_NetClient.h"
#include "net/CMC_NetServer.h"
#include "net/CNetMessages.h"
#include "net/CNetworkClient.h"
#include "net/CNetworkServer.h"
#include "scene/CMC_SceneBinary.h"
#include "support/ScriptTestSupport.h"
#include "NetTestSupport.h"

namespace {

using nettest::Bare;
using nettest::until;

struct ScriptPeers : ::testing::Test {
    void SetUp() override {
        serverScene = world.loadScene(
            "srv.cnv",
            {"OBJECT=LOG", "LOG:TYPE=STRING", "OBJECT=ONJUMP", "ONJUMP:TYPE=BEHAVIOUR",
             "ONJUMP:CODE={LOG^ADD(\"jump-\");LOG^ADD($1);LOG^ADD(\"-\");LOG^ADD($2);LOG^ADD(\";\");}",
             "OBJECT=ONCMD", "ONCMD:TYPE=BEHAVIOUR", "ONCMD:CODE={LOG^ADD(\"plain;\");}", "OBJECT=ONNEW",
             "ONNEW:TYPE=BEHAVIOUR", "ONNEW:CODE={LOG^ADD(\"new;\");}", "OBJECT=ONDESTROY",
             "ONDESTROY:TYPE=BEHAVIOUR", "ONDESTROY:CODE={LOG^ADD(\"destroy;\");}", "OBJECT=ONTXT",
             "ONTXT:TYPE=BEHAVIOUR", "ONTXT:CODE={LOG^ADD(\"text;\");}", "OBJECT=SCORE", "SCORE:TYPE=INTEGER",
             "SCORE:VALUE=0", "SCORE:NETNOTIFY=TRUE", "SCORE:ONNETCHANGE={LOG^ADD(\"netchange;\");}"},
            "SRV");
        clientScene = world.loadScene(
            "cli.cnv",
            {"OBJECT=LOG", "LOG:TYPE=STRING", "OBJECT=SCORE", "SCORE:TYPE=INTEGER", "SCORE:VALUE=7",
             "OBJECT=ONCLOSED", "ONCLOSED:TYPE=BEHAVIOUR", "ONCLOSED:CODE={LOG^ADD(\"closed;\");}",
             "OBJECT=CODE", "CODE:TYPE=BEHAVIOUR", "CODE:CODE={LOG^ADD(\"ran;\");}"},
            "CLI");
        ASSERT_TRUE(serverScene && clientScene);
        server = new CMC_NetServer(world.window(), nullptr);
        server->setScene(serverScene);
        serverScene->addObject(server);
        client = new CMC_NetClient(world.window(), nullptr);
        client->setScene(clientScene);
        clientScene->addObject(client);
        test::runCode(serverScene,
                      "NETSERVER^ADDBEHAVIOUR(\"ONCOMMAND^JUMP\",\"ONJUMP\");"
                      "NETSERVER^ADDBEHAVIOUR(\"ONCOMMAND\",\"ONCMD\");"
                      "NETSERVER^ADDBEHAVIOUR(\"ONNEWPLAYER\",\"ONNEW\");"
                      "NETSERVER^ADDBEHAVIOUR(\"ONDESTROYPLAYER\",\"ONDESTROY\");"
                      "NETSERVER^ADDBEHAVIOUR(\"ONTEXT\",\"ONTXT\");");
        test::runCode(clientScene, "NETCLIENT^ADDBEHAVIOUR(\"ONCONNECTIONCLOSED\",\"ONCLOSED\");");
        CMC_NetPeer::setPort(0);
        test::runCode(serverScene, "NETSERVER^START();");
        CMC_NetPeer::setPort(server->getServerIfc()->getPort());
    }
    ~ScriptPeers() override { CMC_NetPeer::setPort(CMC_NetPeer::kDefaultPort); }

    // Ticks the peers as the host's frame does until the condition holds.
    bool pump(const std::function<bool()>& condition) {
        return until([&] {
            CMC_NetPeer::tickPeers();
            world.applicationStep();
            return condition();
        });
    }
    std::string serverLog() { return test::textValue(serverScene, "LOG"); }
    std::string clientLog() { return test::textValue(clientScene, "LOG"); }
    bool connectClient() {
        test::runCode(clientScene, "NETCLIENT^CONNECT(\"127.0.0.1\");");
        return client->isConnected() && pump([&] { return serverLog() == "new;"; });
    }

    test::ScriptWorld world;
    test::TestScene* serverScene = nullptr;
    test::TestScene* clientScene = nullptr;
    CMC_NetServer* server = nullptr;
    CMC_NetClient* client = nullptr;
};

TEST_F(ScriptPeers, ACommandRaisesTheCaretEventWithItsArguments) {
    EXPECT_EQ(test::textValue(serverScene, "LOG"), "");
    ASSERT_TRUE(connectClient());
    EXPECT_EQ(server->getLoggedPlayerName(), CXSocket::getHostName());
    test::runCode(clientScene, "NETCLIENT^SENDCMD(\"JUMP\",\"3\",\"fast\");NETCLIENT^SENDCMD(\"WAIT\");");
    ASSERT_TRUE(pump([&] { return serverLog() == "new;jump-3-fast;"; }));
    // WAIT has no handler of its own and raises no plain ONCOMMAND either: a text sent
    // after it arrives with nothing logged in between.
    test::runCode(clientScene, "NETCLIENT^SENDTEXT(\"end\");");
    ASSERT_TRUE(pump([&] { return server->getLatestText().IsString(); }));
    EXPECT_EQ(serverLog(), "new;jump-3-fast;text;");
}

TEST_F(ScriptPeers, TextsGiveTheLatestTextWithTheSender) {
    EXPECT_EQ(test::valueText(CMC_NetPeer_Runner().run(CMC_NetPeer_Runner::kGetLatestText, server, serverScene, nullptr)),
              "");
    Bare bob;
    ASSERT_TRUE(bob.connect(server->getServerIfc()->getPort()));
    bob.send(new CNetHelloMessage(nullptr, CXString("bob")));
    bob.send(new CNetTextMessage(nullptr, CXString("hello")));
    ASSERT_TRUE(pump([&] { return serverLog() == "new;text;"; }));
    EXPECT_STREQ(server->getLatestText().c_str(), "Received text message: 'hello' from bob.\n");
    EXPECT_EQ(server->getLoggedPlayerName(), CXString("bob"));

    test::runCode(clientScene, "NETCLIENT^CONNECT(\"127.0.0.1\");");
    ASSERT_TRUE(pump([&] { return serverLog() == "new;text;new;"; }));
    test::runCode(serverScene, "NETSERVER^SENDTEXT(\"hi\");");
    ASSERT_TRUE(pump([&] { return client->getLatestText().IsString(); }));
    EXPECT_EQ(client->getLatestText(), CXString("Received text message: 'hi' from 127.0.0.1.\n"));
    EXPECT_EQ(bob.receive(1), std::vector<int>{5});
}

TEST_F(ScriptPeers, AVariableUpdatesItsNamesakeWithoutEchoing) {
    ASSERT_TRUE(connectClient());
    test::runCode(clientScene, "NETCLIENT^SENDVARIABLE(\"SCORE\");NETCLIENT^SENDVARIABLE(\"NOSUCH\");");
    ASSERT_TRUE(pump([&] { return test::intValue(serverScene, "SCORE") == 7; }));
    EXPECT_EQ(serverLog(), "new;netchange;");
    // The server's SCORE has NETNOTIFY, yet the received value is not sent back:
    // the next thing the client gets is what the server sends afterwards.
    test::runCode(serverScene, "NETSERVER^SENDTEXT(\"after\");");
    ASSERT_TRUE(pump([&] { return client->getLatestText().IsString(); }));
    EXPECT_EQ(test::intValue(clientScene, "SCORE"), 7);
    // A NETNOTIFY change on the server goes to the client by itself.
    test::runCode(clientScene, "SCORE^SET(1);");
    test::runCode(serverScene, "SCORE^SET(42);");
    ASSERT_TRUE(pump([&] { return test::intValue(clientScene, "SCORE") == 42; }));
}

TEST_F(ScriptPeers, ReceivedCodeRunsOnceAndLeavesNothing) {
    ASSERT_TRUE(connectClient());
    const int before = serverScene->getElementsNo();
    test::runCode(clientScene, "NETCLIENT^SENDBEHAVIOUR(\"CODE\");NETCLIENT^SENDBEHAVIOUR(\"LOG\");");
    ASSERT_TRUE(pump([&] { return serverLog() == "new;ran;"; }));
    world.applicationStep();
    EXPECT_EQ(serverScene->getElementsNo(), before);
    EXPECT_EQ(serverScene->getObject("temp"), nullptr);
}

TEST_F(ScriptPeers, TheRunnersAnswerTheirQueries) {
    ASSERT_NE(CMC_SceneBinary::getPrototype(CMC_NetServer::kType), nullptr);
    ASSERT_NE(CMC_SceneBinary::getPrototype(CMC_NetClient::kType), nullptr);
    test::runCode(serverScene, "SCORE^SET(NETSERVER^GETPLAYERSNO());NETSERVER^SENDCMD();");
    EXPECT_EQ(test::intValue(serverScene, "SCORE"), 0);
    ASSERT_TRUE(connectClient());
    test::runCode(serverScene,
                  "SCORE^SET(NETSERVER^GETPLAYERSNO());LOG^SET(NETSERVER^GETPLAYERNAME(0));"
                  "LOG^ADD(NETSERVER^GETPLAYERNAME(1));LOG^ADD(NETSERVER^ISSTARTED());"
                  "LOG^ADD(NETSERVER^GETLOGGEDPLAYERNAME());");
    EXPECT_EQ(test::intValue(serverScene, "SCORE"), 1);
    const std::string host = CXSocket::getHostName().c_str();
    EXPECT_EQ(serverLog(), host + "TRUE" + host);
    test::runCode(clientScene, "LOG^SET(NETCLIENT^ISCONNECTED());NETCLIENT^DISCONNECT();"
                               "LOG^ADD(NETCLIENT^ISCONNECTED());LOG^ADD(NETCLIENT^GETLATESTTEXT());");
    EXPECT_EQ(clientLog(), "TRUEFALSE");
}

TEST_F(ScriptPeers, PlayersOfOneAddressKeepTheirOwnRecords) {
    Bare ann, bob;
    const int port = server->getServerIfc()->getPort();
    ASSERT_TRUE(ann.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 1; }));
    ASSERT_TRUE(bob.connect(port));
    ASSERT_TRUE(until([&] { return server->getPlayersNo() == 2; }));
    // The second connection greets first: it renames its own record, not the first.
    bob.send(new CNetHelloMessage(nullptr, CXString("bob")));
    ASSERT_TRUE(pump([&] { return serverLog() == "new;"; }));
    EXPECT_EQ(server->getPlayer(0), CXString("127.0.0.1"));
    EXPECT_EQ(server->getPlayer(1), CXString("bob"));
    ann.send(new CNetHelloMessage(nullptr, CXString("ann")));
    ASSERT_TRUE(pump([&] { return serverLog() == "new;new;"; }));
    EXPECT_EQ(server->getPlayer(0), CXString("ann"));
    EXPECT_EQ(server->getPlayer(2), CXString());

    // A goodbye removes the sender's record.
    bob.send(new CNetMessage(nullptr, CNetMessage::kGoodbye));
    ASSERT_TRUE(pump([&] { return serverLog() == "new;new;destroy;"; }));
    ASSERT_EQ(server->getPlayersNo(), 1);
    EXPECT_EQ(server->getPlayer(0), CXString("ann"));
    EXPECT_TRUE(bob.closedByPeer());
}

TEST_F(ScriptPeers, MessagesGoToEachRecordOnItsOwnSocket) {
    Bare first, second;
    const int port = server->getServerIfc()->getPort();
    for (Bare* b : {&first, &second}) {
        ASSERT_TRUE(b->connect(port));
        b->send(new CNetHelloMessage(nullptr, CXString("twin")));
    }
    ASSERT_TRUE(pump([&] { return serverLog() == "new;new;"; }));
    test::runCode(serverScene, "NETSERVER^SENDTEXT(\"all\");NETSERVER^SENDTEXT(\"twin\",\"one\");"
                               "NETSERVER^SENDTEXT(\"nobody\",\"none\");");
    EXPECT_EQ(first.receive(2), (std::vector<int>{5, 5}));
    EXPECT_EQ(second.receive(2, 300), std::vector<int>{5});
}

TEST_F(ScriptPeers, ALostConnectionRaisesOnConnectionClosedButDisconnectDoesNot) {
    ASSERT_TRUE(connectClient());
    test::runCode(clientScene, "NETCLIENT^DISCONNECT();");
    ASSERT_TRUE(pump([&] { return serverLog() == "new;destroy;"; }));
    EXPECT_FALSE(client->isConnected());
    EXPECT_EQ(clientLog(), "");

    test::runCode(clientScene, "NETCLIENT^CONNECT(\"127.0.0.1\");");
    ASSERT_TRUE(pump([&] { return serverLog() == "new;destroy;new;"; }));
    test::runCode(serverScene, "NETSERVER^STOP();");
    EXPECT_FALSE(server->isStarted());
    ASSERT_TRUE(pump([&] { return clientLog() == "closed;"; }));
    EXPECT_FALSE(client->isConnected());
    EXPECT_EQ(serverLog(), "new;destroy;new;");  // stop raises nothing
}

} // namespace
