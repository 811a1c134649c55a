// Package archives: reading tables, extracting entries (zlib, stored, Ogg sounds),
// building archives, and hostile archives that must write nothing outside their folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "net/CSelfExtract.h"
#include "net/CSelfExtractInfo.h"
#include "platform/SafeFiles.h"
#include "support/TempDir.h"

namespace {

struct Entry {
    uint8_t type;
    std::string data;  // the stored bytes
    std::string name;
    int64_t fileLength = -1;  // -1: the data's length (zlib: filled in by zlibEntry)
};

void put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

std::string zlibOf(const std::string& text) {
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

Entry zlibEntry(const std::string& content, const std::string& name) {
    return {1, zlibOf(content), name, static_cast<int64_t>(content.size())};
}

std::string archive(const std::vector<Entry>& entries, int64_t count = -1) {
    std::string out = "SFX01";
    put32(out, static_cast<uint32_t>(count < 0 ? entries.size() : count));
    for (const Entry& e : entries) {
        out += static_cast<char>(e.type);
        put32(out, static_cast<uint32_t>(e.fileLength < 0 ? e.data.size() : e.fileLength));
        put32(out, static_cast<uint32_t>(e.data.size()));
        out += e.data;
        put32(out, static_cast<uint32_t>(e.name.size()));
        out += e.name;
    }
    return out;
}

// Every path below the folder, relative, sorted.
std::vector<std::string> listing(const std::string& root) {
    std::vector<std::string> names;
    if (!std::filesystem::exists(root)) return names;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::recursive_directory_iterator(); ++it)
        names.push_back(std::filesystem::relative(it->path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

// A 16-bit mono PCM WAV of `samples` samples at 8000 Hz.
std::string wave(uint32_t samples) {
    std::string data;
    for (uint32_t i = 0; i < samples; ++i) {
        const int16_t value = static_cast<int16_t>((i * 523) % 16000 - 8000);
        data += static_cast<char>(value & 0xFF);
        data += static_cast<char>((value >> 8) & 0xFF);
    }
    std::string out = "RIFF";
    put32(out, 36 + static_cast<uint32_t>(data.size()));
    out += "WAVEfmt ";
    put32(out, 16);
    out += std::string("\x01\x00\x01\x00", 4);
    put32(out, 8000);
    put32(out, 16000);
    out += std::string("\x02\x00\x10\x00", 4);
    out += "data";
    put32(out, static_cast<uint32_t>(data.size()));
    return out + data;
}

uint32_t get32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

struct Packages : ::testing::Test {
    test::TempDir dir;
    std::string path(const std::string& name) { return dir.engine(name); }
    bool extractAll(const std::string& pik, const std::string& folder) {
        CSelfExtract package(CXString(path(pik).c_str()));
        return package.ReadTOC() && package.ExtractFiles(CXString(path(folder).c_str()));
    }
};

TEST_F(Packages, ExtractsZlibAndStoredEntries) {
    const std::string bytes = archive({zlibEntry("hello", "a.txt"), {2, std::string("\x01\x02\x03", 3), "d\\b.bin"}});
    EXPECT_EQ(bytes.size(), 63u);
    dir.write("p.pik", bytes);
    CSelfExtract package(CXString(path("p.pik").c_str()));
    ASSERT_TRUE(package.ReadTOC());
    ASSERT_EQ(package.GetCount(), 2);
    EXPECT_EQ(package.GetEntry(1)->GetDataOffset(), 40);
    EXPECT_STREQ(package.GetEntry(1)->GetFilename().c_str(), "d\\b.bin");
    EXPECT_TRUE(package.ExtractFiles(CXString(path("out").c_str())));
    EXPECT_EQ(dir.read("out/a.txt"), "hello");
    EXPECT_EQ(dir.read("out/d/b.bin"), std::string("\x01\x02\x03", 3));
    EXPECT_EQ(listing(dir.native("out")), (std::vector<std::string>{"a.txt", "d", "d/b.bin"}));
}

TEST_F(Packages, TableEdgeCases) {
    dir.write("bad.pik", "SFX02" + std::string(4, '\0'));
    dir.write("empty.pik", archive({}));
    dir.write("one.pik", archive({zlibEntry("x", "x.txt")}));
    CSelfExtract package(CXString(path("bad.pik").c_str()));
    EXPECT_FALSE(package.ReadTOC());
    EXPECT_EQ(package.GetCount(), 0);
    package.SetPath(CXString(path("missing.pik").c_str()));
    EXPECT_FALSE(package.ReadTOC());
    package.SetPath(CXString(path("empty.pik").c_str()));
    EXPECT_TRUE(package.ReadTOC());
    EXPECT_EQ(package.GetCount(), 0);
    EXPECT_TRUE(package.ExtractFiles(CXString(path("none").c_str())));
    EXPECT_TRUE(listing(dir.native("none")).empty());
    package.SetPath(CXString(path("one.pik").c_str()));
    EXPECT_TRUE(package.ReadTOC());
    EXPECT_TRUE(package.ReadTOC());
    EXPECT_EQ(package.GetCount(), 2);
    EXPECT_FALSE(package.ExtractOne(2, CXString(path("o").c_str())));
    EXPECT_FALSE(package.ExtractOne(-1, CXString(path("o").c_str())));
    package.Flush();
    EXPECT_EQ(package.GetCount(), 0);
    EXPECT_FALSE(package.GetPath().IsString());
}

TEST_F(Packages, BadEntriesFailAndLeaveNoFile) {
    struct Case {
        const char* what;
        Entry entry;
    };
    const Case cases[] = {
        {"type 3", {3, "abc", "t3.bin"}},
        {"type 0", {0, "abc", "t0.bin"}},
        {"stored lengths differ", {2, "abc", "s.bin", 5}},
        {"zlib too short for its length", {1, zlibOf("hello"), "z.bin", 6}},
        {"zlib longer than its length", {1, zlibOf("hello"), "z2.bin", 4}},
        {"zlib damaged", {1, "not zlib at all", "z3.bin", 5}},
        {"zlib cut", {1, zlibOf("hello world").substr(0, 6), "z4.bin", 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("e.pik", archive({c.entry}));
        EXPECT_FALSE(extractAll("e.pik", "bad"));
        EXPECT_TRUE(listing(dir.native("bad")).empty());
    }
}

TEST_F(Packages, HostileNamesAndSizesAreRefused) {
    const std::vector<std::string> badNames = {
        "", "\\a", "/a", "C:a", "c:\\a", "a\\..\\..\\x", "..\\x", "a\\.\\b", ".", "a\\\\b", "a\\", "a/../../x",
        std::string("a\0b", 3), std::string(260, 'n'),
    };
    for (const std::string& name : badNames) {
        SCOPED_TRACE(name);
        dir.write("h.pik", archive({zlibEntry("ok", "fine.txt"), {2, "x", name}}));
        CSelfExtract package(CXString(path("h.pik").c_str()));
        EXPECT_FALSE(package.ReadTOC());
        EXPECT_EQ(package.GetCount(), 0);
    }
    // A name of 259 bytes is still a name.
    dir.write("long.pik", archive({{2, "x", std::string(259, 'n')}}));
    CSelfExtract longName(CXString(path("long.pik").c_str()));
    EXPECT_TRUE(longName.ReadTOC());

    const std::string good = archive({zlibEntry("hello", "a.txt"), {2, "xyz", "d\\b.bin"}});
    for (size_t cut = 0; cut < good.size(); ++cut) {
        dir.write("cut.pik", good.substr(0, cut));
        CSelfExtract package(CXString(path("cut.pik").c_str()));
        EXPECT_FALSE(package.ReadTOC()) << cut;
    }
    std::string huge = archive({{2, "x", "a"}}, 0xFFFFFFFF);
    dir.write("count.pik", huge);
    std::string lengths = archive({{2, "x", "a"}});
    lengths[10] = lengths[11] = lengths[12] = lengths[13] = '\xFF';  // file length
    lengths[14] = lengths[15] = lengths[16] = lengths[17] = '\xFF';  // stored length
    dir.write("length.pik", lengths);
    std::string nameLength = archive({{2, "x", "a"}});
    nameLength[19] = nameLength[20] = nameLength[21] = '\xFF';
    dir.write("name.pik", nameLength);
    for (const char* name : {"count.pik", "length.pik", "name.pik"}) {
        CSelfExtract package(CXString(path(name).c_str()));
        EXPECT_FALSE(package.ReadTOC()) << name;
    }
    // A huge file length on a zlib entry fails at extraction without allocating it.
    Entry big = zlibEntry("hello", "big.bin");
    big.fileLength = 0xFFFFFFFF;
    dir.write("big.pik", archive({big}));
    EXPECT_FALSE(extractAll("big.pik", "big"));
    EXPECT_TRUE(listing(dir.native("big")).empty());
}

TEST_F(Packages, LinksBelowTheFolderAreNeverFollowed) {
    dir.mkdir("outside");
    dir.write("outside/keep.txt", "keep");
    dir.mkdir("target");
    ASSERT_EQ(symlink(dir.native("outside").c_str(), dir.native("target/d").c_str()), 0);
    ASSERT_EQ(symlink(dir.native("outside/keep.txt").c_str(), dir.native("target/f.txt").c_str()), 0);
    dir.write("l.pik", archive({{2, "evil", "d\\keep.txt"}, {2, "new", "f.txt"}, {2, "x", "D\\other.txt"}}));
    CSelfExtract package(CXString(path("l.pik").c_str()));
    ASSERT_TRUE(package.ReadTOC());
    EXPECT_FALSE(package.ExtractOne(0, CXString(path("target").c_str())));
    EXPECT_FALSE(package.ExtractOne(2, CXString(path("target").c_str())));
    // A file that takes a link's place replaces the link, not what it names.
    EXPECT_TRUE(package.ExtractOne(1, CXString(path("target").c_str())));
    EXPECT_EQ(listing(dir.native("outside")), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(dir.read("outside/keep.txt"), "keep");
    EXPECT_EQ(dir.read("target/f.txt"), "new");
    struct stat st;
    ASSERT_EQ(lstat(dir.native("target/f.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(Packages, ExistingFoldersMatchIgnoringCase) {
    dir.mkdir("game/Dane");
    dir.write("c.pik", archive({{2, "abc", "GAME\\dane\\x.txt"}}));
    EXPECT_TRUE(extractAll("c.pik", ""));
    EXPECT_EQ(dir.read("game/Dane/x.txt"), "abc");
}

TEST_F(Packages, RoundTripWithSounds) {
    dir.write("src/game1/Dane/a.cnv", "OBJECT=A\r\n");
    dir.write("src/game1/Dane/s.wav", wave(4000));
    dir.write("src/game1/temp.wav", wave(800));
    dir.write("src/game1/empty.txt", "");
    dir.write("src/game1/UP.WAV", "not converted");
    CSelfExtract packer;
    packer.AddDirectory(CXString(path("src/game1").c_str()), CXString("game1\\"));
    ASSERT_EQ(packer.GetCount(), 5);
    ASSERT_TRUE(packer.CreateArchive(CXString(path("game1.pik").c_str())));
    EXPECT_FALSE(dir.hasTemporaryOf("game1.pik"));

    CSelfExtract reader(CXString(path("game1.pik").c_str()));
    ASSERT_TRUE(reader.ReadTOC());
    ASSERT_EQ(reader.GetCount(), 5);
    EXPECT_STREQ(reader.GetEntry(0)->GetFilename().c_str(), "game1\\Dane\\a.cnv");
    ASSERT_TRUE(reader.ExtractFiles(CXString(path("dst").c_str())));
    EXPECT_EQ(dir.read("dst/game1/Dane/a.cnv"), "OBJECT=A\r\n");
    EXPECT_EQ(dir.read("dst/game1/empty.txt"), "");
    EXPECT_EQ(dir.read("dst/game1/UP.WAV"), "not converted");
    for (auto [name, samples] : {std::pair<const char*, uint32_t>{"dst/game1/Dane/s.wav", 4000},
                                 {"dst/game1/temp.wav", 800}}) {
        SCOPED_TRACE(name);
        const std::string bytes = dir.read(name);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(get32(bytes, 24), 8000u);
        EXPECT_EQ(bytes.substr(36, 4), "data");
        EXPECT_EQ(get32(bytes, 40), samples * 2);
        EXPECT_EQ(bytes.size(), 44u + samples * 2);
        EXPECT_EQ(bytes.find("OggS"), std::string::npos);
    }
    EXPECT_EQ(listing(dir.native("dst")),
              (std::vector<std::string>{"game1", "game1/Dane", "game1/Dane/a.cnv", "game1/Dane/s.wav", "game1/UP.WAV",
                                        "game1/empty.txt", "game1/temp.wav"}));
}

TEST_F(Packages, UndecodableSoundKeepsItsBytesAndFails) {
    dir.write("w.pik", archive({{2, "plain text", "x.wav.bak"}}));
    EXPECT_FALSE(extractAll("w.pik", "w"));
    EXPECT_EQ(dir.read("w/x.wav.bak"), "plain text");
    EXPECT_EQ(listing(dir.native("w")), std::vector<std::string>{"x.wav.bak"});
}

TEST_F(Packages, CreateArchiveCountsOnlyWhatItWrote) {
    dir.write("f/a.txt", "aaa");
    CSelfExtract packer;
    packer.AddDirectory(CXString(path("f").c_str()), CXString("f\\"));
    // Unreadable by the time the archive is made: left out, and the count says so.
    dir.write("g/b.wav", "not a wave");
    packer.AddDirectory(CXString(path("g").c_str()), CXString("g\\"));
    dir.remove("g/b.wav");
    ASSERT_TRUE(packer.CreateArchive(CXString(path("c.pik").c_str())));
    CSelfExtract reader(CXString(path("c.pik").c_str()));
    ASSERT_TRUE(reader.ReadTOC());
    ASSERT_EQ(reader.GetCount(), 1);
    EXPECT_STREQ(reader.GetEntry(0)->GetFilename().c_str(), "f\\a.txt");
    EXPECT_FALSE(packer.CreateArchive(CXString(path("nofolder/c.pik").c_str())));
}

// Decoding a sound tells of the stream: its comments, format, length and encoder on
// stderr, the sound's path on stdout; what does not decode gives the one failure line.
TEST_F(Packages, DecodingWritesTheStreamsDiagnostics) {
    dir.write("w.wav", wave(4000));
    ASSERT_EQ(platform::runProgram({"oggenc", "-Q", "-c", "TITLE=Bell", "-c", "ARTIST=Demo", dir.native("w.wav"), "-o",
                                    dir.native("w.ogg")}),
              0);
    struct Case {
        const char* label;
        std::string data;
        bool decodes;
    };
    const Case cases[] = {{"ogg", dir.read("w.ogg"), true}, {"not ogg", "plain text", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string folder = std::string("out-") + (c.decodes ? "a" : "b");
        dir.write("s.pik", archive({{2, c.data, "snd\\bell.wav"}}));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool extracted = extractAll("s.pik", folder);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(extracted, c.decodes);
        if (!c.decodes) {
            EXPECT_EQ(out, "");
            EXPECT_EQ(err, "Input does not appear to be an Ogg bitstream.\n");
            continue;
        }
        EXPECT_EQ(out, path(folder) + "\\snd\\bell.wav\n");
        const std::string format = "\nBitstream is 1 channel, 8000Hz\n\nDecoded length: 4000 samples\nEncoded by: ";
        const size_t at = err.find(format);
        ASSERT_NE(at, std::string::npos) << err;
        // The comments come first, a line each (the encoder may add its own).
        const std::string comments = err.substr(0, at);
        EXPECT_NE(comments.find("TITLE=Bell\nARTIST=Demo\n"), std::string::npos) << err;
        EXPECT_EQ(comments.back(), '\n');
        const std::string vendor = err.substr(at + format.size());
        ASSERT_GT(vendor.size(), 2u) << err;
        EXPECT_EQ(vendor.substr(vendor.size() - 2), "\n\n");
        EXPECT_EQ(vendor.find('\n'), vendor.size() - 2) << err;
    }
}

}  // namespace
