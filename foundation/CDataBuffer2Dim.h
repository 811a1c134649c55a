// A data buffer of width x height elements with line-wise cursor moves.
#pragma once

#include "foundation/CDataBuffer.h"
#include "foundation/CXSize.h"

class CDataBuffer2Dim : public CDataBuffer {
public:
    CDataBuffer2Dim(CXSize size, int elementSize);
    CDataBuffer2Dim(char* data, CXSize size, int elementSize);

    CXObject* clone() override;
    virtual int getWidth() { return m_width; }
    virtual int getHeight() { return m_height; }
    // Cursor to element (x, y).
    virtual void at(int x, int y);
    virtual void nextLine();
    virtual void prevLine();

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
};
