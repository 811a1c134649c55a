// The engine's binary serialiser over an open CFile: little-endian numbers,
// strings as a 32-bit length and the bytes (no terminator), rectangles as four
// 32-bit values, short strings with a one-byte length, and doubles as 32-bit
// fixed point with four decimals. The archive keeps no framing of its own; a
// reader reads the same sequence of primitives that the writer wrote.
//
// A write that does not reach the file whole sets the error code
// CFile::kErrorWrite, which stays until the caller clears it; bytes the stream
// still buffers are only known to be written once the file's Close succeeds.
//
// Reads never trust the file: a string whose length passes the bytes left, or
// a short read, gives the empty string; a double read short gives 0; integers
// and bools read short keep the target's value. Any binary read that comes up
// short (or meets a negative length) sets a read-failure flag that stays, so a
// reader checks once at the end of a whole record.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"

class CFile;

class CXArchive : public CXObject {
public:
    // Not owned: the archive never opens, closes or deletes the file (Close aside).
    CXArchive(CFile* file, bool storing);

    bool isStoring() const { return m_storing; }
    // Closes the file; the archive is usable again only if the file is reopened.
    void Close();
    void Separator(unsigned char separator) { m_separator = separator; }

    CXArchive& operator<<(int value);
    CXArchive& operator<<(uint32_t value);
    CXArchive& operator<<(int64_t value);
    // 32-bit fixed point: value x 10000 truncated toward zero, low 32 bits.
    CXArchive& operator<<(double value);
    CXArchive& operator<<(bool value);
    CXArchive& operator<<(const char* text);
    CXArchive& operator<<(const CXString& text);
    CXArchive& operator<<(const CXRect& rect);

    CXArchive& operator>>(int* value);
    CXArchive& operator>>(uint32_t* value);
    CXArchive& operator>>(int64_t* value);
    CXArchive& operator>>(double* value);
    CXArchive& operator>>(bool* value);
    // A new[] text of the stored length plus a terminator; the caller deletes it.
    CXArchive& operator>>(char** text);
    CXArchive& operator>>(CXString* text);
    CXArchive& operator>>(CXRect* rect);
    // Text: reads exactly one character.
    CXArchive& operator>>(char* c);

    // One length byte (the low 8 bits of the length), then that many bytes.
    void writeShortString(const CXString& text);
    // The length byte is unsigned: 0 to 255 bytes.
    void readShortString(CXString* text);

    // Text: skips white space and reads one word of at most 1023 characters.
    void FRead(CXString& word);
    // Text: writes the characters, no length, no terminator.
    void FWrite(const CXString& text);

    // Appends the named file's bytes (opened for binary reading through CFile's
    // path rules); nothing when it cannot be opened.
    CXArchive& CopyFileA(CXString name);

    CFile* getFile() const { return m_file; }
    // A binary read came up short since the archive was made (or the flag cleared).
    bool readFailed() const { return m_readFailed; }
    void clearReadFailed() { m_readFailed = false; }
    // Bytes between the file's position and its end; 0 without a file.
    int64_t bytesLeft() const;

private:
    bool readExact(void* target, int count);
    void writeBytes(const void* data, int count);
    // Reads a length-prefixed body of n bytes into out; false (nothing kept)
    // when n is negative or the bytes are not there.
    bool readBody(int32_t n, CXString* out);

    CFile* m_file = nullptr;
    uint8_t m_separator = 0;
    bool m_storing = false;
    bool m_readFailed = false;
};
