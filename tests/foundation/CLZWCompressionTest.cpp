#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/CLZWCompression.h"
#include "foundation/CLZWCompression2.h"

namespace {

using Bytes = std::vector<uint8_t>;

char* raw(const Bytes& b) { return reinterpret_cast<char*>(const_cast<uint8_t*>(b.data())); }

uint32_t u32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The whole block either codec makes of the bytes.
template <class Codec>
Bytes pack(const Bytes& in) {
    Codec codec(raw(in), static_cast<int>(in.size()));
    int length = -1;
    std::unique_ptr<char[]> out(codec.compress(length));
    EXPECT_NE(out, nullptr);
    return Bytes(out.get(), out.get() + length);
}
Bytes lzwPack(const Bytes& in) { return pack<CLZWCompression>(in); }
Bytes lzoPack(const Bytes& in) { return pack<CLZWCompression2>(in); }

bool lzwUnpack(const Bytes& block, Bytes* out) {
    CLZWCompression codec(raw(block), static_cast<int>(block.size()));
    std::unique_ptr<char[]> data(codec.decompress(0));
    if (!data) {
        EXPECT_EQ(codec.LastError(), CCompression::kErrCorruptData);
        return false;
    }
    *out = Bytes(data.get(), data.get() + codec.GetSize());
    return true;
}

// The codes of a block, read with the width rules of the format.
std::vector<uint32_t> codesOf(const Bytes& block) {
    std::vector<uint32_t> codes;
    const uint32_t count = u32(block, 8);
    uint64_t bit = 0;
    int width = 9;
    uint32_t next = 257;
    auto read = [&](int w) {
        uint32_t v = 0;
        for (int i = 0; i < w; ++i, ++bit) v |= ((block[12 + bit / 8] >> (bit % 8)) & 1u) << i;
        return v;
    };
    while (codes.size() < count) {
        const uint32_t code = read(width);
        codes.push_back(code);
        if (code == 256) {
            width = 9;
            next = 257;
            if (codes.size() < count) codes.push_back(read(9));
            continue;
        }
        if (next < 65536) ++next;
        if (width < 16 && next >= (1u << width)) ++width;
    }
    return codes;
}

// Words from a small vocabulary: text that packs well.
Bytes wordText(size_t n, uint32_t seed) {
    static const char* words[] = {"scene ", "anim ", "play ", "button ", "sound ", "click ", "wait ", "hide "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const char* w = words[rng() % 8];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(n);
    return out;
}

Bytes noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

TEST(CLZWCompression, KnownBlocks) {
    // One byte: the reset code and one literal, 18 bits in 3 bytes.
    Bytes block = lzwPack({'A'});
    EXPECT_EQ(block, Bytes({1, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 0x00, 0x83, 0x00}));

    // Three equal bytes: the literal, then the not-yet-known code 257.
    block = lzwPack({0xFF, 0xFF, 0xFF});
    EXPECT_EQ(u32(block, 0), 3u);
    EXPECT_EQ(u32(block, 4), 4u);
    EXPECT_EQ(codesOf(block), std::vector<uint32_t>({256, 0xFF, 257}));
    Bytes out;
    ASSERT_TRUE(lzwUnpack(block, &out));
    EXPECT_EQ(out, Bytes({0xFF, 0xFF, 0xFF}));

    // An empty input is the reset code alone.
    block = lzwPack({});
    EXPECT_EQ(block, Bytes({0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0x00, 0x01}));
    ASSERT_TRUE(lzwUnpack(block, &out));
    EXPECT_TRUE(out.empty());

    // After a reset the next code is taken as a literal: only its low byte counts,
    // so it cannot point into entries left over from before the reset.
    // Codes: 256, 300 (read as 44 ','), 257 (not yet known: ",,").
    {
        const uint32_t v = 256 | 300u << 9 | 257u << 18;
        const Bytes crafted = {3, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                               static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        ASSERT_TRUE(lzwUnpack(crafted, &out));
        EXPECT_EQ(out, Bytes({',', ',', ','}));
    }

    // "abababa": a, b, 257 = "ab", then 259 = "aba" once it is known.
    block = lzwPack({'a', 'b', 'a', 'b', 'a', 'b', 'a'});
    EXPECT_EQ(codesOf(block), std::vector<uint32_t>({256, 'a', 'b', 257, 259}));
}

TEST(CLZWCompression, RoundTrips) {
    Bytes runs;
    for (int i = 0; i < 40; ++i) runs.insert(runs.end(), static_cast<size_t>(i * 37 % 300 + 1), static_cast<uint8_t>(i));
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"text", wordText(50000, 1)},
        {"runs", runs},
        {"one long run", Bytes(200000, 0x55)},
        {"incompressible, fills the dictionary", noise(300000, 2)},
        {"text then noise", [] {
             Bytes b = wordText(30000, 3);
             Bytes n = noise(120000, 4);
             b.insert(b.end(), n.begin(), n.end());
             return b;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes block = lzwPack(c.data);
        EXPECT_EQ(u32(block, 0), c.data.size());
        EXPECT_EQ(u32(block, 4), block.size() - 12);
        EXPECT_EQ(u32(block, 8), codesOf(block).size());
        Bytes out;
        ASSERT_TRUE(lzwUnpack(block, &out));
        EXPECT_TRUE(out == c.data);
    }
}

TEST(CLZWCompression, ResetsWhenTheRatioDrops) {
    Bytes data = wordText(30000, 5);
    Bytes n = noise(120000, 6);
    data.insert(data.end(), n.begin(), n.end());
    const std::vector<uint32_t> codes = codesOf(lzwPack(data));
    size_t resets = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] != 256) continue;
        ++resets;
        if (i + 1 < codes.size()) {
            EXPECT_LT(codes[i + 1], 256u);
        }
    }
    EXPECT_EQ(codes[0], 256u);
    EXPECT_GE(resets, 2u);
}

TEST(CLZWCompression, CorruptBlocksGiveNull) {
    const Bytes good = lzwPack(wordText(3000, 7));
    Bytes out;
    ASSERT_TRUE(lzwUnpack(good, &out));

    auto with = [&](size_t at, uint32_t v) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    const struct {
        const char* name;
        Bytes block;
    } cases[] = {
        {"shorter than the header", Bytes(good.begin(), good.begin() + 11)},
        {"packed size past the data", Bytes(good.begin(), good.end() - 1)},
        {"unpacked size too large", with(0, u32(good, 0) + 1)},
        {"unpacked size too small", with(0, u32(good, 0) - 1)},
        {"huge unpacked size", with(0, 0x7FFFFFF0u)},
        {"more codes than bits", with(8, u32(good, 8) + 1000)},
        {"fewer codes than needed", with(8, u32(good, 8) - 1)},
        // The reset code, 'a', then code 300 while 257 is the next to assign.
        {"code beyond the next one", Bytes({2, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 0x00, 0xC3, 0xB0, 0x04})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(lzwUnpack(c.block, &out));
    }
}

bool lzoUnpack(const Bytes& block, Bytes* out) {
    CLZWCompression2 codec(raw(block), static_cast<int>(block.size()));
    std::unique_ptr<char[]> data(codec.decompress());
    EXPECT_EQ(codec.GetSize(), static_cast<int>(block.size()));
    if (!data) {
        EXPECT_EQ(codec.LastError(), CCompression::kErrCorruptData);
        return false;
    }
    *out = Bytes(data.get(), data.get() + u32(block, 0));
    return true;
}

TEST(CLZWCompression2, BlocksRoundTrip) {
    for (const Bytes& data : {Bytes(), Bytes({'x'}), wordText(40000, 8), noise(100000, 9), Bytes(65536, 0)}) {
        const Bytes block = lzoPack(data);
        ASSERT_GE(block.size(), 8u);
        EXPECT_EQ(u32(block, 0), data.size());
        EXPECT_EQ(u32(block, 4), block.size() - 8);
        Bytes out;
        ASSERT_TRUE(lzoUnpack(block, &out));
        EXPECT_TRUE(out == data);
    }
    // A known block: LZO1X-1 stores a short literal run as 17 + count, then the
    // end marker 0x11 0x00 0x00.
    EXPECT_EQ(lzoPack({'a', 'b', 'c'}), Bytes({3, 0, 0, 0, 7, 0, 0, 0, 20, 'a', 'b', 'c', 0x11, 0, 0}));
}

TEST(CLZWCompression2, CorruptBlocksGiveNull) {
    const Bytes good = lzoPack(wordText(5000, 10));
    auto with = [&](size_t at, uint32_t v) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    Bytes garbled = good;
    for (size_t i = 8; i < garbled.size(); i += 3) garbled[i] ^= 0x5A;
    const struct {
        const char* name;
        Bytes block;
    } cases[] = {
        {"shorter than the header", Bytes(good.begin(), good.begin() + 7)},
        {"packed size past the data", Bytes(good.begin(), good.end() - 1)},
        {"unpacked size too large", with(0, u32(good, 0) + 1)},
        {"unpacked size too small", with(0, u32(good, 0) - 1)},
        {"implausible unpacked size", with(0, 0x7FFFFFF0u)},
        {"garbled data", garbled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        EXPECT_FALSE(lzoUnpack(c.block, &out));
    }
}

}  // namespace
