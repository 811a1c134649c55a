// A list of owned strings, optionally unique; membership ignores case.
#pragma once
#include "foundation/CXString.h"

class CXArray;

class CStringArray {
public:
    explicit CStringArray(bool unique = false);
    virtual ~CStringArray();
    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;

    // Appends a copy; in a unique list nothing happens when contains(s).
    virtual void add(CXString s);
    // Removes and deletes every string exactly equal to s (case matters).
    virtual void remove(CXString s);
    virtual void removeAll();
    // Whether some string equals s ignoring case.
    virtual bool contains(CXString s);
    virtual int getSize();

    // The string at i, or null outside the list.
    CXString* at(int i);

private:
    CXArray* m_strings;
    bool m_unique;
};
