#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/CRLECompression.h"
#include "foundation/CRLECompression2.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Encodes with the word (16-bit unit) or the byte code.
Bytes pack(bool words, const Bytes& in) {
    int length = -1;
    char* src = reinterpret_cast<char*>(const_cast<uint8_t*>(in.data()));
    const int size = static_cast<int>(in.size());
    std::unique_ptr<char[]> p(words ? CRLECompression::__compress(src, size, &length)
                                    : CRLECompression::__compresschar(src, size, &length));
    EXPECT_NE(p, nullptr);
    return Bytes(p.get(), p.get() + length);
}

// Decodes; an empty optional-like result is signalled through ok.
Bytes unpack(bool words, const Bytes& packed, int size, bool* ok) {
    char* src = reinterpret_cast<char*>(const_cast<uint8_t*>(packed.data()));
    std::unique_ptr<char[]> p(words ? CRLECompression::__decompress(src, static_cast<int>(packed.size()), size)
                                    : CRLECompression::__decompresschar(src, static_cast<int>(packed.size()), size));
    *ok = p != nullptr;
    return p ? Bytes(p.get(), p.get() + size) : Bytes();
}

Bytes repeat(uint8_t v, size_t n) { return Bytes(n, v); }

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Bytes of which no two neighbours are equal.
Bytes sawtooth(size_t n) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i % 251);
    return out;
}

struct KnownVector {
    const char* name;
    Bytes input;
    Bytes packed;
};

// Each input packs to exactly its bytes, which unpack to the input again.
void expectKnownVectors(bool words, const std::vector<KnownVector>& cases) {
    for (const KnownVector& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pack(words, c.input), c.packed);
        bool ok = false;
        EXPECT_EQ(unpack(words, c.packed, static_cast<int>(c.input.size()), &ok), c.input);
        EXPECT_TRUE(ok);
    }
}

TEST(CRLECompression, ByteCodeKnownVectors) {
    const Bytes saw200 = sawtooth(200);
    const std::vector<KnownVector> cases = {
        {"empty", {}, {}},
        {"four equal", repeat('a', 4), {0x84, 'a'}},
        {"three equal stay literal", repeat('a', 3), {0x03, 'a', 'a', 'a'}},
        {"two equal stay literal", repeat('a', 2), {0x02, 'a', 'a'}},
        {"single", {'z'}, {0x01, 'z'}},
        {"127 equal", repeat('x', 127), {0xFF, 'x'}},
        {"128 equal", repeat('x', 128), {0xFF, 'x', 0x01, 'x'}},
        {"129 equal", repeat('x', 129), {0xFF, 'x', 0x02, 'x', 'x'}},
        {"131 equal", repeat('x', 131), {0xFF, 'x', 0x84, 'x'}},
        {"300 equal", repeat('x', 300), {0xFF, 'x', 0xFF, 'x', 0xAE, 'x'}},
        {"literal then run", cat({{'a', 'b'}, repeat('c', 5)}), {0x02, 'a', 'b', 0x85, 'c'}},
        {"run then literal", cat({repeat('c', 5), {'a', 'b'}}), {0x85, 'c', 0x02, 'a', 'b'}},
        {"literal, pair, literal", {'a', 'b', 'b', 'c'}, {0x01, 'a', 0x02, 'b', 'b', 0x01, 'c'}},
        {"200 distinct neighbours",
         saw200,
         cat({{127},
              Bytes(saw200.begin(), saw200.begin() + 127),
              {1, saw200[127]},
              {72},
              Bytes(saw200.begin() + 128, saw200.end())})},
    };
    expectKnownVectors(false, cases);
}

TEST(CRLECompression, WordCodeKnownVectors) {
    const std::vector<KnownVector> cases = {
        {"empty", {}, {}},
        {"five equal units", {1, 2, 1, 2, 1, 2, 1, 2, 1, 2}, {0x85, 1, 2}},
        {"three equal units stay literal", {1, 2, 1, 2, 1, 2}, {0x03, 1, 2, 1, 2, 1, 2}},
        // Units compare as whole 16-bit values: 0x0101 0x0101 differ from 0x0102.
        {"literal units", {1, 1, 1, 2, 2, 1}, {0x03, 1, 1, 1, 2, 2, 1}},
        {"128 equal units", cat({repeat(7, 256)}), {0xFF, 7, 7, 0x01, 7, 7}},
    };
    expectKnownVectors(true, cases);
}

TEST(CRLECompression, RoundTripsMixedAndIncompressibleData) {
    std::mt19937 rng(7);
    Bytes noise(5000);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    Bytes mixed;
    for (size_t run : {1, 2, 3, 4, 126, 127, 128, 129, 254, 255, 256, 1000}) {
        mixed.insert(mixed.end(), run, static_cast<uint8_t>(run));
        mixed.insert(mixed.end(), noise.begin(), noise.begin() + static_cast<long>(run % 300));
    }
    for (const Bytes* data : {&noise, &mixed}) {
        Bytes packed = pack(false, *data);
        bool ok = false;
        EXPECT_EQ(unpack(false, packed, static_cast<int>(data->size()), &ok), *data);
        EXPECT_TRUE(ok);
        EXPECT_LE(packed.size(), data->size() * 2);

        Bytes even = *data;
        if (even.size() % 2) even.pop_back();
        packed = pack(true, even);
        EXPECT_EQ(unpack(true, packed, static_cast<int>(even.size()), &ok), even);
        EXPECT_TRUE(ok);
    }
}

TEST(CRLECompression, CorruptPackedDataGivesNull) {
    struct Case {
        const char* name;
        bool words;
        Bytes packed;
        int size;
    } cases[] = {
        {"input ends before output is full", false, {0x84, 'a'}, 5},
        {"literal passes end of input", false, {0x05, 'a', 'b'}, 5},
        {"literal passes end of output", false, {0x05, 'a', 'b', 'c', 'd', 'e'}, 4},
        {"run passes end of output", false, {0x90, 'a'}, 15},
        {"run without its unit", false, {0x90}, 16},
        {"empty input for non-empty output", false, {}, 1},
        {"negative decoded size", false, {0x01, 'a'}, -1},
        {"word run without whole unit", true, {0x82, 'a'}, 4},
        {"word literal passes end of input", true, {0x02, 1, 2, 3}, 4},
        {"odd decoded size cannot hold the last unit", true, {0x82, 1, 2}, 3},
        {"output far larger than any packing allows", false, {0xFF, 'a'}, 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = true;
        unpack(c.words, c.packed, c.size, &ok);
        EXPECT_FALSE(ok);
    }
}

TEST(CRLECompression, EmptyBlocksAndTrailingBytesDecode) {
    bool ok = false;
    // Literal and run blocks of zero units are legal and produce nothing.
    EXPECT_EQ(unpack(false, {0x00, 0x80, 'q', 0x82, 'a', 0x7F}, 2, &ok), Bytes({'a', 'a'}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(unpack(false, {}, 0, &ok), Bytes());
    EXPECT_TRUE(ok);
}

TEST(CRLECompression, ByteAtReadsWhatDecodingGives) {
    // Every index of valid planes (runs, literals, empty blocks) and of corrupt ones:
    // the byte decoding gives there, or -1 where decoding fails.
    const Bytes mixed = cat({repeat(0, 300), sawtooth(200), repeat(255, 7), {1, 2, 2, 3}, repeat(9, 129)});
    struct Case {
        const char* name;
        Bytes packed;
        int size;
    } cases[] = {
        {"mixed", pack(false, mixed), static_cast<int>(mixed.size())},
        {"empty blocks", {0x00, 0x80, 'q', 0x82, 'a', 0x7F}, 2},
        {"input ends before output is full", {0x84, 'a'}, 5},
        {"literal passes end of output", {0x05, 'a', 'b', 'c', 'd', 'e'}, 4},
        {"run without its unit", {0x90}, 16},
        {"output far larger than any packing allows", {0xFF, 'a'}, 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = false;
        const Bytes plain = unpack(false, c.packed, c.size, &ok);
        const char* packed = reinterpret_cast<const char*>(c.packed.data());
        const int n = static_cast<int>(c.packed.size());
        for (int64_t i = -1; i <= c.size; ++i) {
            const int expected = ok && i >= 0 && i < c.size ? plain[static_cast<size_t>(i)] : -1;
            ASSERT_EQ(CRLECompression::byteAt(packed, n, c.size, i), expected) << "index " << i;
        }
    }
}

std::vector<char> rle2(CXSize size, std::vector<short> lines, const Bytes& data, bool* ok) {
    short* owned = new short[lines.size() + 1];
    std::copy(lines.begin(), lines.end(), owned);
    CRLECompression2 codec(size, owned, reinterpret_cast<char*>(const_cast<uint8_t*>(data.data())),
                           static_cast<int>(data.size()));
    std::unique_ptr<char[]> out(codec.Decompress(0));
    *ok = out != nullptr;
    if (!out) {
        EXPECT_EQ(codec.LastError(), CCompression::kErrCorruptData);
        return {};
    }
    return std::vector<char>(out.get(), out.get() + size.cx * size.cy);
}

TEST(CRLECompression2, DecodesSignedCountLines) {
    bool ok = false;
    // Line 0: n=0 copies one byte, n=-1 repeats the next byte twice.
    // Line 1: n=2 copies three bytes.
    auto out = rle2(CXSize(3, 2), {4, 4}, {0x00, 'a', 0xFF, 'b', 0x02, 'x', 'y', 'z'}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "abbxyz");

    // -128 gives 129 copies.
    out = rle2(CXSize(129, 1), {2}, {0x80, 'q'}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string(129, 'q'));

    // A line of length 0 reads nothing; uncovered output stays 0.
    out = rle2(CXSize(2, 2), {0, 3}, {0x01, 'c', 'd'}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(out, std::vector<char>({'c', 'd', 0, 0}));

    CRLECompression2 none(CXSize(1, 1), nullptr, nullptr, 0);
    int length = 5;
    EXPECT_EQ(none.Compress(length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(CRLECompression2, CorruptLinesGiveNull) {
    bool ok = true;
    rle2(CXSize(4, 1), {6}, {0x03, 'a', 'b', 'c', 'd'}, &ok);  // line passes end of data
    EXPECT_FALSE(ok);
    rle2(CXSize(4, 1), {3}, {0x03, 'a', 'b', 'c', 'd'}, &ok);  // block passes end of line
    EXPECT_FALSE(ok);
    rle2(CXSize(2, 1), {2}, {0xFD, 'a'}, &ok);  // run passes end of output
    EXPECT_FALSE(ok);
    rle2(CXSize(2, 1), {1}, {0xFD}, &ok);  // run without its byte
    EXPECT_FALSE(ok);
    rle2(CXSize(-2, 1), {1}, {0x00}, &ok);
    EXPECT_FALSE(ok);
}

}  // namespace
