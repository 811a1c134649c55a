// Base of the engine's codecs: a data pointer (not owned) and its size.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"

class CCompression : public CXObject {
public:
    // Error code of a codec object whose packed input does not decode within
    // its own bounds (truncated, overlong or inconsistent data).
    static constexpr int kErrCorruptData = 2100;

    CCompression(char* data, int size);

    virtual void setData(char* data);
    virtual int GetSize();

protected:
    int32_t m_size = 0;
    char* m_data = nullptr;
};
