// File transfer between a receiving and a sending manager over a local stream: ids,
// the chunking over ticks, order and repetition of chunks, listeners, empty files,
// names that climb out of the folder, hostile sizes, files of many megabytes, and
// transfers bound to their connection.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CEngineEnv.h"
#include "net/CFileReceiver.h"
#include "net/CFileSender.h"
#include "net/CNetMessageProcessor.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace {

// Two engine sockets joined by a local stream; received frames come back typed.
struct Link {
    Link() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        receiverSide = std::make_unique<CXSocket>(nullptr, fds[0]);
        senderSide = std::make_unique<CXSocket>(nullptr, fds[1]);
    }
    // The frames waiting on a side, typed (the caller owns them).
    static std::vector<std::unique_ptr<CNetMessage>> take(CXSocket& side) {
        std::vector<std::unique_ptr<CNetMessage>> out;
        while (!side.isClosed()) {
            pollfd wait{side.getHandle(), POLLIN, 0};
            if (::poll(&wait, 1, 0) <= 0) break;
            for (CNetMessage* raw : side.receive()) {
                out.emplace_back(CNetMessageProcessor::makeTyped(raw));
                delete raw;
            }
        }
        return out;
    }
    std::unique_ptr<CXSocket> receiverSide;
    std::unique_ptr<CXSocket> senderSide;
};

std::string pattern(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

struct Transfer : ::testing::Test {
    Transfer() : inDir(dir.path()) {
        CFileReceiver_Manager::unique_id = 0;
        CFileSender_Manager::unique_id = 0;
    }
    // Serves every request waiting on the sender side from the folder src; how many.
    int serveAll() {
        int served = 0;
        for (auto& m : Link::take(*link.senderSide))
            if (auto* request = dynamic_cast<CNetFileRequestMessage*>(m.get()))
                served += sender.add_file(link.senderSide.get(), request->getReceiverId(), CXString("src"),
                                          CXString(), request->getFileName()) != 0;
        return served;
    }
    // Ticks the sender, the receiver taking each frame as it comes, until the sender
    // has nothing left (at most `limit` ticks).
    void tickToTheEnd(int limit) {
        for (int i = 0; i < limit && sender.getCount() > 0; ++i) tickOnce();
    }
    // Serves the request waiting on the sender side; its id.
    int serve() {
        auto requests = Link::take(*link.senderSide);
        EXPECT_EQ(requests.size(), 1u);
        if (requests.empty()) return 0;
        auto* request = dynamic_cast<CNetFileRequestMessage*>(requests[0].get());
        if (!request) return 0;
        return sender.add_file(link.senderSide.get(), request->getReceiverId(), request->getFolder(),
                               request->getSubfolder(), request->getFileName());
    }
    // One sender tick; the sizes of what it sent (-1 for the response), fed to the receiver.
    std::vector<int> tickOnce() {
        sender.tick();
        std::vector<int> sizes;
        for (auto& m : Link::take(*link.receiverSide)) {
            if (auto* data = dynamic_cast<CNetFileDataMessage*>(m.get())) sizes.push_back(data->getSize());
            else sizes.push_back(-1);
            receiver.received(m.get());
        }
        return sizes;
    }

    test::TempDir dir;
    test::ScopedCurrentDirectory inDir;
    Link link;
    CFileReceiver_Manager receiver;
    CFileSender_Manager sender;
};

TEST_F(Transfer, FilesGoOutAsAResponseAndChunksOverTicks) {
    struct Case {
        size_t size;
        std::vector<std::vector<int>> ticks;
    };
    const Case cases[] = {
        {10240, {{-1}, {10240}, {}}},
        {10241, {{-1}, {10240}, {1}, {}}},
        {25000, {{-1}, {10240}, {10240}, {4520}, {}}},
        {0, {{-1}, {}}},
    };
    int expectedId = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string name = "f" + std::to_string(c.size) + ".bin";
        dir.write("src/" + name, pattern(c.size));
        ++expectedId;
        EXPECT_EQ(receiver.add_file(link.receiverSide.get(), CXString("dst"), CXString("sub"), CXString(name.c_str())),
                  expectedId);
        // The sender reads from src: the request is served from there.
        auto requests = Link::take(*link.senderSide);
        ASSERT_EQ(requests.size(), 1u);
        auto* request = static_cast<CNetFileRequestMessage*>(requests[0].get());
        EXPECT_EQ(sender.add_file(link.senderSide.get(), request->getReceiverId(), CXString("src"), CXString(),
                                  request->getFileName()),
                  expectedId);
        for (const auto& expected : c.ticks) EXPECT_EQ(tickOnce(), expected);
        EXPECT_EQ(sender.getCount(), 0);
        EXPECT_EQ(receiver.getCount(), 0);
        EXPECT_EQ(dir.read("dst/sub/" + name), pattern(c.size));
    }
    EXPECT_EQ(platform::getCurrentDirectory(), platform::toEnginePath(dir.path()));
}

// Files of any size up to the cap arrive whole, one at a time or side by side, and their
// connection stays open: a transfer's buffer is not a frame waiting for the tick.
TEST_F(Transfer, LargeFilesArriveWholeAndKeepTheirConnection) {
    const std::vector<std::vector<size_t>> rounds = {{0}, {3584 * 1024 + 17}, {6 << 20}, {20 << 20},
                                                     {6 << 20, (6 << 20) + 1}};
    for (const auto& sizes : rounds) {
        SCOPED_TRACE(sizes.front());
        std::vector<std::string> names;
        for (size_t size : sizes) {
            names.push_back("f" + std::to_string(size) + ".bin");
            dir.write("src/" + names.back(), pattern(size));
            EXPECT_NE(receiver.add_file(link.receiverSide.get(), CXString("dst"), CXString(),
                                        CXString(names.back().c_str())),
                      0);
        }
        EXPECT_EQ(serveAll(), static_cast<int>(sizes.size()));
        tickToTheEnd(3000);
        tickOnce();
        EXPECT_EQ(sender.getCount(), 0);
        EXPECT_EQ(receiver.getCount(), 0);
        EXPECT_FALSE(link.receiverSide->isClosed());
        EXPECT_FALSE(link.senderSide->isClosed());
        EXPECT_EQ(link.receiverSide->account()->held(), 0);
        for (size_t i = 0; i < sizes.size(); ++i) {
            EXPECT_TRUE(dir.read("dst/" + names[i]) == pattern(sizes[i])) << names[i];
            std::filesystem::remove(dir.path() + "/dst/" + names[i]);
            std::filesystem::remove(dir.path() + "/src/" + names[i]);
        }
    }
}

// A response announcing more than the cap refuses that transfer alone, logged with its
// name; the connection and another transfer on it go on.
TEST_F(Transfer, AnOversizedResponseRefusesOnlyItsTransfer) {
    CXSocket* side = link.receiverSide.get();
    const int lying = receiver.add_file(side, CXString("dst"), CXString(), CXString("huge.bin"));
    const int honest = receiver.add_file(side, CXString("dst"), CXString(), CXString("fine.bin"));
    dir.write("src/fine.bin", pattern(50000));
    auto requests = Link::take(*link.senderSide);
    ASSERT_EQ(requests.size(), 2u);
    auto* second = dynamic_cast<CNetFileRequestMessage*>(requests[1].get());
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->getReceiverId(), honest);
    ASSERT_NE(sender.add_file(link.senderSide.get(), honest, CXString("src"), CXString(), second->getFileName()), 0);
    const int logged = CEngineEnv::failureCount("transfer");
    link.senderSide->send(new CNetFileResponseMessage(link.senderSide.get(), lying, 77,
                                                      CFileReceiver_Manager::kMaxFileSize + 1,
                                                      CFileReceiver_Manager::kMaxFileSize + 1));
    tickToTheEnd(20);
    tickOnce();
    EXPECT_EQ(receiver.getEntry(lying), nullptr);
    EXPECT_EQ(CEngineEnv::failureCount("transfer"), logged + 1);
    EXPECT_FALSE(side->isClosed());
    EXPECT_EQ(receiver.getCount(), 0);
    EXPECT_EQ(dir.read("dst/fine.bin"), pattern(50000));
    EXPECT_FALSE(dir.exists("dst/huge.bin"));
}

TEST_F(Transfer, ChunksCountOnceInAnyOrder) {
    const int id = receiver.add_file(link.receiverSide.get(), CXString(), CXString(), CXString("out.bin"));
    const std::string bytes = pattern(25000);
    CNetFileDataMessage early(nullptr, id, 1, 0, 0, 10, bytes.data());
    receiver.received(&early);  // before the response: ignored
    CNetFileResponseMessage response(nullptr, id, 1, 25000, 25000);
    receiver.received(&response);
    std::vector<std::unique_ptr<CNetFileDataMessage>> chunks;
    for (int offset : {20480, 10240, 0})
        chunks.push_back(std::make_unique<CNetFileDataMessage>(nullptr, id, 1, 0, offset,
                                                               std::min(10240, 25000 - offset), bytes.data() + offset));
    receiver.received(chunks[0].get());
    receiver.received(chunks[0].get());  // repeated: counts once
    CNetFileDataMessage outside(nullptr, id, 1, 0, 24999, 2, "zz");
    receiver.received(&outside);
    receiver.received(chunks[1].get());
    ASSERT_NE(receiver.getEntry(id), nullptr);
    EXPECT_EQ(receiver.getEntry(id)->getReceived(), 25000 - 10240);
    EXPECT_FALSE(dir.exists("out.bin"));
    receiver.received(chunks[2].get());
    EXPECT_EQ(receiver.getEntry(id), nullptr);
    EXPECT_EQ(dir.read("out.bin"), bytes);
    receiver.received(chunks[2].get());  // an id that is gone changes nothing
    CNetFileResponseMessage unknown(nullptr, 999, 1, 5, 5);
    receiver.received(&unknown);
    EXPECT_EQ(receiver.getCount(), 0);
}

TEST_F(Transfer, AListenerThatKeepsTheFilePreventsTheSave) {
    struct Keeper : CFileReceiver_Listener {
        bool onFileReceived(CFileReceiver_Entry* entry) override {
            got.assign(entry->getBuffer().begin(), entry->getBuffer().end());
            return keep;
        }
        std::string got;
        bool keep = true;
    } keeper;
    CFileReceiver_Manager keeping(&keeper);
    for (bool keep : {true, false}) {
        keeper.keep = keep;
        const int id = keeping.add_file(nullptr, CXString(), CXString(), CXString("kept.txt"));
        CNetFileResponseMessage response(nullptr, id, 1, 3, 3);
        keeping.received(&response);
        CNetFileDataMessage data(nullptr, id, 1, 0, 0, 3, "abc");
        keeping.received(&data);
        EXPECT_EQ(keeper.got, "abc");
        EXPECT_EQ(keeping.getCount(), 0);
        EXPECT_EQ(dir.exists("kept.txt"), !keep);
    }
}

TEST_F(Transfer, HostileNamesAndSizesAreRefused) {
    dir.write("x", "secret");
    dir.write("inner/f", "ok");
    struct Name {
        const char* folder;
        const char* subfolder;
        const char* file;
        bool served;
    };
    for (const Name& n : {Name{"", "", "..\\x", false}, Name{"inner", "..", "x", false}, Name{"", "", "\\x", false},
                          Name{"C:", "", "x", false}, Name{"", "", "/x", false}, Name{"inner", "", "f", true},
                          Name{"", "", "missing", false}}) {
        SCOPED_TRACE(std::string(n.folder) + "|" + n.subfolder + "|" + n.file);
        EXPECT_EQ(sender.add_file(nullptr, 1, CXString(n.folder), CXString(n.subfolder), CXString(n.file)) != 0,
                  n.served);
    }
    for (int size : {-1, CFileReceiver_Manager::kMaxFileSize + 1}) {
        const int id = receiver.add_file(nullptr, CXString(), CXString(), CXString("big"));
        CNetFileResponseMessage response(nullptr, id, 1, size, size);
        receiver.received(&response);
        EXPECT_EQ(receiver.getEntry(id), nullptr);
    }
    EXPECT_FALSE(dir.exists("big"));
}

TEST_F(Transfer, TransfersGoWithTheirConnectionAndAreBounded) {
    CXSocket* side = link.receiverSide.get();
    const auto account = side->account();
    // The buffer grows with what came, not with what was announced.
    const int id = receiver.add_file(side, CXString(), CXString(), CXString("big"));
    CNetFileResponseMessage response(nullptr, id, 1, CFileReceiver_Manager::kMaxFileSize,
                                     CFileReceiver_Manager::kMaxFileSize);
    receiver.received(&response);
    const std::string bytes = pattern(10240);
    CNetFileDataMessage first(nullptr, id, 1, 0, 0, 10240, bytes.data());
    receiver.received(&first);
    ASSERT_NE(receiver.getEntry(id), nullptr);
    EXPECT_LE(receiver.getEntry(id)->getBuffer().capacity(), 2u * 10240);
    EXPECT_EQ(account->held(), 0);
    // Chunks out of order within reach are taken.
    CNetFileDataMessage ahead(nullptr, id, 1, 0, 512 * 1024, 10240, bytes.data());
    receiver.received(&ahead);
    ASSERT_NE(receiver.getEntry(id), nullptr);
    EXPECT_EQ(receiver.getEntry(id)->getReceived(), 2 * 10240);

    // Four at once per connection; a fifth is refused on both sides, and nothing
    // is requested for it.
    for (int i = 0; i < 3; ++i) EXPECT_NE(receiver.add_file(side, CXString(), CXString(), CXString("more")), 0);
    EXPECT_EQ(receiver.add_file(side, CXString(), CXString(), CXString("fifth")), 0);
    EXPECT_EQ(Link::take(*link.senderSide).size(), 4u);
    dir.write("s", "x");
    for (int i = 0; i < CFileReceiver_Manager::kMaxTransfers; ++i)
        EXPECT_NE(sender.add_file(link.senderSide.get(), 1, CXString(), CXString(), CXString("s")), 0);
    EXPECT_EQ(sender.add_file(link.senderSide.get(), 1, CXString(), CXString(), CXString("s")), 0);

    // A chunk far out refuses its transfer instead of reserving its distance; the
    // connection and its other transfers stay.
    CNetFileDataMessage far(nullptr, id, 1, 0, CFileReceiver_Manager::kMaxFileSize - 10, 10, bytes.data());
    receiver.received(&far);
    EXPECT_EQ(receiver.getEntry(id), nullptr);
    EXPECT_FALSE(side->isClosed());
    EXPECT_EQ(receiver.getCount(), 3);

    // A closed connection's transfers go; the sender drops its own.
    side->close();
    receiver.dropClosed();
    EXPECT_EQ(receiver.getCount(), 0);
    link.senderSide->close();
    sender.tick();
    EXPECT_EQ(sender.getCount(), 0);
}

} // namespace
