// Frames of the network protocol: the bytes each message class builds, what the
// parsers read back, the checks on received frames, reassembly of a stream into
// frames and the dispatch of one frame to the listeners.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArray.h"
#include "net/CMessageStack.h"
#include "net/CNetListener.h"
#include "net/CNetMessageProcessor.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "support/ScriptTestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const CNetMessage& m) {
    const auto* b = reinterpret_cast<const unsigned char*>(m.getBuffer());
    return Bytes(b, b + m.getBufferLen());
}

Bytes le(std::initializer_list<int32_t> values) {
    Bytes out;
    for (int32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes text(const char* s) { return Bytes(s, s + std::strlen(s) + 1); }

// A raw message holding the bytes as a received frame.
std::unique_ptr<CNetMessage> raw(const Bytes& frame, CXSocket* socket = nullptr) {
    return std::make_unique<CNetMessage>(socket, reinterpret_cast<const char*>(frame.data()));
}

struct Args {
    CXArray list{4, 0.75f};
    std::vector<std::unique_ptr<CXString>> texts;
    Args(std::initializer_list<const char*> values) {
        for (const char* v : values) {
            texts.push_back(std::make_unique<CXString>(v));
            list.add(texts.back().get());
        }
    }
};

TEST(NetMessage, BuiltFramesHaveTheProtocolsBytes) {
    test::ScriptWorld world;
    Args jump{"3", "fast"};
    CNetCmdMessage command(nullptr, CXString("JUMP"), &jump.list);
    EXPECT_EQ(bytesOf(command), cat({le({1, 20}), text("JUMP"), text("3"), text("fast")}));

    CMC_Integer a{CXString("A")};
    a.setValue(5);
    CNetVariableMessage variable(nullptr, &a);
    EXPECT_EQ(bytesOf(variable), cat({le({2, 18}), text("A"), le({1, 5})}));
    EXPECT_EQ(variable.getDataOffset(), 10);

    EXPECT_EQ(bytesOf(CNetMessage(nullptr, CNetMessage::kGoodbye)), le({4, 8}));
    EXPECT_EQ(bytesOf(CNetTextMessage(nullptr, CXString())), cat({le({5, 9}), Bytes{0}}));
    EXPECT_EQ(bytesOf(CNetHelloMessage(nullptr, CXString("bob"))), cat({le({7, 12}), text("bob")}));
    EXPECT_EQ(bytesOf(CNetBehaviourMessage(nullptr, CXString("{X;}"))), cat({le({3, 13}), text("{X;}")}));

    CNetPingMessage ping(nullptr, 77);
    ASSERT_EQ(ping.getBufferLen(), 1024);
    const Bytes pingBytes = bytesOf(ping);
    EXPECT_EQ(le({6, 1024, 77, 0}), Bytes(pingBytes.begin(), pingBytes.begin() + 16));
    CNetPingMessage answer(CXString(), &ping, true);
    EXPECT_TRUE(answer.isResponse());
    EXPECT_EQ(answer.getTime(), 77);

    EXPECT_EQ(bytesOf(CNetFileRequestMessage(nullptr, 3, CXString(), CXString(), CXString("f.txt"))),
              cat({le({8, 24, 3, -1}), Bytes{0, 0}, text("f.txt")}));
    EXPECT_EQ(bytesOf(CNetFileResponseMessage(nullptr, 3, 9, 100, 100)), le({9, 24, 3, 9, 100, 100}));
    const char data[3] = {'x', 'y', 'z'};
    EXPECT_EQ(bytesOf(CNetFileDataMessage(nullptr, 3, 9, 0, 200, 3, data)),
              cat({le({10, 31, 3, 9, 0, 200, 3}), Bytes{'x', 'y', 'z'}}));
}

TEST(NetMessage, ParsersReadWhatTheBuildersWrote) {
    test::ScriptWorld world;
    Args none{};
    CNetCmdMessage bare(nullptr, CXString("GO"), &none.list);
    EXPECT_EQ(bare.getBufferLen(), 11);
    CNetCmdMessage bareBack(CXString("peer"), &bare);
    EXPECT_EQ(bareBack.getCommand(), CXString("GO"));
    EXPECT_EQ(bareBack.getParams(), nullptr);
    EXPECT_EQ(bareBack.getSenderName(), CXString("peer"));

    Args empties{"", "b", ""};
    CNetCmdMessage command(nullptr, CXString("C"), &empties.list);
    CNetCmdMessage back(CXString(), &command);
    ASSERT_NE(back.getParams(), nullptr);
    ASSERT_EQ(back.getParams()->getCount(), 3);
    EXPECT_EQ(*back.getParams()->stringAt(0), CXString(""));
    EXPECT_EQ(*back.getParams()->stringAt(1), CXString("b"));
    EXPECT_EQ(*back.getParams()->stringAt(2), CXString(""));

    CMC_String s{CXString("NAME")};
    s.setValue(CXString("zed"));
    CNetVariableMessage variable(nullptr, &s);
    CNetVariableMessage variableBack(CXString(), &variable);
    EXPECT_STREQ(variableBack.getVariableName(), "NAME");
    EXPECT_EQ(variableBack.getVariableType(), 2);
    CMC_Variable* value = variableBack.getVariable();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->toString(), CXString("zed"));
    CMC_Object::flush(value);

    CNetFileRequestMessage request(nullptr, 5, CXString("dir"), CXString("sub"), CXString("f"));
    CNetFileRequestMessage requestBack(CXString(), &request);
    EXPECT_EQ(requestBack.getReceiverId(), 5);
    EXPECT_EQ(requestBack.getSenderId(), -1);
    EXPECT_EQ(requestBack.getFolder(), CXString("dir"));
    EXPECT_EQ(requestBack.getSubfolder(), CXString("sub"));
    EXPECT_EQ(requestBack.getFileName(), CXString("f"));

    CNetFileResponseMessage response(nullptr, 1, 2, 3, 4);
    CNetFileResponseMessage responseBack(CXString(), &response);
    EXPECT_EQ(responseBack.getReceiverId() * 1000 + responseBack.getSenderId() * 100 + responseBack.getFileSize() * 10 +
                  responseBack.getBytesToTransfer(),
              1234);

    CNetFileDataMessage data(nullptr, 1, 2, 0, 10240, 2, "ab");
    CNetFileDataMessage dataBack(CXString(), &data);
    EXPECT_EQ(dataBack.getOffset(), 10240);
    EXPECT_EQ(dataBack.getSize(), 2);
    EXPECT_EQ(std::string(dataBack.getData(), 2), "ab");
}

TEST(NetMessage, FramesAboveOneMebibyteAreNotBuilt) {
    CNetTextMessage huge(nullptr, CXString(std::string(CNetMessage::kMaxFrame, 'x').c_str()));
    EXPECT_EQ(huge.getBufferLen(), 0);
    CNetTextMessage largest(nullptr, CXString(std::string(CNetMessage::kMaxFrame - 9, 'x').c_str()));
    EXPECT_EQ(largest.getBufferLen(), CNetMessage::kMaxFrame);
}

// Received frames that a reader would read beyond: each is refused before parsing.
TEST(NetMessage, MalformedFramesAreRefused) {
    struct Case {
        const char* what;
        Bytes frame;
        bool wellFormed;
    };
    const Case cases[] = {
        {"command ending in its text", cat({le({1, 12}), Bytes{'J', 'U', 'M', 'P'}}), false},
        {"command with an open argument", cat({le({1, 12}), Bytes{'G', 0, 'x', 'y'}}), false},
        {"command", cat({le({1, 12}), Bytes{'G', 0, 'x', 0}}), true},
        {"empty command frame", le({1, 8}), false},
        {"behaviour without NUL", cat({le({3, 10}), Bytes{'a', 'b'}}), false},
        {"text without NUL", cat({le({5, 9}), Bytes{'a'}}), false},
        {"hello without NUL", cat({le({7, 11}), Bytes{'b', 'o', 'b'}}), false},
        {"variable name without NUL", cat({le({2, 10}), Bytes{'A', 'B'}}), false},
        {"variable without its tag", cat({le({2, 12}), Bytes{'A', 0, 1, 0}}), false},
        {"integer variable cut short", cat({le({2, 16}), text("A"), le({1}), Bytes{5, 0}}), false},
        {"string variable without NUL", cat({le({2, 16}), text("A"), le({2}), Bytes{'z', 'z'}}), false},
        {"string variable", cat({le({2, 16}), text("A"), le({2}), Bytes{'z', 0}}), true},
        {"double variable cut short", cat({le({2, 18}), text("A"), le({4, 0})}), false},
        {"unknown variable tag", cat({le({2, 14}), text("A"), le({9})}), true},
        {"short ping", le({6, 16, 1, 0}), false},
        {"short response", le({9, 20, 1, 2, 3}), false},
        {"long response", le({9, 28, 1, 2, 3, 4, 5}), false},
        {"request without file name", cat({le({8, 18, 1, -1}), Bytes{0, 0}}), false},
        {"request", cat({le({8, 19, 1, -1}), Bytes{0, 0, 0}}), true},
        {"data past its n", cat({le({10, 30, 1, 2, 0, 0, 4}), Bytes{1, 2}}), false},
        {"data short of its n", cat({le({10, 30, 1, 2, 0, 0, 1}), Bytes{1, 2}}), false},
        {"data with negative n", le({10, 28, 1, 2, 0, 0, -1}), false},
        {"empty data", le({10, 28, 1, 2, 0, 0, 0}), true},
        {"goodbye", le({4, 8}), true},
        {"unknown code with a body", cat({le({99, 10}), Bytes{1, 2}}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CNetMessage::isWellFormed(reinterpret_cast<const char*>(c.frame.data()),
                                            static_cast<int32_t>(c.frame.size())),
                  c.wellFormed);
    }
    Bytes ping = le({6, 1024});
    ping.resize(1024);
    EXPECT_TRUE(CNetMessage::isWellFormed(reinterpret_cast<const char*>(ping.data()), 1024));
}

// ---- reassembly ---------------------------------------------------------------------------

TEST(MessageStack, CutsFramesInStreamOrder) {
    CMessageStack stack(nullptr);
    const Bytes goodbye = le({4, 8});
    stack.push(reinterpret_cast<const char*>(goodbye.data()), 7);
    EXPECT_EQ(stack.get(), nullptr);
    stack.push(reinterpret_cast<const char*>(goodbye.data()) + 7, 1);
    std::unique_ptr<CNetMessage> first(stack.get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getType(), 4);
    EXPECT_EQ(stack.getCount(), 0);

    const Bytes two = cat({cat({le({5, 10}), text("a")}), le({4, 8})});
    stack.push(reinterpret_cast<const char*>(two.data()), static_cast<int>(two.size()));
    std::unique_ptr<CNetMessage> a(stack.get()), b(stack.get()), c(stack.get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->getType(), 5);
    EXPECT_EQ(b->getType(), 4);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(stack.getCount(), 0);
}

TEST(MessageStack, AFrameSplitOverThreePushesComesWithTheLast) {
    CMessageStack stack(nullptr);
    Bytes ping = le({6, 1024, 42, 0});
    ping.resize(1024);
    const char* p = reinterpret_cast<const char*>(ping.data());
    stack.push(p, 4);
    EXPECT_EQ(stack.get(), nullptr);
    stack.push(p + 4, 100);
    EXPECT_EQ(stack.get(), nullptr);
    EXPECT_EQ(stack.getCount(), 104);
    stack.push(p + 104, 1024 - 104);
    std::unique_ptr<CNetMessage> m(stack.get());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(bytesOf(*m), ping);
    EXPECT_EQ(stack.getCount(), 0);
}

TEST(MessageStack, LengthsOutsideAFrameBreakTheStream) {
    for (int32_t length : {7, -1, 0x7FFFFFFF, CNetMessage::kMaxFrame + 1}) {
        SCOPED_TRACE(length);
        CMessageStack stack(nullptr);
        const Bytes header = le({5, length});
        stack.push(reinterpret_cast<const char*>(header.data()), 8);
        EXPECT_EQ(stack.get(), nullptr);
        EXPECT_TRUE(stack.isBroken());
    }
    CMessageStack largest(nullptr);
    const Bytes header = le({99, CNetMessage::kMaxFrame});
    largest.push(reinterpret_cast<const char*>(header.data()), 8);
    EXPECT_EQ(largest.get(), nullptr);
    EXPECT_FALSE(largest.isBroken());
}

// ---- dispatch -----------------------------------------------------------------------------

// Both ends of a local stream: the engine's socket on one, the test reads the other.
struct SocketPair {
    SocketPair() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        socket = std::make_unique<CXSocket>(nullptr, fds[0]);
        other = fds[1];
    }
    ~SocketPair() { ::close(other); }
    // Bytes waiting at the other end (without waiting).
    Bytes pending() {
        Bytes out(4096);
        const ssize_t n = ::recv(other, out.data(), out.size(), MSG_DONTWAIT);
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return out;
    }
    std::unique_ptr<CXSocket> socket;
    int other = -1;
};

struct Recorder : CNetListener {
    void onMessage(CNetMessage* m) override {
        types.push_back(m->getType());
        if (pair) pendingAtCall.push_back(pair->pending().size());
    }
    std::vector<int> types;
    std::vector<size_t> pendingAtCall;
    SocketPair* pair = nullptr;
};

TEST(NetMessageProcessor, APingIsAnsweredOnceBeforeAnyListener) {
    SocketPair pair;
    Recorder first, second;
    first.pair = &pair;
    std::vector<CNetListener*> listeners{&first, &second};
    CNetPingMessage ping(pair.socket.get(), 9);
    CNetMessageProcessor::process(&ping, &listeners);
    ASSERT_EQ(first.pendingAtCall, std::vector<size_t>{1024});
    EXPECT_EQ(second.types, std::vector<int>{6});
    EXPECT_TRUE(pair.pending().empty());

    CNetPingMessage answer(CXString(), &ping, true);
    CNetMessageProcessor::process(&answer, &listeners);
    EXPECT_EQ(first.pendingAtCall, (std::vector<size_t>{1024, 0}));

    // No listener: still answered.
    CNetMessageProcessor::process(&ping, nullptr);
    const Bytes back = pair.pending();
    ASSERT_EQ(back.size(), 1024u);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 16), le({6, 1024, 9, 1}));
}

TEST(NetMessageProcessor, ListenersGetTypedMessagesAndRawOnesForOtherCodes) {
    struct Checker : CNetListener {
        void onMessage(CNetMessage* m) override {
            if (auto* text = dynamic_cast<CNetTextMessage*>(m)) seen += std::string("text:") + text->getText() + ";";
            else seen += "raw" + std::to_string(m->getType()) + ";";
        }
        std::string seen;
    } checker;
    std::vector<CNetListener*> listeners{&checker};
    CNetTextMessage text(nullptr, CXString("hi"));
    CNetMessageProcessor::process(&text, &listeners);
    CNetMessage goodbye(nullptr, CNetMessage::kGoodbye);
    CNetMessageProcessor::process(&goodbye, &listeners);
    auto unknown = raw(le({42, 8}));
    CNetMessageProcessor::process(unknown.get(), &listeners);
    EXPECT_EQ(checker.seen, "text:hi;raw4;raw42;");
}

TEST(XSocket, IsIpAddrSumsFourPiecesIn32Bits) {
    struct Case {
        const char* text;
        bool ip;
    };
    for (const Case& c : {Case{"10.0.0.1", true}, Case{"0.0.0.0", false}, Case{"1.2.3", false},
                          Case{"a.b.c.d", false}, Case{"999.1.1.1", true}, Case{"0.0.0.256", false},
                          Case{"127.0.0.1", true}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CXSocket::is_ipaddr(CXString(c.text)), c.ip);
    }
    const unsigned char address[4] = {192, 168, 0, 5};
    EXPECT_EQ(CXSocket::toIP(address), CXString("192.168.0.5"));
}

} // namespace
