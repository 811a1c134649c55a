// Line-by-line decoder of the signed-count run-length code of layered image
// channels: per line a packed length, then blocks opened by a signed byte n:
// n < 0 repeats the next byte 1 - n times, n >= 0 copies the next n + 1 bytes.
#pragma once
#include <cstdint>

#include "foundation/CCompression.h"
#include "foundation/CXSize.h"

class CRLECompression2 : public CCompression {
public:
    // Takes ownership of lineLengths (new[], one per line of size.cy).
    CRLECompression2(CXSize size, short* lineLengths, char* data, int dataSize);
    ~CRLECompression2() override;

    CRLECompression2(const CRLECompression2&) = delete;
    CRLECompression2& operator=(const CRLECompression2&) = delete;

    // Never encodes: returns null and a length of 0.
    char* Compress(int& length);
    // A new[] buffer of width x height bytes, lines decoded one after the other;
    // bytes that the lines do not cover are 0. Null (error kErrCorruptData) when
    // a line's packed bytes lie outside the data or its blocks overrun the line
    // or the output.
    char* Decompress(int unused = 0);

private:
    CXSize m_imageSize;
    int16_t* m_lineLengths = nullptr;
};
