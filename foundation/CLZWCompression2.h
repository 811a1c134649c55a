// Block format around the LZO1X-1 compressor: uint32 unpacked size, uint32
// packed size, then the LZO1X data.
#pragma once

#include "foundation/CCompression.h"

class CLZWCompression2 : public CCompression {
public:
    CLZWCompression2(char* data, int size) : CCompression(data, size) {}

    // A new[] block; length receives 8 + packed size. On a compressor error
    // length is 0 and the result null.
    char* compress(int& length);
    // A new[] buffer of the block's unpacked size. A block that is shorter than
    // its header says, names an implausible size, or that the library rejects
    // or decodes to another size gives null and the error kErrCorruptData.
    char* decompress();
};
