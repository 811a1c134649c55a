#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/CFile.h"
#include "foundation/CMemStream.h"

namespace {

struct Stream {
    explicit Stream(std::string bytes) : data(std::move(bytes)), file(data.data(), static_cast<int>(data.size())), stream(&file) {}
    std::string data;
    CFile_Stream file;
    CMemStream stream;
};

TEST(CMemStream, BitsMostSignificantFirst) {
    Stream s(std::string("\xA0\xFF", 2));
    EXPECT_EQ(s.stream.getSize(), 2);
    EXPECT_EQ(s.stream.get_bits(3), 5u);
    EXPECT_EQ(s.stream.get_bits(5), 0u);  // the rest of 0xA0
    EXPECT_EQ(s.stream.get_bit(), 1);
    EXPECT_EQ(s.stream.getPosition(), 1);

    Stream t(std::string("\xA0", 1));
    EXPECT_EQ(t.stream.get_signed_bits(3), -3);
    EXPECT_EQ(t.stream.get_bits(0), 0u);
    EXPECT_EQ(t.stream.get_signed_bits(-1), 0);

    Stream u(std::string("\x40", 1));
    EXPECT_EQ(u.stream.get_signed_bits(3), 2);
}

TEST(CMemStream, WholeValuesAlignFirst) {
    Stream s(std::string("\x80\x34\x12\xFE\xFF\x78\x56\x34\x12\x09", 10));
    EXPECT_EQ(s.stream.get_bit(), 1);
    EXPECT_EQ(s.stream.get_shortint(), 0x1234);  // skips the partly read byte
    EXPECT_EQ(s.stream.get_shortint(), -2);
    EXPECT_EQ(s.stream.get_int(), 0x12345678);
    EXPECT_EQ(s.stream.get_char(), 9);

    Stream t(std::string("\xC1\x02\x03", 3));
    EXPECT_EQ(t.stream.get_bit(), 1);
    uint8_t bytes[2] = {};
    t.stream.get_bytes(bytes, 2);  // no alignment: from the partly read byte on
    EXPECT_EQ(bytes[0], 0xC1);
    EXPECT_EQ(bytes[1], 0x02);
    EXPECT_EQ(t.stream.get_bit(), 0);  // bit index kept: second bit of 0x03
}

TEST(CMemStream, ReadsPastTheEndGiveZero) {
    Stream s(std::string("\x01\x02\x03", 3));
    s.stream.move(1);
    EXPECT_EQ(s.stream.get_int(), 0);  // only two bytes left
    EXPECT_EQ(s.stream.getPosition(), 3);
    EXPECT_EQ(s.stream.get_char(), 0);
    EXPECT_EQ(s.stream.get_shortint(), 0);
    EXPECT_EQ(s.stream.get_bit(), 0);
    EXPECT_EQ(s.stream.get_bits(32), 0u);
    s.stream.move(-2);
    EXPECT_EQ(s.stream.get_char(), 2);
    s.stream.move(100);
    EXPECT_EQ(s.stream.getPosition(), 3);
    s.stream.move(-100);
    EXPECT_EQ(s.stream.getPosition(), 0);
    uint8_t bytes[5] = {9, 9, 9, 9, 9};
    s.stream.move(2);
    s.stream.get_bytes(bytes, 5);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[4], 0);

    Stream empty("");
    EXPECT_EQ(empty.stream.get_int(), 0);
}

}  // namespace
