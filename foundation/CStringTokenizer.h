// Splits a text into tokens at any of a set of separator characters. Runs of
// separators count as one and separators at either end give no token, so an
// empty token is never returned while hasMoreTokens() is true.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CStringTokenizer : public CXObject {
public:
    CStringTokenizer(CXString text, CXString separators);
    ~CStringTokenizer() override;
    CStringTokenizer(const CStringTokenizer&) = delete;
    CStringTokenizer& operator=(const CStringTokenizer&) = delete;

    virtual bool hasMoreTokens();
    // The next token, or the empty string when none is left.
    virtual CXString nextToken();

    bool isSeparator(char c) const;

private:
    // Reads the token from the position on into the look-ahead.
    void readToken();

    char* m_text;
    int32_t m_length;
    CXString m_separators;
    CXString m_nextToken;
    int32_t m_position = 0;
};
