// The bounded chunk scan shared by the WAV readers.
#include "shell/RiffChunks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string chunk(const char* id, uint32_t size, const std::string& body) { return std::string(id, 4) + le32(size) + body; }

std::string riff(const std::string& chunks) { return "RIFF" + le32(uint32_t(chunks.size() + 4)) + "WAVE" + chunks; }

RiffScanner over(const std::string& bytes, RiffScanner::Padding padding, int* reads = nullptr) {
    return RiffScanner(
        [&bytes, reads](int64_t offset, void* destination, int64_t count) -> int64_t {
            if (reads) ++*reads;
            // A reader that would give bytes past the end if asked.
            EXPECT_LE(offset + count, int64_t(bytes.size()));
            std::memcpy(destination, bytes.data() + offset, size_t(count));
            return count;
        },
        int64_t(bytes.size()), padding);
}

TEST(RiffChunks, FindsChunksWithinTheBytesPresent) {
    using P = RiffScanner::Padding;
    struct Case {
        const char* what;
        std::string bytes;
        P padding;
        bool found;
        int64_t offset;
        uint32_t size;
        uint32_t present;
    };
    const std::string fmt = chunk("fmt ", 16, std::string(16, 'f'));
    const Case cases[] = {
        {"after fmt", riff(fmt + chunk("data", 4, "abcd")), P::kNone, true, 44, 4, 4},
        {"odd chunk, no pad", riff(chunk("junk", 3, "xyz") + chunk("data", 2, "ab")), P::kNone, true, 31, 2, 2},
        {"odd chunk, word pad", riff(chunk("junk", 3, "xyz") + std::string(1, '\0') + chunk("data", 2, "ab")), P::kWord,
         true, 32, 2, 2},
        {"data longer than the file", riff(fmt + chunk("data", 1000, "abcd")), P::kNone, true, 44, 1000, 4},
        {"data size near 4 GB", riff(fmt + chunk("data", 0xFFFFFFFF, "abcd")), P::kNone, true, 44, 0xFFFFFFFF, 4},
        {"skip past the end", riff(chunk("junk", 0xFFFFFFF0, "xyz") + chunk("data", 2, "ab")), P::kWord, false, 0, 0, 0},
        {"skip lands in the header", riff(chunk("junk", 3, "xyz") + "dat"), P::kNone, false, 0, 0, 0},
        {"no data chunk", riff(fmt), P::kNone, false, 0, 0, 0},
        {"empty data at the end", riff(fmt + chunk("data", 0, "")), P::kNone, true, 44, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RiffScanner scan = over(c.bytes, c.padding);
        ASSERT_TRUE(scan.readHeader());
        RiffChunk found;
        ASSERT_EQ(scan.find("data", &found), c.found);
        if (!c.found) continue;
        EXPECT_EQ(found.offset, c.offset);
        EXPECT_EQ(found.size, c.size);
        EXPECT_EQ(found.present, c.present);
    }
}

TEST(RiffChunks, HeaderAndReadsStayInsideTheFile) {
    for (const std::string& bad : {std::string("RIFF"), std::string("RIFX") + le32(4) + "WAVE", std::string("RIFF") + le32(4) + "AVI "}) {
        EXPECT_FALSE(over(bad, RiffScanner::Padding::kNone).readHeader());
    }
    const std::string bytes = riff(chunk("fmt ", 16, std::string(16, 'f')));
    int reads = 0;
    RiffScanner scan = over(bytes, RiffScanner::Padding::kNone, &reads);
    ASSERT_TRUE(scan.readHeader());
    RiffChunk fmt;
    ASSERT_TRUE(scan.find("fmt ", &fmt));
    char out[20];
    reads = 0;
    EXPECT_TRUE(scan.read(fmt.offset, out, 16));
    EXPECT_FALSE(scan.read(fmt.offset, out, 17));
    EXPECT_FALSE(scan.read(-1, out, 1));
    EXPECT_FALSE(scan.read(int64_t(bytes.size()) + 1, out, 0x7FFFFFFF));
    EXPECT_EQ(reads, 1);
    // A second find goes on behind the chunk found, where nothing follows.
    RiffChunk again;
    EXPECT_FALSE(scan.find("fmt ", &again));
}

}  // namespace
