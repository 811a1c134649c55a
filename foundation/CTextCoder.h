// Reads a text file line by line, undoing the engine's script-text coding when
// the first line announces it, and writes coded and plain copies.
//
// Coded form: a first line "{<C:n>}" (or "{<D:n>}") with the cycle n > 0, then
// physical lines of up to n source lines each, every source line followed by
// "<E>". Character k of the file (counted over all coded characters) is stored
// as its byte plus getOffset(k mod n), modulo 256: offsets 1, -1, 2, -2, ...
// Coded lines have lost their outer blanks and their tabs.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CTextFileReader;
class CWindow;

class CTextCoder : public CXObject {
public:
    // Reads the named file through its own reader.
    CTextCoder(CWindow* window, CXString name, bool noSideCopy);
    // Reads through the given reader (not owned).
    CTextCoder(CWindow* window, CTextFileReader* reader, bool noSideCopy);
    ~CTextCoder() override;
    CTextCoder(const CTextCoder&) = delete;
    CTextCoder& operator=(const CTextCoder&) = delete;

    // The offset of position i of the cycle: (i + 2) / 2, negated for odd i.
    virtual int getOffset(int i);
    // For a coded file: the coded stream has ended; else the reader is at its end.
    virtual bool _eof();
    // The next source line followed by a newline.
    virtual CXString getLine();
    // The next physical line of the coded form (up to n coded source lines)
    // followed by a newline.
    virtual CXString codeLine();
    virtual bool isCoded() { return m_coded; }

    void setCycle(int cycle) { m_cycle = cycle; }
    int getCycle() const { return m_cycle; }

    // Writes a coded copy of a plain file (nothing for a coded file, a cycle
    // below 1 or a target that cannot be created).
    static void code(CWindow* window, CXString source, CXString target, int cycle);
    // Writes a plain copy of a coded file (nothing for a plain file).
    static void decode(CWindow* window, CXString source, CXString target);

private:
    void init(CWindow* window, bool noSideCopy);
    uint8_t shift(uint8_t c, int sign);

    CXString m_name;
    CTextFileReader* m_reader = nullptr;
    bool m_ownsReader = false;
    bool m_coded = false;
    int32_t m_cycle = 0;
    int32_t m_index = 0;  // running character index k, modulo the cycle
    bool m_end = false;
    int32_t m_search = 0;  // search position in the current physical line
    int32_t m_lines = 0;   // source lines delivered or coded
    CXString m_line;       // the current physical line
};
