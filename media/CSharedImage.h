// The engine image behind an IMAGE script object. Beside the still picture it can
// show another image's buffers (a link), read single pixels whether or not its planes
// are run-length packed, and make copies that own their buffers.
//
// A link shares the other image's pixel and alpha buffers without owning them. The
// linked image stays observed: each use of the buffers takes the other image's current
// ones (so a reload or an unpacking there is followed), and when the other image is
// destroyed, or this one loads or flushes its own picture, the link drops and leaves
// this image empty. The buffers are never freed here.
#pragma once
#include <cstdint>

#include "graphics/image/CImage.h"

class CSharedImage : public CImage {
public:
    explicit CSharedImage(CWindow* window);
    // Leaves the linked image's observers.
    ~CSharedImage() override;
    CSharedImage(const CSharedImage&) = delete;
    CSharedImage& operator=(const CSharedImage&) = delete;

    // A copy of the source that owns its buffers (unpacked when the source was
    // unpacked at the time), with the source's file names, place, visibility and
    // drawing settings. It stands on no screen. The source may be null (an empty copy).
    static CSharedImage* copyOf(CImage* source, CWindow* window);

    // Shows the other image's buffers with their size; this image's own buffers are
    // freed first. Nothing for null or for this image itself, or for a link that
    // would lead back here.
    void link(CGraphicsObject* source);
    // Drops the link: no buffers, size 0 by 0. Nothing when not linked.
    void unlink();
    CGraphicsObject* getLinked() const { return m_linked; }

    // The plain alpha value and 16-bit pixel word at an image point; 0 outside, without
    // an alpha plane or without pixels. Packed planes are unpacked for the read.
    bool alphaAt(int x, int y, uint8_t* value);
    bool pixelAt(int x, int y, uint16_t* value);
    // Every pixel word equal to `from` becomes `to`; a packed image is unpacked for
    // the change and packed again; a linked image changes the linked buffers.
    void replaceColor(uint16_t from, uint16_t to);

    // Uses of the buffers take the linked image's current ones first.
    char* GetDataPtr() override;
    void redraw(CGraphicsObject* destination) override;
    bool testHit(CXPoint p, bool ignoreAlpha) override;
    uint8_t GetPixel(_channel channel, CXPoint p) override;
    CColor GetPixel(CXPoint p) override;
    CColor GetPixel(int x, int y) override;
    int Width() override;
    int Height() override;
    CXSize Size() override;
    CXRect GetBoundingBox() override;

    // Loading or flushing this image's own picture ends a link first.
    using CImage::Load;
    int Load(CXString name, bool convert) override;
    void flush() override;

    // The linked image's changes reach this image's observers and screen.
    void onInvalidate(CGraphicsObject* object, CXRect* rect) override;
    void onDestroy(CGraphicsObject* object) override;

private:
    // Takes the linked image's current buffers and size.
    void follow();
    // Forgets the buffers without freeing them (they are not this image's).
    void clearBuffers();

    CGraphicsObject* m_linked = nullptr;
    bool m_following = false;
};
