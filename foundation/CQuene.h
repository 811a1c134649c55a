// Queues over the growable arrays: CQuene and its two kinds hold plain pointers,
// CXQuene and its two kinds CXObject pointers. All start with capacity 101 and load
// factor 0.75; none owns its elements. Popping an empty queue gives null.
#pragma once

#include "foundation/CXArray.h"
#include "foundation/CXVector.h"

class CQuene : public CXArray {
public:
    CQuene();
    virtual void push(void* p);
    virtual void* pop() = 0;
};

class CFifoQuene : public CQuene {
public:
    CXObject* clone() override;
    // The oldest element.
    void* pop() override;
};

class CLifoQuene : public CQuene {
public:
    CXObject* clone() override;
    // The newest element.
    void* pop() override;
};

class CXQuene : public CXVector {
public:
    CXQuene();
    virtual void push(CXObject* p);
    virtual CXObject* pop() = 0;
};

class CXFifoQuene : public CXQuene {
public:
    CXObject* clone() override;
    // The oldest object.
    CXObject* pop() override;
};

class CXLifoQuene : public CXQuene {
public:
    CXObject* clone() override;
    // The newest object.
    CXObject* pop() override;
};
