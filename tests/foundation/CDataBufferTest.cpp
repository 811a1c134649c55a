#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "foundation/CDataBuffer.h"
#include "foundation/CDataBuffer2Dim.h"
#include "foundation/CMemStorage.h"

namespace {

TEST(CDataBuffer, CursorMovesByElements) {
    char data[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    CDataBuffer buffer(data, 4, 3);
    EXPECT_EQ(buffer.getMemoryUsage(), 12);
    EXPECT_EQ(buffer.getCount(), 4);
    EXPECT_EQ(buffer.getElementSize(), 3);
    EXPECT_EQ(buffer.getPtr(), buffer.getBuffer());
    ++buffer;
    EXPECT_EQ(*buffer.getPtr(), 3);
    buffer += 2;
    EXPECT_EQ(*static_cast<char*>(buffer), 9);
    --buffer;
    buffer -= 1;
    EXPECT_EQ(*buffer.getPtr(), 3);
    EXPECT_EQ(static_cast<uint16_t*>(buffer), reinterpret_cast<uint16_t*>(buffer.getBuffer() + 3));
    buffer.start();
    EXPECT_EQ(buffer.getPtr(), buffer.getBuffer());
    buffer.zero();
    EXPECT_EQ(std::vector<char>(buffer.getBuffer(), buffer.getBuffer() + 12), std::vector<char>(12, 0));
}

TEST(CDataBuffer, BackupRestoreAndClone) {
    CDataBuffer buffer(4, 2);
    std::memset(buffer.getBuffer(), 'a', 8);
    buffer.restore(false);  // no backup: nothing happens
    buffer.backup();
    std::memset(buffer.getBuffer(), 'b', 8);
    buffer.restore(false);
    EXPECT_EQ(buffer.getBuffer()[7], 'a');
    std::memset(buffer.getBuffer(), 'c', 8);
    buffer.restore(false);  // the backup was kept
    EXPECT_EQ(buffer.getBuffer()[0], 'a');

    std::memset(buffer.getBuffer(), 'd', 8);
    buffer += 3;
    std::unique_ptr<CDataBuffer> copy(static_cast<CDataBuffer*>(buffer.clone()));
    EXPECT_NE(copy->getBuffer(), buffer.getBuffer());
    EXPECT_EQ(copy->getPtr() - copy->getBuffer(), 6);
    EXPECT_EQ(copy->getBuffer()[5], 'd');
    ASSERT_TRUE(copy->hasBackup());
    copy->restore(true);
    EXPECT_EQ(copy->getBuffer()[5], 'a');
    EXPECT_FALSE(copy->hasBackup());
    EXPECT_EQ(buffer.getBuffer()[5], 'd');

    buffer.flush();
    EXPECT_EQ(buffer.getBuffer(), nullptr);
    EXPECT_FALSE(buffer.hasBackup());
    buffer.zero();
    buffer.backup();
    std::unique_ptr<CXObject> empty(buffer.clone());
    EXPECT_EQ(static_cast<CDataBuffer*>(empty.get())->getBuffer(), nullptr);

    CDataBuffer bad(-3, 4);
    EXPECT_EQ(bad.getMemoryUsage(), 0);
}

TEST(CDataBuffer2Dim, LinesAndClone) {
    CDataBuffer2Dim image(CXSize(10, 10), 2);
    EXPECT_EQ(image.getWidth(), 10);
    EXPECT_EQ(image.getHeight(), 10);
    EXPECT_EQ(image.getMemoryUsage(), 200);
    image.at(0, 1);
    EXPECT_EQ(image.getPtr() - image.getBuffer(), 20);
    image.at(3, 2);
    EXPECT_EQ(image.getPtr() - image.getBuffer(), 46);
    image.nextLine();
    EXPECT_EQ(image.getPtr() - image.getBuffer(), 66);
    image.prevLine();
    image.prevLine();
    EXPECT_EQ(image.getPtr() - image.getBuffer(), 26);

    image.zero();
    image.getBuffer()[26] = 9;
    std::unique_ptr<CDataBuffer2Dim> copy(static_cast<CDataBuffer2Dim*>(image.clone()));
    EXPECT_EQ(copy->getWidth(), 10);
    EXPECT_EQ(copy->getHeight(), 10);
    EXPECT_EQ(copy->getPtr() - copy->getBuffer(), 26);
    EXPECT_EQ(*copy->getPtr(), 9);

    char pixels[6] = {1, 2, 3, 4, 5, 6};
    CDataBuffer2Dim small(pixels, CXSize(3, 1), 2);
    EXPECT_EQ(std::memcmp(small.getBuffer(), pixels, 6), 0);
}

TEST(CMemStorage, AppendsInBlocks) {
    CMemStorage storage;
    std::vector<char> a(60000, 'a');
    std::vector<char> b(60000, 'b');
    storage.put(a.data(), 60000);
    storage.put(b.data(), 60000);
    EXPECT_EQ(storage.getBlockCount(), 2);
    EXPECT_EQ(storage.getDataSize(0), 60000);
    EXPECT_EQ(storage.getDataSize(1), 60000);
    EXPECT_EQ(storage.getTotalSize(), 120000);
    std::vector<char> all(120000);
    storage.copy(all.data());
    EXPECT_EQ(all[59999], 'a');
    EXPECT_EQ(all[60000], 'b');
    EXPECT_EQ(storage.getBuffer(5), nullptr);
    EXPECT_EQ(storage.getDataSize(-1), 0);

    // A put larger than the block size gets a block of its own size.
    CMemStorage small(4);
    char text[] = "0123456789";
    small.put(text, 3);
    small.put(text + 3, 7);
    small.put(text, 1);
    EXPECT_EQ(small.getBlockCount(), 3);
    EXPECT_EQ(small.getDataSize(1), 7);
    char out[12] = {};
    small.copy(out);
    EXPECT_STREQ(out, "01234567890");
}

}  // namespace
