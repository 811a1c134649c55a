#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "support/TempDir.h"

namespace {

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

class CXArchiveTest : public ::testing::Test {
protected:
    // Writes through a storing archive and returns the file's bytes.
    template <class F>
    std::string written(F&& write) {
        {
            CFile file(nullptr, CXString(dir.engine("a.bin").c_str()), CFile::kCreateBinary);
            EXPECT_EQ(file.LastError(), 0);
            CXArchive archive(&file, true);
            EXPECT_TRUE(archive.isStoring());
            write(archive);
            EXPECT_EQ(archive.LastError(), 0);
            EXPECT_EQ(file.Close(), 0);
        }
        return dir.read("a.bin");
    }

    // An archive that reads the given bytes from a file.
    std::unique_ptr<CFile> readFile(const std::string& bytes) {
        dir.write("r.bin", bytes);
        auto file = std::make_unique<CFile>(nullptr, CXString(dir.engine("r.bin").c_str()), CFile::kReadBinary);
        EXPECT_EQ(file->LastError(), 0);
        return file;
    }

    test::TempDir dir;
};

TEST_F(CXArchiveTest, PrimitivesHaveTheirByteLayout) {
    const std::string s300(300, 's');
    const std::string s256(256, 't');
    const struct {
        const char* name;
        std::function<void(CXArchive&)> write;
        std::string bytes;
    } cases[] = {
        {"int", [](CXArchive& a) { a << 1 << -2; }, le32(1) + le32(0xFFFFFFFE)},
        {"unsigned", [](CXArchive& a) { a << uint32_t{0x89ABCDEF}; }, le32(0x89ABCDEF)},
        {"int64", [](CXArchive& a) { a << int64_t{0x0102030405060708}; }, std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8)},
        {"bool", [](CXArchive& a) { a << true << false; }, std::string("\x01\x00", 2)},
        {"double 1.5", [](CXArchive& a) { a << 1.5; }, le32(15000)},
        {"double 0.12345", [](CXArchive& a) { a << 0.12345; }, le32(1234)},
        {"double -2.71828", [](CXArchive& a) { a << -2.71828; }, le32(static_cast<uint32_t>(-27182))},
        {"double 0.00004", [](CXArchive& a) { a << 0.00004; }, le32(0)},
        {"double -0.00009", [](CXArchive& a) { a << -0.00009; }, le32(0)},
        {"double 214748.3648 wraps", [](CXArchive& a) { a << 214748.3648; }, le32(0x80000000u)},
        {"double far out of range", [](CXArchive& a) { a << 1e300; }, le32(0)},
        {"empty string", [](CXArchive& a) { a << CXString(); }, le32(0)},
        {"string", [](CXArchive& a) { a << CXString("abc"); }, le32(3) + "abc"},
        {"C string", [](CXArchive& a) { a << "abc"; }, le32(3) + "abc"},
        {"rectangle", [](CXArchive& a) { a << CXRect(1, -2, 3, 4); }, le32(1) + le32(0xFFFFFFFE) + le32(3) + le32(4)},
        {"short string", [](CXArchive& a) { a.writeShortString("hi"); }, "\x02hi"},
        {"short string of 256", [&](CXArchive& a) { a.writeShortString(s256.c_str()); }, std::string(1, '\0')},
        {"short string of 300", [&](CXArchive& a) { a.writeShortString(s300.c_str()); }, "\x2C" + s300.substr(0, 44)},
        {"text", [](CXArchive& a) { a.FWrite(CXString("two words")); }, "two words"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(written(c.write), c.bytes);
    }
}

TEST_F(CXArchiveTest, ReadsBackWhatWasWritten) {
    const std::string s200(200, 'q');
    written([&](CXArchive& a) {
        a << 7 << int64_t{-3} << true << 1.5 << 0.12345 << 214748.3647 << 214748.3648 << CXString("name") << CXString()
          << "text" << CXRect(10, 20, 30, 40);
        a.writeShortString("short");
        a.writeShortString(s200.c_str());
        a << 99;
    });
    auto file = std::make_unique<CFile>(nullptr, CXString(dir.engine("a.bin").c_str()), CFile::kReadBinary);
    CXArchive a(file.get(), false);
    EXPECT_FALSE(a.isStoring());
    int i = 0;
    int64_t l = 0;
    bool b = false;
    double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
    CXString s1("x"), s2("x");
    char* c = nullptr;
    CXRect r;
    a >> &i >> &l >> &b >> &d1 >> &d2 >> &d3 >> &d4 >> &s1 >> &s2 >> &c >> &r;
    EXPECT_EQ(i, 7);
    EXPECT_EQ(l, -3);
    EXPECT_TRUE(b);
    EXPECT_EQ(d1, 1.5);
    EXPECT_EQ(d2, 1234 * 0.0001);  // a multiplication: 0.12340000000000001
    EXPECT_DOUBLE_EQ(d3, 214748.3647);
    EXPECT_DOUBLE_EQ(d4, -214748.3648);
    EXPECT_EQ(s1, "name");
    EXPECT_EQ(s2, "");
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c, "text");
    delete[] c;
    EXPECT_EQ(r, CXRect(10, 20, 30, 40));
    CXString shortOne, longOne;
    a.readShortString(&shortOne);
    a.readShortString(&longOne);
    EXPECT_EQ(shortOne, "short");
    EXPECT_EQ(longOne, s200.c_str());  // a length byte above 127 is unsigned
    a >> &i;
    EXPECT_EQ(i, 99);
}

TEST_F(CXArchiveTest, ShortAndHostileReads) {
    const struct {
        const char* name;
        std::string bytes;
    } strings[] = {
        {"length past the end", le32(1000) + "abc"},
        {"huge length", le32(0x7FFFFFFF) + "abc"},
        {"negative length", le32(0xFFFFFFF0) + "abc"},
        {"length cut short", std::string("\x03\x00", 2)},
    };
    for (const auto& c : strings) {
        SCOPED_TRACE(c.name);
        {
            auto file = readFile(c.bytes);
            CXArchive a(file.get(), false);
            CXString s("old");
            a >> &s;
            EXPECT_EQ(s, "");
            EXPECT_TRUE(a.readFailed());
        }
        {
            auto file = readFile(c.bytes);
            CXArchive a(file.get(), false);
            char* text = nullptr;
            a >> &text;
            ASSERT_NE(text, nullptr);
            EXPECT_STREQ(text, "");
            EXPECT_TRUE(a.readFailed());
            delete[] text;
        }
    }

    auto file = readFile("\x05" "ab");
    CXArchive a(file.get(), false);
    CXString s("old");
    a.readShortString(&s);
    EXPECT_EQ(s, "");

    // Numbers read at the end: integers keep their value, a double becomes 0.
    file = readFile(std::string("\x01\x02", 2));
    CXArchive b(file.get(), false);
    int i = 42;
    double d = 4.2;
    bool flag = true;
    EXPECT_EQ(b.bytesLeft(), 2);
    b >> &i >> &d >> &flag;
    EXPECT_TRUE(b.readFailed());
    EXPECT_EQ(b.bytesLeft(), 0);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(d, 0.0);
    EXPECT_TRUE(flag);

    // A zero length gives a buffer holding only the terminator; reads that find
    // their bytes leave the flag clear, and it stays once set until cleared.
    file = readFile(le32(0) + le32(7));
    CXArchive z(file.get(), false);
    char* text = nullptr;
    z >> &text;
    z >> &i;
    EXPECT_EQ(i, 7);
    EXPECT_FALSE(z.readFailed());
    z >> &i;
    EXPECT_TRUE(z.readFailed());
    z.clearReadFailed();
    EXPECT_FALSE(z.readFailed());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[0], '\0');
    delete[] text;
}

TEST_F(CXArchiveTest, TextOperations) {
    auto file = readFile("  first second\nx");
    CXArchive a(file.get(), false);
    CXString word;
    a.FRead(word);
    EXPECT_EQ(word, "first");
    char c = 0;
    a >> &c;
    EXPECT_EQ(c, ' ');
    a.FRead(word);
    EXPECT_EQ(word, "second");

    // A word longer than the buffer comes in pieces of 1023 characters.
    file = readFile(std::string(1500, 'w'));
    CXArchive b(file.get(), false);
    b.FRead(word);
    EXPECT_EQ(word.getLength(), 1023);
    b.FRead(word);
    EXPECT_EQ(word.getLength(), 477);

    // The same over a memory file, which has no stream.
    char data[] = "\t alpha beta";
    CFile_Stream memory(data, static_cast<int>(std::strlen(data)));
    CXArchive m(&memory, false);
    m.FRead(word);
    EXPECT_EQ(word, "alpha");
    m >> &c;
    EXPECT_EQ(c, ' ');
    m.FRead(word);
    EXPECT_EQ(word, "beta");
}

TEST_F(CXArchiveTest, CopyFileAppendsTheBytes) {
    dir.write("src.dat", std::string("payload\0x", 9));
    const std::string bytes = written([&](CXArchive& a) {
        a << 1;
        a.CopyFileA(CXString(dir.engine("src.dat").c_str()));
        a.CopyFileA(CXString(dir.engine("missing.dat").c_str()));
        a << 2;
    });
    EXPECT_EQ(bytes, le32(1) + std::string("payload\0x", 9) + le32(2));
}

// A write that does not reach the file is an error of the archive; what the
// stream still buffers fails at the file's Close.
TEST_F(CXArchiveTest, FailedWritesAreReported) {
    CFile closed;
    CXArchive nowhere(&closed, true);
    nowhere << 1;
    EXPECT_EQ(nowhere.LastError(), CFile::kErrorWrite);

    if (!platform::exists("/dev/full")) GTEST_SKIP() << "no full device";
    {
        CFile full(nullptr, "/dev/full", CFile::kWriteBinary);
        ASSERT_NE(full.GetHandle(), nullptr);
        CXArchive a(&full, true);
        a << 1 << CXString("short");
        EXPECT_EQ(a.LastError(), 0);
        EXPECT_EQ(full.Close(), CFile::kErrorWrite);
    }
    CFile full(nullptr, "/dev/full", CFile::kWriteBinary);
    CXArchive a(&full, true);
    a << CXString(std::string(100000, 'x').c_str());
    EXPECT_EQ(a.LastError(), CFile::kErrorWrite);
}

TEST_F(CXArchiveTest, WorksOverAMemoryFile) {
    std::string bytes = le32(5) + le32(2) + "hi" + le32(20000);
    CFile_Stream memory(bytes.data(), static_cast<int>(bytes.size()));
    CXArchive a(&memory, false);
    int i = 0;
    CXString s;
    double d = 0;
    a >> &i >> &s >> &d;
    EXPECT_EQ(i, 5);
    EXPECT_EQ(s, "hi");
    EXPECT_EQ(d, 2.0);
}

}  // namespace
