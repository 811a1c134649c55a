// The animation the script layer uses: built from a definition element, it loads
// its file lazily, is drawn at its global position and applies whole-animation
// operations (flips, packing, colour replacement, sound settings) to every frame
// or frame sound.
#pragma once
#include "graphics/play/CAnimo.h"

class CMElement;

class CAnimo6 : public CAnimo {
public:
    explicit CAnimo6(CWindow* window);
    CAnimo6(CWindow* window, CXString name);
    // Keys FILENAME, PRELOAD (absent or empty: true), VISIBLE, RELEASEAFTERUSE.
    CAnimo6(CWindow* window, CMElement* element);
    explicit CAnimo6(CAnimo& other);
    CAnimo6(CAnimo6& other);

    CXObject* clone() override;
    void pack(bool freeUnpacked) override;
    void unpack() override;
    int getGfxType() override;
    void FlipH() override;
    void FlipV() override;
    void resetFlips() override;
    void redraw(CGraphicsObject* destination) override;
    void Redraw() override;
    CXRect getRect() override;
    CXPoint ClientCoords(CXPoint p) override;
    void hide() override;
    void setVolume(int volume) override;
    void setPanning(int panning) override;
    void setFrequency(int frequency) override;
    virtual void flush();

    int GetMaxWidth();
    int GetMaxHeight();
    // Playing, and the current event's name is exactly the text.
    bool isPlaying(CXString event);
    using CAnimo::isPlaying;
    bool isAt(CXPoint p, bool useAlpha);
    void replace_color(short from, short to);

private:
    template <typename F>
    void forEachSound(F f);
};
