// A still picture: a graphics object that is also a playable, so that scripts and the
// refresh screen treat it as an animation of one frame. Its pixels come from the
// engine's image file (a name ending in ".IMG", any letter case) or from a JPEG file.
//
// Image files, all numbers little-endian, pixels row by row from the top:
//   "PIK\0"  40-byte header (width, height, depth, raw size or JPEG length, 0,
//            compression, alpha count, x, y as int32), pixels, alpha plane; the
//            pixel count is what lies between the header and the alpha plane.
//   "NVI\0"  37-byte header (width, height int16, depth uint8, stored pixel and
//            alpha counts int32, x, y int16, compression int32, 12 bytes unused),
//            pixels, alpha plane.
//   older    no magic; width and height (int16) at byte 80, flags (int16) at 90 with
//            the depth code in the low four bits and 0x400 for an alpha plane of
//            width x height bytes, which ends the file; pixels from byte 92.
// Every count and size is checked against the bytes there; a file that fails leaves
// the image empty, not loaded and not made visible, with a non-zero error code.
#pragma once
#include "foundation/CCompression.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/play/CPlayable.h"

class CMElement;

class CImage : public CGraphicsObject, public CPlayable {
public:
    // Largest width and height read.
    static constexpr int kMaxSide = 8192;
    static constexpr int kPikHeaderSize = 40;
    static constexpr int kNviHeaderSize = 37;
    static constexpr int kOldHeaderEnd = 92;
    // A file whose content does not make an image.
    static constexpr int kErrBadFile = CCompression::kErrCorruptData;

    explicit CImage(CWindow* window);
    // Loads the name, converting to the screen's depth; the result is the error code.
    CImage(CWindow* window, CXString name);
    // A copy of the other object's bitmap that owns its buffers (for an animation,
    // those of the frame it shows), with a fresh playable part and an empty name.
    CImage(CWindow* window, CGraphicsObject* source);
    CImage(CImage& other);
    // The script constructor: FILENAME, PRELOAD, VISIBLE, RELEASEAFTERUSE.
    CImage(CWindow* window, CMElement* element);
    CImage& operator=(const CImage&) = delete;
    ~CImage() override;

    CXObject* clone() override;
    // A picture held run-length packed (code 4 in its file) is unpacked when first
    // drawn, keeping the packed planes for `pack`; a view of another image's planes
    // is drawn as it is.
    void redraw(CGraphicsObject* destination) override;
    using CGraphicsObject::Load;
    int Load(CFile* file) override;
    // Reads a JPEG file at the path at the screen's depth.
    virtual int load(CXString path);
    // Reads the name: an image file when it ends in ".IMG", else a JPEG file.
    virtual int Load(CXString name, bool convert);
    // The "NVI" reader, the file positioned at its magic.
    virtual int Load3(CFile* file);
    // Releases the pixels and clears the loaded flag.
    virtual void flush();

    // The playable part: a still image does not play.
    void play() override {}
    using CPlayable::play;
    void stop(bool) override {}
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    // Loads a not yet loaded image from its file name, then makes it visible.
    void show() override;
    // Releases the pixels when the release-after-use flag says so; makes it invisible.
    void hide() override;
    void setVisibility(bool visible) override;
    bool isVisible() override { return CGraphicsObject::isVisible(); }
    // Both bases have a position; a playable's position is the picture's.
    void setPosition(CXPoint p) override;
    void setPosition(int x, int y) override;
    CXString getFileName() override { return CPlayable::getFileName(); }
    CWindow* getWindow() const { return CGraphicsObject::getWindow(); }

    // The depth pictures are decoded to: the refresh screen's when it is 15 or 16, else 16.
    static int screenDepth(CWindow* window);
    // Whether the name ends in ".IMG" in any letter case.
    static bool isImageFileName(const CXString& name);

private:
    // Empties the image and keeps the error code; returns it.
    int fail(int code);
    // Checks the stored planes of the code that was read and decodes them.
    int finishLoad(int64_t rawSize);
};
