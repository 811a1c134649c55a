// A mirror of the screen: told of every rectangle of a surface the windowed screen blits.
#pragma once

class CDirectDrawSurface;
class CXRect;

class CSecondaryDisplay {
public:
    virtual ~CSecondaryDisplay() = default;
    virtual void update(CDirectDrawSurface* surface, CXRect* rect) = 0;
};
