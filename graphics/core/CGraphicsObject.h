// The base of everything that is drawn: a bitmap of 15- or 16-bit pixels with an
// optional 8-bit alpha buffer, its place on a destination, how it is drawn and held
// in memory, the screen canvas it is registered with, the children it composes into
// itself and the observers that hear when it changes.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "graphics/core/CColor.h"

class CDataBuffer2Dim;
class CFile;
class CGraphicsObject;
class CRefreshScreen;
class CValidationQuene;
class CWindow;
class CXArray;

// State of the buffers in memory: 0 plain, 2 LZO blocks, 3 LZO blocks over run-length
// packing, 4 run-length packed, 5 JPEG pixels with an LZO alpha block.
enum _compression : int32_t {
    COMPRESSION_NONE = 0,
    COMPRESSION_OLD = 1,
    COMPRESSION_LZO = 2,
    COMPRESSION_LZO_RLE = 3,
    COMPRESSION_RLE = 4,
    COMPRESSION_JPEG = 5,
};

// Which buffer GetPixel(_channel, p) reads.
enum _channel : int32_t {
    CHANNEL_ALPHA = -1,
    CHANNEL_RED = 0,
    CHANNEL_GREEN = 1,
    CHANNEL_BLUE = 2,
};

// One side of a pixel copy.
struct _canvas {
    char* data = nullptr;
    char* alpha = nullptr;
    int32_t bpp = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    CXRect rect;  // empty when right == left or bottom == top
};

// One span found by the flood fill.
struct _floodfill {
    int16_t left;
    int16_t row;
    int16_t length;
};

struct _palette;

class CInvalidateObserver {
public:
    virtual ~CInvalidateObserver() = default;
    // The object has invalidated the rectangle (screen coordinates).
    virtual void onInvalidate(CGraphicsObject* object, CXRect* rect) = 0;
    // The object is being destroyed.
    virtual void onDestroy(CGraphicsObject* object) = 0;
};

class CGraphicsObject : public CXObject, public CInvalidateObserver {
public:
    CGraphicsObject(CWindow* window, CXSize size, int bpp);
    // Adopts the pixel buffer (allocated with new[]).
    CGraphicsObject(CWindow* window, CXSize size, int bpp, char* pixels);
    explicit CGraphicsObject(CWindow* window);
    // A view of the source: shares its buffers without owning them.
    CGraphicsObject(CWindow* window, CGraphicsObject& source);
    // Copies never own what they share; each gets its own observer array and no children.
    CGraphicsObject(const CGraphicsObject& other);
    CGraphicsObject& operator=(const CGraphicsObject& other);

    // Slots 1 to 10 (CXObject).
    ~CGraphicsObject() override;
    CXObject* clone() override;

    // Slots 11 to 70.
    virtual void pack(bool freeUnpacked);
    virtual void unpack();
    virtual int getGfxType();
    virtual void setMonitorCollisions(bool monitor);
    virtual bool getMonitorCollisionsFlag();
    virtual void SetOpacity(uint8_t opacity);
    virtual void DeCompress();
    virtual void DeCompressRLE2();
    virtual void bringBackCompressed();
    virtual char* GetDataPtr();
    virtual bool testHit(CXPoint p, bool ignoreAlpha);
    virtual CXPoint getCenterPoint();
    virtual void setPosition(CXPoint p);
    virtual void SetPosition(CXPoint p);
    virtual void SetPosition(int x, int y);
    virtual void Move(CXPoint d);
    virtual void Move(int dx, int dy);
    virtual void setAnchor(int x, int y);
    virtual void setAnchor(CXPoint anchor);
    virtual CXPoint getAnchor();
    virtual void Visible(bool visible);
    virtual void Flush();
    virtual int GetPixelSize();
    virtual uint8_t GetPixel(_channel channel, CXPoint p);
    virtual CColor GetPixel(CXPoint p);
    virtual CColor GetPixel(int x, int y);
    virtual void FlipH();
    virtual void FlipV();
    virtual void resetFlips();
    virtual void Fill(CColor* c);
    virtual void Fill(CXRect r, CColor* c);
    virtual void redraw(CGraphicsObject* destination);
    virtual void Redraw();
    virtual void Blend(char* source, int* table, int offset, int level);
    virtual int Load(CXString name);
    virtual int Load(CFile* file);
    // Writes the image file through the atomic writer: a failed write keeps the old
    // file and sets the error code CFile::kErrorWrite (logged with the file).
    virtual void Save(CXString name, _compression compression);
    virtual void Save(CFile* file, _compression compression);
    virtual int Width();
    virtual int Height();
    virtual CXSize Size();
    virtual void setSize(CXSize size);
    virtual CXPoint getPosition();
    virtual CXPoint GetPosition();
    virtual CXRect getRect();
    virtual int getWidth();
    virtual int getHeight();
    virtual CXRect GetBoundingBox();
    virtual CXRect GetAbsoluteBoundingBox();
    virtual bool isNear(CXRect rect, int percent);
    virtual bool isNear(CGraphicsObject* other, int percent);
    virtual CXPoint ClientCoords(CXPoint p);
    virtual void SetClippingRect(CXRect r);
    virtual void Invalidate(CXRect* rect);
    virtual void Invalidate();
    virtual void addInvalidateObserver(CInvalidateObserver* observer);
    virtual void removeInvalidateObserver(CInvalidateObserver* observer);
    virtual void notifyInvalidate(CXRect* rect);
    virtual CGraphicsObject* getDrawn();

    // CInvalidateObserver: a child's change re-invalidates this object; a child that
    // goes away leaves the children queue.
    void onInvalidate(CGraphicsObject* object, CXRect* rect) override;
    void onDestroy(CGraphicsObject* object) override;

    void initialize();

    void Show() { Visible(true); }
    void Hide() { Visible(false); }
    uint8_t GetOpacity() const { return m_opacity; }
    void AddOpacity(short delta);
    _compression GetCompression() const { return m_compression; }
    void SetCompression(_compression c) { m_compression = c; }
    int GetBpp() const { return m_bpp; }
    void SetBpp(int bpp) { m_bpp = bpp; }
    int GetPitch() const { return m_pitch; }
    void SetPitch(int pitch) { m_pitch = pitch; }
    void SetDataPtr(char* pixels) { m_pixels = pixels; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    bool GetAutoClip() const { return m_autoClip; }
    void SetAutoClip(bool autoClip) { m_autoClip = autoClip; }
    CGraphicsObject* GetDestiny() const { return m_destiny; }
    void SetDestiny(CGraphicsObject* destiny) { m_destiny = destiny; }
    void setAlphaAsMask(bool asMask) { m_alphaAsMask = asMask; }
    bool getAlphaAsMask() const { return m_alphaAsMask; }
    _floodfill* getFFArray() { return m_ffSpans.empty() ? nullptr : m_ffSpans.data(); }
    int getFFEnterances() const { return m_ffCount; }
    CXString getFileName() const { return m_fileName; }
    void setFileName(CXString name) { m_fileName = name; }
    CWindow* getWindow() const { return m_window; }
    bool isVisible() const { return m_visible; }
    bool isFlippedH() const { return m_flippedH; }
    bool isFlippedV() const { return m_flippedV; }
    bool ownsBuffers() const { return m_ownsBuffers; }
    bool isUnpacked() const { return m_unpacked; }
    int getPackedSize() const { return m_packedSize; }
    void setPackedSize(int size) { m_packedSize = size; }
    CValidationQuene* getChildren() const { return m_children; }
    CDataBuffer2Dim* getSnapshot() const { return m_snapshot; }

    CRefreshScreen* GetCanvas() const { return m_screen; }
    // Set by the screen canvas when it registers or removes the object.
    void SetCanvas(CRefreshScreen* screen) { m_screen = screen; }
    CXRect GetClippingRect() const { return m_clipRect; }
    void SetClippingRect(int l, int t, int r, int b) { m_clipRect.Set(l, t, r, b); }
    CXRect GetViewport() const { return m_viewport; }
    void SetViewport(int l, int t, int r, int b) { m_viewport.Set(l, t, r, b); }
    int& GetChannelSize(int i) { return m_channelSize[i & 3]; }
    char*& GetChannelRed() { return m_red; }
    char*& GetChannelGreen() { return m_green; }
    char*& GetChannelBlue() { return m_blue; }
    char*& GetChannelAlpha() { return m_alpha; }
    char* RedChannel(char* p);
    char* GreenChannel(char* p);
    char* BlueChannel(char* p);
    char* AlphaChannel(char* p);
    char* AlphaChannel() const { return m_alpha; }
    int GetDataSize() const;
    bool isInvalidated();
    bool isInside(int x, int y, bool useAlpha);
    bool isAt(CXPoint p, bool useAlpha);
    void SetPixel(CXPoint p, CColor c) { SetPixel(p.x, p.y, c); }
    void Convert(int bpp);
    static int GetRealBpp(int code);
    static int GetFlagBpp(int bpp);
    void alloc(CXSize size, int unused1, bool unused2);
    void Alloc();

    // Children composed into this object, drawn in ascending priority over the
    // snapshot of its own pixels.
    void addObject(CGraphicsObject* child, int priority);
    void removeObject(CGraphicsObject* child);
    void removeAllObjects();
    void restoreImage();

    // Reworking operations.
    void Copy(CGraphicsObject* src);
    void Copy(CGraphicsObject* src, CXRect r);
    void crop(CXRect r);
    void Scale(double sx, double sy);
    void Scale2x();
    void FitRect(CXRect r);
    void FitObject(CGraphicsObject* other);
    void ToGrayScale();
    void InvertColors();
    void replace_color(short from, short to);
    void outline(unsigned short colour, int thickness);
    void SetPixel(int x, int y, CColor c);
    void putPixel(int x, int y, short colour, int alpha, bool replace);
    void Compress(_compression c);
    void Split();
    void SplitOn2(char* pixels, int count);
    char* Join2Channels();
    void JoinChannels();
    void mergeAlpha(CXPoint at, CGraphicsObject* mask);
    void mergeAlpha2(CXPoint at, CGraphicsObject* mask, bool reset);
    void restoreAlpha(CGraphicsObject* mask);
    void displacementFilter(CXPoint* offsets, bool withAlpha, bool freeOld);
    // Scanline fill from the seed over pixels that are not 0 in this object, painting
    // the 16-bit target buffer (same size); the spans stay in the object for FloodFill.
    CXRect PrepareFloodFill(CXPoint seed, CColor c, char* target);
    void FloodFill(CColor c, char* target);

    // Frees the shared multiplication array; the next drawing builds it again.
    static void ReleaseGraphics();

    // Length of the header of the image files Save writes.
    static constexpr int kImageHeaderSize = 40;

    // Pixel routines. None checks bounds: callers hand in rectangles inside both buffers.
    static int __get_pixel_size(int bpp);
    static int __get_data_size(int width, int height, int bpp);
    static int __get_data_size(CXSize size, int bpp);
    static bool __copy(_canvas* src, _canvas* dst);
    static bool __copy_alpha(_canvas* src, _canvas* dst);
    static bool __copy_blend(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_alpha_as_mask(_canvas* src, _canvas* dst);
    static bool copyToCanvas(_canvas* src, _canvas* dst);
    static char* _convert15to16(char** src, CXSize size, char* dst);
    static char* _convert16to15(char** src, CXSize size, char* dst);
    static char* _convert32to15(char** src, CXSize size, char* dst);
    static char* _convert32to16(char** src, CXSize size, char* dst);
    static bool __convert_bpp(char** src, char** dst, CXSize size, int from, int to, _palette** palette, bool flag);
    static int __get_convert_code(int from, int to);
    // The 512 x 256 table of signed products: entry (d + 256) * 256 + j holds d * j.
    static int16_t* __get_mul_array();
    static void __initialize_mul_array();
    static void __done_mul_array();
    static void putPixel15(char* pixels, int pitch, int x, int y, short colour, int alpha, bool replace);
    static void putPixel16(char* pixels, int pitch, int x, int y, short colour, int alpha, bool replace);

    // The workers, public so that their rules can be checked one by one.
    static bool __copy_bpp15_16(_canvas* src, _canvas* dst);
    static bool __copy_bpp24(_canvas* src, _canvas* dst);
    static bool __copy_bpp32(_canvas* src, _canvas* dst);
    static bool __copy_alpha15(_canvas* src, _canvas* dst);
    static bool __copy_alpha16(_canvas* src, _canvas* dst);
    static bool __copy_alpha24(_canvas* src, _canvas* dst);
    static bool __copy_alpha32(_canvas* src, _canvas* dst);
    static bool __copy_blend15(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_blend16(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_blend24(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_blend32(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_alpha_blend15(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_alpha_blend16(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_alpha_blend24(_canvas* src, _canvas* dst, unsigned char opacity);
    static bool __copy_alpha_blend32(_canvas* src, _canvas* dst, unsigned char opacity);

protected:
    // Frees a buffer this object owns.
    void freeOwned(char*& p);
    void copyFieldsFrom(const CGraphicsObject& other);
    // After the fields were copied from another object: this object takes copies of
    // the buffers the holder has (the holder's own form, packed or plain, with its
    // depth, sizes and packing state), so that it owns everything it draws.
    void takeCopiesOfBuffers(CGraphicsObject& holder);
    // Unpacks for an in-place change; true when the object was packed before.
    bool unpackForChange();
    void repackAfterChange(bool wasPacked);
    void tellCollisionInspector();
    void invalidateOnScreen(CXRect r);
    // Writes a mask's merge backup back into this object's alpha buffer.
    void writeBackMerge(CGraphicsObject* mask);
    // After the buffers changed size: a composing object takes its snapshot anew.
    void retakeSnapshot();

    CXString m_fileName;
    CWindow* m_window = nullptr;
    CRefreshScreen* m_screen = nullptr;
    CGraphicsObject* m_destiny = nullptr;
    CDataBuffer2Dim* m_snapshot = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_pitch = 0;
    char* m_pixels = nullptr;
    int32_t m_bpp = 0;
    int32_t m_flags = 0;
    bool m_autoClip = true;
    CXRect m_clipRect;
    CXRect m_viewport;
    CXPoint m_position;
    CXPoint m_anchor;
    bool m_flippedH = false;
    bool m_flippedV = false;
    int32_t m_channelSize[4] = {0, 0, 0, 0};
    char* m_red = nullptr;
    char* m_green = nullptr;
    char* m_blue = nullptr;
    char* m_alpha = nullptr;
    bool m_alphaAsMask = false;
    bool m_ownsBuffers = true;
    int32_t m_dataSize = 0;
    int32_t m_packedSize = 0;
    _compression m_compression = COMPRESSION_NONE;
    uint8_t m_opacity = 255;
    int32_t m_ffCount = 0;
    std::vector<_floodfill> m_ffSpans;
    CXRect m_mergeRect;
    char* m_mergeBackup = nullptr;
    bool m_invalidated = false;
    CXArray* m_observers = nullptr;
    char* m_savedPixels = nullptr;
    char* m_savedAlpha = nullptr;
    int32_t m_savedBpp = 0;
    int32_t m_savedPackedSize = 0;
    int32_t m_savedAlphaSize = 0;
    bool m_monitorCollisions = false;
    bool m_unpacked = false;
    CValidationQuene* m_children = nullptr;
    bool m_visible = true;

private:
    static int16_t* s_mulArray;
};
