// The engine's LZW code with variable code widths (9 to 16 bits) and a
// dictionary reset.
//
// Block: uint32 unpacked size, uint32 packed size, uint32 code count, then the
// codes packed least significant bit first. Codes 0..255 are literals, 256 the
// reset code, 257.. dictionary strings. The width grows when the next code to
// be assigned reaches 2^width; a reset brings it back to 9. The code data
// always begins with a reset code.
#pragma once

#include "foundation/CCompression.h"

class CLZWCompression : public CCompression {
public:
    CLZWCompression(char* data, int size) : CCompression(data, size) {}

    // Encodes the data into a new[] block; length receives the whole block
    // length, header included.
    char* compress(int& length);
    // Decodes the block held in the data into a new[] buffer of its unpacked
    // size and makes that the object's size. A block whose header, codes or
    // sizes do not agree gives null and the error kErrCorruptData.
    char* decompress(int unused = 0);
};
