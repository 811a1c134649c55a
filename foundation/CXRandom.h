// Random integers: the C runtime's generator mixed with the high-resolution
// clock's milliseconds. The sum of the two is taken as an unsigned 32-bit
// number, so a draw is never negative.
#pragma once
#include "foundation/CXObject.h"

class CXRandom : public CXObject {
public:
    static constexpr int kMaxPlenty = 10000;

    // Seeds the generator with the calendar time in seconds.
    CXRandom();

    // 0 to n - 1; 0 when n is not positive.
    static int random(int n);
    // a to a + n - 1 (n is the number of values); a when n is not positive.
    static int random(int a, int n);
    // Fills the shared buffer of kMaxPlenty values and returns it (the same
    // buffer every call; copy what you need). Element i is random(a, n), drawn
    // again while `unique` and it equals an earlier element of this call. A
    // count of 0 stands for n - a. A count above kMaxPlenty writes an error to
    // the debugger output and leaves the buffer unchanged. With `unique`, no
    // more values are drawn than the range holds (n, or 1 when n is not
    // positive). The number of elements written goes to *drawn when given.
    static int* random_vector(int a, int n, int count, bool unique, int* drawn = nullptr);
};
