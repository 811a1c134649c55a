// A whole text file in memory, handed out line by line.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CWindow;

class CTextFileReader : public CXObject {
public:
    // Loads the file in text mode (CR LF reads as LF); owns the data. The error
    // code is the file's (2000 when it could not be opened).
    CTextFileReader(CWindow* window, const char* name);
    CTextFileReader(CWindow* window, const CXString& name) : CTextFileReader(window, name.c_str()) {}
    // Serves size bytes of existing data (not owned).
    CTextFileReader(CWindow* window, char* data, int size);
    ~CTextFileReader() override;
    CTextFileReader(const CTextFileReader&) = delete;
    CTextFileReader& operator=(const CTextFileReader&) = delete;

    // The text from the read position up to the next newline (excluded; a zero
    // byte ends the text early); the position moves past the newline. A last
    // line without a newline is delivered whole.
    CXString getLine();
    bool eof() const { return m_position >= m_size; }
    void reset() { m_position = 0; }

    int getSize() const { return m_size; }
    const char* getData() const { return m_data; }

private:
    void load(CWindow* window, const char* name);

    int32_t m_position = 0;
    int32_t m_size = 0;
    char* m_data = nullptr;
    bool m_owned = false;
};
