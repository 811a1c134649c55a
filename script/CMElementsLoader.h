// Reads definition files into element lists. A file is a sequence of lines;
// "/" anywhere continues a line, "#" starts a comment, "!" ends the file, and
// every other line is cut at ":", "=" and line feeds into a statement:
//   OBJECT=NAME        declares NAME (once)
//   IMPORT=NAME        declares NAME with TYPE=SEQUENCE
//   DEF:NAME(K=V|K=V)  declares a further NAME with the listed properties
//   NAME:KEY=VALUE     adds a property (the first value of a key wins)
//   NAME:KEY           adds KEY with an empty value unless NAME has it
//   NAME:ADD=OTHER     makes NAME a child of OTHER
//   NAME:APPLY=OTHER   makes OTHER a child of NAME
// Files may be stored plain or coded; the text coder hides the difference.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "script/CMElements.h"

class CWindow;
class CTextCoder;
class CTextFileReader;

class CMElementsLoader : public CXObject {
public:
    // Reads the file at path; null when it cannot be opened. When the window's
    // command line asks for "code" or "decode", the side copies path + ".coded"
    // and path + ".decoded" are written first. The caller owns the list.
    static CMElements* load(CWindow* window, const CXString& path);
    // The same over a text already in memory (no side copies).
    static CMElements* load(CWindow* window, CTextFileReader* reader);
    // The statements of the coder's remaining lines; an empty list when there
    // are none.
    static CMElements* load(CTextCoder* coder);
    // The next logical line: physical lines joined while they hold "/", TABs and
    // every "/" deleted, blanks trimmed at both ends. Reads at least one line.
    static CXString getLine(CTextCoder* coder);
    // Definition files are never written back: nothing is written, and the
    // answer is false so that no caller takes the list for saved.
    static bool save(const CXString& path, CMElements* elements);

    // The cycle of the coded side copy.
    static constexpr int kCodeCycle = 6;
};
