#include "foundation/ByteReader.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "foundation/CXString.h"

namespace {

// 16 bytes: 0x0102 twice-over in both orders, a text of length 3 ("ab\0"), a byte.
const std::string kBytes("\x01\x02\x03\x04\x01\x02\x03\x04\x03\x00\x00\x00" "ab\0" "\x7F", 16);

}  // namespace

TEST(ByteOrder, ReadsAndWritesBothOrders) {
    const auto* p = reinterpret_cast<const uint8_t*>(kBytes.data());
    EXPECT_EQ(byteorder::readLE16(p), 0x0201);
    EXPECT_EQ(byteorder::readBE16(p), 0x0102);
    EXPECT_EQ(byteorder::readLE32(p), 0x04030201u);
    EXPECT_EQ(byteorder::readBE32(p), 0x01020304u);
    const uint8_t negative[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(byteorder::readLEInt16(negative), -2);
    EXPECT_EQ(byteorder::readLEInt32(negative), -2);
    uint8_t out[4] = {};
    byteorder::writeLE16(out, 0xA1B2);
    EXPECT_EQ(out[0], 0xB2);
    byteorder::writeLE32(out, 0x01020304u);
    EXPECT_EQ(byteorder::readLE32(out), 0x01020304u);
}

TEST(ByteReader, MemoryAndFileReadAlikeAndFailPastTheEnd) {
    std::string copy = kBytes;
    CFile_Stream stream(copy.data(), static_cast<int>(copy.size()));
    ByteReader memory(kBytes.data(), kBytes.size());
    ByteReader file(&stream);
    for (ByteReader* in : {&memory, &file}) {
        SCOPED_TRACE(in == &memory ? "memory" : "file");
        EXPECT_EQ(in->le16(), 0x0201);
        EXPECT_EQ(in->be16(), 0x0304);
        EXPECT_EQ(in->be32(), 0x01020304u);
        CXString text;
        EXPECT_TRUE(in->text(&text));
        EXPECT_EQ(text, CXString("ab"));
        EXPECT_EQ(in->left(), 1);
        EXPECT_EQ(in->at(), 15u);
        EXPECT_FALSE(in->skip(2));  // past the end: the reader fails and stays failed
        EXPECT_FALSE(in->ok());
        EXPECT_EQ(in->u8(), 0);
    }
    // A text longer than what remains, and a negative length, fail.
    for (const std::string& bad : {std::string("\x05\0\0\0ab", 6), std::string("\xFF\xFF\xFF\xFF", 4)}) {
        ByteReader in(bad.data(), bad.size());
        CXString text;
        EXPECT_FALSE(in.text(&text));
        EXPECT_FALSE(in.ok());
    }
    // A text of length 0 is empty.
    const std::string empty("\0\0\0\0", 4);
    ByteReader zero(empty.data(), empty.size());
    CXString text("x");
    EXPECT_TRUE(zero.text(&text));
    EXPECT_EQ(text, CXString());
    ByteReader none(nullptr, 10);
    EXPECT_EQ(none.left(), 0);
    EXPECT_FALSE(none.has(1));
}
