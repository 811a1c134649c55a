#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CTextCoder.h"
#include "foundation/CTextFileReader.h"
#include "support/TempDir.h"

namespace {

CXString X(const std::string& s) { return CXString(s.c_str()); }

std::vector<std::string> readerLines(std::string data) {
    CTextFileReader reader(nullptr, data.data(), static_cast<int>(data.size()));
    std::vector<std::string> lines;
    while (!reader.eof()) lines.emplace_back(reader.getLine().c_str());
    return lines;
}

// Every line the coder delivers until its end.
std::vector<std::string> coderLines(CTextCoder& coder) {
    std::vector<std::string> lines;
    for (int guard = 0; !coder._eof() && guard < 1000; ++guard) lines.emplace_back(coder.getLine().c_str());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(CTextFileReader, SplitsLines) {
    EXPECT_EQ(readerLines("ab\n"), Lines({"ab"}));
    EXPECT_EQ(readerLines("ab\ncd"), Lines({"ab", "cd"}));  // the last line keeps its last byte
    EXPECT_EQ(readerLines("a\n\nb\n"), Lines({"a", "", "b"}));
    EXPECT_EQ(readerLines(std::string("a\0b\nc", 5)), Lines({"a", "c"}));
    EXPECT_EQ(readerLines(""), Lines());

    std::string data = "x\ny\n";
    CTextFileReader reader(nullptr, data.data(), 4);
    EXPECT_EQ(reader.getLine(), "x");
    EXPECT_EQ(reader.getLine(), "y");
    EXPECT_TRUE(reader.eof());
    EXPECT_EQ(reader.getLine(), "");
    reader.reset();
    EXPECT_EQ(reader.getLine(), "x");
}

TEST(CTextFileReader, LoadsFilesInTextMode) {
    test::TempDir dir;
    dir.write("a.txt", "one\r\ntwo\r\n");
    CTextFileReader reader(nullptr, dir.engine("a.txt").c_str());
    EXPECT_EQ(reader.LastError(), 0);
    EXPECT_EQ(reader.getLine(), "one");
    EXPECT_EQ(reader.getLine(), "two");
    EXPECT_TRUE(reader.eof());

    CTextFileReader missing(nullptr, dir.engine("none.txt").c_str());
    EXPECT_EQ(missing.LastError(), CFile::kErrorNotFound);
    EXPECT_TRUE(missing.eof());
}

TEST(CTextCoder, OffsetsFollowTheCycle) {
    std::string data = "x\n";
    CTextFileReader reader(nullptr, data.data(), 2);
    CTextCoder coder(nullptr, &reader, true);
    const int expected[] = {1, -1, 2, -2, 3, -3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(coder.getOffset(i), expected[i]);
}

// "ab", "c\xFF" and "d" coded with cycle 2: offsets +1 -1 | +1 -1 | +1.
const std::string kCoded = "{<C:2>}\nba<E>d\xFE<E>\ne<E>\n";

TEST(CTextCoder, DecodesAKnownText) {
    std::string data = kCoded;
    CTextFileReader reader(nullptr, data.data(), static_cast<int>(data.size()));
    CTextCoder coder(nullptr, &reader, true);
    EXPECT_TRUE(coder.isCoded());
    EXPECT_EQ(coder.getCycle(), 2);
    EXPECT_EQ(coder.getLine(), "ab\n");
    EXPECT_EQ(coder.getLine(), "c\xFF\n");
    EXPECT_EQ(coder.getLine(), "d\n");
    EXPECT_FALSE(coder._eof());
    EXPECT_EQ(coder.getLine(), "\n");  // the fourth call finds the end
    EXPECT_TRUE(coder._eof());
}

TEST(CTextCoder, PlainTextAndBadHeadersReadAsText) {
    for (std::string data : {std::string("first\nsecond\n"), std::string("{<C:0>}\nsecond\n"),
                             std::string("{<C:-3>}\nsecond\n"), std::string("{<C:x\nsecond\n")}) {
        SCOPED_TRACE(data);
        CTextFileReader reader(nullptr, data.data(), static_cast<int>(data.size()));
        CTextCoder coder(nullptr, &reader, true);
        EXPECT_FALSE(coder.isCoded());
        const Lines lines = coderLines(coder);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], data.substr(0, data.find('\n') + 1));
        EXPECT_EQ(lines[1], "second\n");
    }
}

TEST(CTextCoder, CodeAndDecodeWriteSideCopies) {
    test::TempDir dir;
    // Outer blanks and every tab go; a blank behind a leading tab stays.
    dir.write("s.cnv", "ab\n  \tc\xFF \n\t d\n");
    const std::string source = dir.engine("s.cnv");
    CTextCoder::code(nullptr, X(source), X(source + ".coded"), 2);
    const std::string coded = "{<C:2>}\nba<E>d\xFE<E>\n!c<E>\n";
    EXPECT_EQ(dir.read("s.cnv.coded"), coded);

    CTextCoder::decode(nullptr, X(source + ".coded"), X(source + ".coded.decoded"));
    EXPECT_EQ(dir.read("s.cnv.coded.decoded"), "ab\nc\xFF\n d\n");

    // A coded source is not coded again, a plain one not decoded, a cycle below 1 refused.
    CTextCoder::code(nullptr, X(source + ".coded"), X(dir.engine("twice")), 2);
    CTextCoder::decode(nullptr, X(source), X(dir.engine("plain")));
    CTextCoder::code(nullptr, X(source), X(dir.engine("cycle0")), 0);
    EXPECT_FALSE(dir.exists("twice"));
    EXPECT_FALSE(dir.exists("plain"));
    EXPECT_FALSE(dir.exists("cycle0"));
}

TEST(CTextCoder, CodingWrapsAroundAndBlankLinesKeepTheirMarker) {
    test::TempDir dir;
    dir.write("w.txt", "ab\xFF\n \t \nz");
    CTextCoder::code(nullptr, X(dir.engine("w.txt")), X(dir.engine("w.coded")), 6);
    // 0xFF + 2 wraps to 0x01; k runs on over lines: 'z' is the fourth character (-2).
    EXPECT_EQ(dir.read("w.coded"), "{<C:6>}\nba\x01<E><E>x<E>\n");

    CTextCoder coder(nullptr, X(dir.engine("w.coded")), true);
    EXPECT_EQ(coderLines(coder), Lines({"ab\xFF\n", "\n", "z\n", "\n"}));
}

TEST(CTextCoder, DecodeHeaderWritesAPlainCopy) {
    test::TempDir dir;
    dir.write("d.cnv", "{<D:2>}\nba<E>d\xFE<E>\ne<E>\n");
    {
        CTextCoder coder(nullptr, X(dir.engine("d.cnv")), false);
        EXPECT_TRUE(coder.isCoded());
        EXPECT_EQ(coder.getLine(), "ab\n");
    }
    EXPECT_EQ(dir.read("d.cnv.decoded"), "ab\nc\xFF\nd\n");

    dir.write("e.cnv", "{<D:2>}\nba<E>\n");
    CTextCoder quiet(nullptr, X(dir.engine("e.cnv")), true);
    EXPECT_FALSE(dir.exists("e.cnv.decoded"));
}

TEST(CTextCoder, MissingFileAndBrokenCodedLines) {
    test::TempDir dir;
    CTextCoder missing(nullptr, X(dir.engine("none.cnv")), false);
    EXPECT_EQ(missing.LastError(), CFile::kErrorNotFound);
    EXPECT_TRUE(missing._eof());
    EXPECT_EQ(missing.getLine(), "\n");

    // A physical line without a marker ends the coded stream there.
    std::string data = "{<C:1>}\nb<E>\nbroken\nc<E>\n";
    CTextFileReader reader(nullptr, data.data(), static_cast<int>(data.size()));
    CTextCoder coder(nullptr, &reader, true);
    EXPECT_EQ(coder.getLine(), "a\n");
    EXPECT_EQ(coder.getLine(), "broken\n");
    EXPECT_TRUE(coder._eof());
    EXPECT_EQ(coder.getLine(), "\n");
}

}  // namespace
