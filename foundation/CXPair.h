// Two (optionally named) or three pointers held together; neither owns what it points to.
#pragma once

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CXPair : public CXObject {
public:
    // The name is kept in lower case; first and second are both p.
    CXPair(CXString name, void* p);
    // Empty name.
    CXPair(void* first, void* second);

    // A new pair named "cloned" with the same two pointers.
    CXObject* clone() override;

    CXString getName() const { return m_name; }
    void* getFirst() const { return m_first; }
    void* getSecond() const { return m_second; }
    void setFirst(void* p) { m_first = p; }
    void setSecond(void* p) { m_second = p; }

private:
    CXString m_name;
    void* m_first;
    void* m_second;
};

class CXTriple : public CXObject {
public:
    CXTriple(void* first, void* second, void* third);

    // A new triple of the same three pointers.
    CXObject* clone() override;

    void* getFirst() const { return m_first; }
    void* getSecond() const { return m_second; }
    void* getThird() const { return m_third; }
    void setFirst(void* p) { m_first = p; }
    void setSecond(void* p) { m_second = p; }
    void setThird(void* p) { m_third = p; }

private:
    void* m_first;
    void* m_second;
    void* m_third;
};
