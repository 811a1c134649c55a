// Run-length code of the engine's image planes, over bytes or 16-bit units.
//
// The packed data is a sequence of blocks, each opened by one control byte c:
//   0..127    a literal block: c units follow and are copied as they are;
//   128..255  a run block: one unit follows and is repeated c - 128 times.
// Units are one byte (the "char" forms) or one 16-bit little-endian value;
// the control byte is always one byte.
#pragma once

#include <cstdint>

#include "foundation/CCompression.h"

class CRLECompression : public CCompression {
public:
    CRLECompression(char* data, int size) : CCompression(data, size) {}

    // Encode n bytes; the packed length goes to *packedLength. The result is a
    // new[] buffer owned by the caller (an empty input gives a zero-length one).
    static char* __compresschar(char* data, int n, int* packedLength);
    // Encode n bytes of 16-bit units (n even; an odd last byte is dropped).
    static char* __compress(char* data, int n, int* packedLength);

    // Decode packedSize bytes into a new[] buffer of exactly decodedSize bytes.
    // Packed data that ends before the output is full, or a block that would
    // run past the end of the input or of the output, gives null.
    static char* __decompresschar(char* packed, int packedSize, int decodedSize);
    static char* __decompress(char* packed, int packedSize, int decodedSize);

    // Byte `index` of the decoded form of a byte plane, read from the blocks without
    // decoding them; -1 when the index is outside or the data would not decode to
    // exactly decodedSize bytes (where __decompresschar gives null).
    static int byteAt(const char* packed, int packedSize, int decodedSize, int64_t index);
};
