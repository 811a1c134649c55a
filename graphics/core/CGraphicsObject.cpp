#include "graphics/core/CGraphicsObject.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/CDataBuffer2Dim.h"
#include "foundation/CFile.h"
#include "foundation/CLZWCompression2.h"
#include "foundation/CRLECompression.h"
#include "foundation/CXArray.h"
#include "foundation/ByteOrder.h"
#include "graphics/image/JPEG.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CValidationQuene.h"
#include "graphics/core/CGraphicsWindowServices.h"

namespace {

CGraphicsObject* childAt(CValidationQuene* q, int i) {
    CValidationElement* e = q->elementAt(i);
    return e ? e->getObject() : nullptr;
}

std::vector<CGraphicsObject*> childrenOf(CValidationQuene* q) {
    std::vector<CGraphicsObject*> out;
    if (!q) return out;
    for (int i = 0; i < q->getCount(); ++i)
        if (CGraphicsObject* c = childAt(q, i)) out.push_back(c);
    return out;
}

int64_t area(const CXRect& r) {
    return r.IsProper() ? static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top) : 0;
}

// The unpacked size an LZO block announces in its header.
int64_t lzoUnpackedSize(const char* block, int size) {
    if (!block || size < 8) return -1;
    uint32_t n;
    std::memcpy(&n, block, 4);
    return n;
}

// Unpacks an LZO block that must hold exactly `expected` bytes; null otherwise.
char* unpackLzo(char* block, int size, int64_t expected) {
    if (lzoUnpackedSize(block, size) != expected) return nullptr;
    CLZWCompression2 coder(block, size);
    return coder.decompress();
}

}  // namespace

// ---- construction ----

CGraphicsObject::CGraphicsObject(CWindow* window, CXSize size, int bpp) : m_window(window) {
    initialize();
    m_width = m_pitch = size.cx > 0 ? size.cx : 0;
    m_height = size.cy > 0 ? size.cy : 0;
    m_bpp = bpp;
    m_dataSize = __get_data_size(m_width, m_height, bpp);
    if (m_dataSize > 0) m_pixels = new char[m_dataSize]();
}

CGraphicsObject::CGraphicsObject(CWindow* window, CXSize size, int bpp, char* pixels) : m_window(window) {
    initialize();
    m_width = m_pitch = size.cx > 0 ? size.cx : 0;
    m_height = size.cy > 0 ? size.cy : 0;
    m_bpp = bpp;
    m_dataSize = __get_data_size(m_width, m_height, bpp);
    m_pixels = pixels;
}

CGraphicsObject::CGraphicsObject(CWindow* window) : m_window(window) { initialize(); }

CGraphicsObject::CGraphicsObject(CWindow* window, CGraphicsObject& source) : CXObject(), m_window(window) {
    initialize();
    m_ownsBuffers = false;
    m_pixels = source.m_pixels;
    m_bpp = source.m_bpp;
    m_width = source.m_width;
    m_height = source.m_height;
    m_pitch = source.m_pitch;
    m_compression = source.m_compression;
    m_visible = source.m_visible;
    m_clipRect = source.m_clipRect;
    m_viewport = source.m_viewport;
    m_position = source.GetPosition();
    m_fileName = source.m_fileName;
    m_destiny = source.m_destiny;
    m_dataSize = source.m_dataSize;
    m_packedSize = source.m_packedSize;
    m_red = source.m_red;
    m_green = source.m_green;
    m_blue = source.m_blue;
    m_alpha = source.m_alpha;
    std::memcpy(m_channelSize, source.m_channelSize, sizeof m_channelSize);
    m_alphaAsMask = source.m_alphaAsMask;
    m_flags = source.m_flags;
    m_opacity = source.m_opacity;
}

CGraphicsObject::CGraphicsObject(const CGraphicsObject& other) : CXObject(other), CInvalidateObserver() {
    copyFieldsFrom(other);
}

CGraphicsObject& CGraphicsObject::operator=(const CGraphicsObject& other) {
    if (this == &other) return *this;
    // What this object held goes first: its children, its snapshot, its own buffers.
    for (CGraphicsObject* c : childrenOf(m_children)) c->removeInvalidateObserver(this);
    delete m_children;
    m_children = nullptr;
    Flush();
    delete m_observers;
    m_observers = nullptr;
    CXObject::operator=(other);
    copyFieldsFrom(other);
    return *this;
}

void CGraphicsObject::copyFieldsFrom(const CGraphicsObject& o) {
    m_fileName = o.m_fileName;
    m_window = o.m_window;
    m_screen = nullptr;  // a copy is not registered anywhere
    m_destiny = o.m_destiny;
    m_snapshot = nullptr;
    m_width = o.m_width;
    m_height = o.m_height;
    m_pitch = o.m_pitch;
    m_pixels = o.m_pixels;
    m_bpp = o.m_bpp;
    m_flags = o.m_flags;
    m_autoClip = o.m_autoClip;
    m_clipRect = o.m_clipRect;
    m_viewport = o.m_viewport;
    m_position = o.m_position;
    m_anchor = o.m_anchor;
    m_flippedH = o.m_flippedH;
    m_flippedV = o.m_flippedV;
    std::memcpy(m_channelSize, o.m_channelSize, sizeof m_channelSize);
    m_red = o.m_red;
    m_green = o.m_green;
    m_blue = o.m_blue;
    m_alpha = o.m_alpha;
    m_alphaAsMask = o.m_alphaAsMask;
    m_ownsBuffers = false;
    m_dataSize = o.m_dataSize;
    m_packedSize = o.m_packedSize;
    m_compression = o.m_compression;
    m_opacity = o.m_opacity;
    m_ffCount = o.m_ffCount;
    m_ffSpans = o.m_ffSpans;
    // The merge backup belongs to the merge made with the original.
    m_mergeRect = CXRect();
    m_mergeBackup = nullptr;
    m_invalidated = o.m_invalidated;
    m_observers = new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor);
    m_savedPixels = o.m_savedPixels;
    m_savedAlpha = o.m_savedAlpha;
    m_savedBpp = o.m_savedBpp;
    m_savedPackedSize = o.m_savedPackedSize;
    m_savedAlphaSize = o.m_savedAlphaSize;
    m_monitorCollisions = o.m_monitorCollisions;
    m_unpacked = o.m_unpacked;
    m_children = nullptr;
    m_visible = o.m_visible;
}

void CGraphicsObject::takeCopiesOfBuffers(CGraphicsObject& holder) {
    auto duplicate = [](const char* data, int64_t size) -> char* {
        if (!data || size <= 0) return nullptr;
        char* copy = new char[static_cast<size_t>(size)];
        std::memcpy(copy, data, static_cast<size_t>(size));
        return copy;
    };
    const bool plain = holder.m_compression == COMPRESSION_NONE;
    const int64_t plane = static_cast<int64_t>(holder.m_width) * holder.m_height;
    m_width = holder.m_width;
    m_height = holder.m_height;
    m_pitch = holder.m_pitch;
    m_bpp = holder.m_bpp;
    m_compression = holder.m_compression;
    m_packedSize = holder.m_packedSize;
    std::memcpy(m_channelSize, holder.m_channelSize, sizeof m_channelSize);
    m_dataSize = holder.m_dataSize;
    m_pixels = duplicate(holder.m_pixels, plain ? holder.GetDataSize() : holder.m_packedSize);
    m_alpha = duplicate(holder.m_alpha, plain ? plane : holder.m_channelSize[3]);
    m_red = m_green = m_blue = nullptr;
    m_savedPixels = m_savedAlpha = nullptr;
    m_mergeBackup = nullptr;
    m_unpacked = false;
    m_ownsBuffers = true;
}

void CGraphicsObject::initialize() {
    m_ffSpans.clear();
    m_ffCount = 0;
    m_opacity = 255;
    m_flags = 0;
    m_monitorCollisions = false;
    delete m_observers;
    m_observers = new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor);
    __initialize_mul_array();
}

CGraphicsObject::~CGraphicsObject() {
    if (m_screen) *m_screen >> this;
    for (CGraphicsObject* c : childrenOf(m_children)) c->removeInvalidateObserver(this);
    delete m_children;
    m_children = nullptr;
    if (m_observers) {
        // Observers may unregister themselves while they hear of the destruction.
        std::vector<CInvalidateObserver*> list;
        for (int i = 0; i < m_observers->getCount(); ++i)
            list.push_back(static_cast<CInvalidateObserver*>(m_observers->at(i)));
        for (CInvalidateObserver* o : list) o->onDestroy(this);
        delete m_observers;
        m_observers = nullptr;
    }
    CGraphicsObject::Flush();
}

CXObject* CGraphicsObject::clone() { return new CGraphicsObject(m_window, *this); }

void CGraphicsObject::ReleaseGraphics() { __done_mul_array(); }

// ---- memory states ----

void CGraphicsObject::freeOwned(char*& p) {
    if (m_ownsBuffers) delete[] p;
    p = nullptr;
}

void CGraphicsObject::pack(bool freeUnpacked) {
    if (!m_unpacked) return;
    if (freeUnpacked) {
        freeOwned(m_pixels);
        freeOwned(m_alpha);
    }
    m_pixels = m_savedPixels;
    m_alpha = m_savedAlpha;
    m_packedSize = m_savedPackedSize;
    m_channelSize[3] = m_savedAlphaSize;
    m_bpp = m_savedBpp;
    m_savedPixels = m_savedAlpha = nullptr;
    m_compression = COMPRESSION_RLE;
    m_unpacked = false;
}

void CGraphicsObject::unpack() {
    if (m_unpacked || m_compression != COMPRESSION_RLE) return;
    DeCompressRLE2();
    // Only an object that really was unpacked has packed buffers to put back.
    m_unpacked = m_compression == COMPRESSION_NONE;
}

void CGraphicsObject::bringBackCompressed() {
    if (m_unpacked || (!m_savedPixels && !m_savedAlpha)) return;
    m_unpacked = true;
    pack(true);
}

int CGraphicsObject::getGfxType() { return 0; }
void CGraphicsObject::setMonitorCollisions(bool monitor) { m_monitorCollisions = monitor; }
bool CGraphicsObject::getMonitorCollisionsFlag() { return m_monitorCollisions; }
void CGraphicsObject::SetOpacity(uint8_t opacity) { m_opacity = opacity; }

void CGraphicsObject::DeCompressRLE2() {
    if (m_compression != COMPRESSION_RLE || !m_pixels) return;
    const int dataSize = GetDataSize();
    const int alphaSize = m_width * m_height;
    char* pixels = CRLECompression::__decompress(m_pixels, m_packedSize, dataSize);
    if (!pixels) return;
    char* alpha = nullptr;
    if (m_alpha) {
        alpha = CRLECompression::__decompresschar(m_alpha, m_channelSize[3], alphaSize);
        if (!alpha) {
            delete[] pixels;
            return;
        }
    }
    // Freed buffers of an earlier unpacking are replaced by this one's.
    if (m_savedPixels || m_savedAlpha) {
        freeOwned(m_savedPixels);
        freeOwned(m_savedAlpha);
    }
    m_savedPixels = m_pixels;
    m_savedAlpha = m_alpha;
    m_savedPackedSize = m_packedSize;
    m_savedAlphaSize = m_channelSize[3];
    m_savedBpp = m_bpp;
    m_pixels = pixels;
    m_alpha = alpha;
    m_dataSize = dataSize;
    if (m_alpha) m_channelSize[3] = alphaSize;
    m_compression = COMPRESSION_NONE;
}

void CGraphicsObject::DeCompress() {
    const int64_t alphaSize = static_cast<int64_t>(m_width) * m_height;
    switch (m_compression) {
    case COMPRESSION_LZO: {
        char* pixels = unpackLzo(m_pixels, m_packedSize, GetDataSize());
        char* alpha = m_alpha ? unpackLzo(m_alpha, m_channelSize[3], alphaSize) : nullptr;
        if (!pixels || (m_alpha && !alpha)) {
            delete[] pixels;
            delete[] alpha;
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        freeOwned(m_pixels);
        m_pixels = pixels;
        if (m_alpha) {
            freeOwned(m_alpha);
            m_alpha = alpha;
        }
        m_channelSize[3] = static_cast<int>(alphaSize);
        m_dataSize = GetDataSize();
        m_compression = COMPRESSION_NONE;
        return;
    }
    case COMPRESSION_LZO_RLE: {
        const int64_t pixelBytes = lzoUnpackedSize(m_pixels, m_packedSize);
        const int64_t alphaBytes = m_alpha ? lzoUnpackedSize(m_alpha, m_channelSize[3]) : 0;
        // Run-length data is never longer than its unpacked form plus one control byte per unit.
        if (pixelBytes < 0 || pixelBytes > 2LL * GetDataSize() + 16 || alphaBytes < 0 ||
            alphaBytes > 2 * alphaSize + 16) {
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        char* pixels = unpackLzo(m_pixels, m_packedSize, pixelBytes);
        char* alpha = m_alpha ? unpackLzo(m_alpha, m_channelSize[3], alphaBytes) : nullptr;
        if (!pixels || (m_alpha && !alpha)) {
            delete[] pixels;
            delete[] alpha;
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        freeOwned(m_pixels);
        m_pixels = pixels;
        m_packedSize = static_cast<int>(pixelBytes);
        if (m_alpha) {
            freeOwned(m_alpha);
            m_alpha = alpha;
            m_channelSize[3] = static_cast<int>(alphaBytes);
        }
        m_compression = COMPRESSION_RLE;
        return;
    }
    case COMPRESSION_JPEG: {
        // The pixel buffer holds a JPEG stream of the packed size; its picture must
        // have this object's size, and only 16-bit depths take its pixels.
        if ((m_bpp != 15 && m_bpp != 16) || !m_pixels || m_packedSize <= 0) {
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        JPEG jpeg(m_pixels, static_cast<size_t>(m_packedSize));
        if (!jpeg.isOk() || jpeg.getWidth() != m_width || jpeg.getHeight() != m_height) {
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        char* alpha = nullptr;
        if (m_alpha) {
            alpha = unpackLzo(m_alpha, m_channelSize[3], alphaSize);
            if (!alpha) {
                setErrorCode(CCompression::kErrCorruptData);
                return;
            }
        }
        char* pixels = jpeg.decompress(m_bpp);
        if (!pixels) {
            delete[] alpha;
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        freeOwned(m_pixels);
        m_pixels = pixels;
        m_dataSize = GetDataSize();
        m_packedSize = 0;
        if (m_alpha) {
            freeOwned(m_alpha);
            m_alpha = alpha;
            m_channelSize[3] = static_cast<int>(alphaSize);
        }
        m_compression = COMPRESSION_NONE;
        return;
    }
    default: return;
    }
}

bool CGraphicsObject::unpackForChange() {
    if (m_compression != COMPRESSION_RLE) return false;
    DeCompressRLE2();
    if (m_compression != COMPRESSION_NONE) return false;
    freeOwned(m_savedPixels);
    freeOwned(m_savedAlpha);
    return true;
}

void CGraphicsObject::repackAfterChange(bool wasPacked) {
    if (wasPacked) Compress(COMPRESSION_RLE);
}

char* CGraphicsObject::GetDataPtr() { return m_pixels; }

void CGraphicsObject::Flush() {
    delete m_snapshot;
    m_snapshot = nullptr;
    pack(true);
    freeOwned(m_pixels);
    freeOwned(m_red);
    freeOwned(m_green);
    freeOwned(m_blue);
    freeOwned(m_alpha);
    freeOwned(m_mergeBackup);
    freeOwned(m_savedPixels);
    freeOwned(m_savedAlpha);
}

void CGraphicsObject::alloc(CXSize size, int, bool) {
    Flush();
    m_ownsBuffers = true;
    m_width = m_pitch = size.cx > 0 ? size.cx : 0;
    m_height = size.cy > 0 ? size.cy : 0;
    for (int& s : m_channelSize) s = 0;
    m_dataSize = GetDataSize();
    m_compression = COMPRESSION_NONE;
    if (m_dataSize > 0) m_pixels = new char[m_dataSize]();
    if (m_width * m_height > 0) m_alpha = new char[static_cast<size_t>(m_width) * m_height]();
}

void CGraphicsObject::Alloc() {
    Flush();
    m_ownsBuffers = true;
    m_dataSize = GetDataSize();
    m_compression = COMPRESSION_NONE;
    if (m_dataSize > 0) m_pixels = new char[m_dataSize]();
}

int CGraphicsObject::GetDataSize() const { return __get_data_size(m_width, m_height, m_bpp); }

// ---- geometry ----

bool CGraphicsObject::testHit(CXPoint p, bool ignoreAlpha) {
    if (!GetBoundingBox().IsInRect(p)) return false;
    if (!m_alpha || ignoreAlpha) return true;
    return GetPixel(CHANNEL_ALPHA, ClientCoords(p)) != 0;
}

CXPoint CGraphicsObject::getCenterPoint() { return CXPoint(m_width / 2, m_height / 2); }
void CGraphicsObject::setPosition(CXPoint p) { SetPosition(p.x, p.y); }
void CGraphicsObject::SetPosition(CXPoint p) { SetPosition(p.x, p.y); }

void CGraphicsObject::SetPosition(int x, int y) {
    m_position = CXPoint(subSat(x, m_anchor.x), subSat(y, m_anchor.y));
    tellCollisionInspector();
}

void CGraphicsObject::Move(CXPoint d) { Move(d.x, d.y); }

void CGraphicsObject::Move(int dx, int dy) {
    CXRect box = GetBoundingBox();
    m_position = m_position + CXPoint(dx, dy);
    box.Sum(GetBoundingBox());
    if (m_screen) m_screen->Invalidate(&box);
    m_invalidated = true;
    tellCollisionInspector();
}

void CGraphicsObject::tellCollisionInspector() {
    CGraphicsWindowServices* services = m_monitorCollisions ? CGraphicsWindowServices::of(m_window) : nullptr;
    if (!services) return;
    if (CCollisionInspector* inspector = services->getCollisionInspectorInterface())
        inspector->onPositionChanged(this);
}

void CGraphicsObject::setAnchor(int x, int y) { setAnchor(CXPoint(x, y)); }
void CGraphicsObject::setAnchor(CXPoint anchor) { m_anchor = anchor; }
CXPoint CGraphicsObject::getAnchor() { return m_anchor; }

void CGraphicsObject::Visible(bool visible) {
    if (!m_window) return;
    m_visible = visible;
    Invalidate();
}

int CGraphicsObject::Width() { return m_width; }
int CGraphicsObject::Height() { return m_height; }
CXSize CGraphicsObject::Size() { return CXSize(m_width, m_height); }
void CGraphicsObject::setSize(CXSize size) {
    m_width = size.cx;
    m_height = size.cy;
}
CXPoint CGraphicsObject::getPosition() { return GetPosition(); }
CXPoint CGraphicsObject::GetPosition() { return m_position; }
CXRect CGraphicsObject::getRect() {
    return CXRect(m_position.x, m_position.y, addSat(m_position.x, m_width), addSat(m_position.y, m_height));
}
int CGraphicsObject::getWidth() { return m_width; }
int CGraphicsObject::getHeight() { return m_height; }

CXRect CGraphicsObject::GetBoundingBox() {
    CXRect box = getRect();
    if (box.left < 0) box.left = 0;
    if (box.top < 0) box.top = 0;
    if (m_destiny) {
        const int dw = m_destiny->Width();
        const int dh = m_destiny->Height();
        if (box.right > dw) box.right = dw;
        if (box.bottom > dh) box.bottom = dh;
    }
    if (!m_clipRect.IsEmpty()) box = box.Common(m_clipRect + GetPosition());
    return box;
}

CXRect CGraphicsObject::GetAbsoluteBoundingBox() {
    CXRect box = getRect();
    if (!m_clipRect.IsEmpty()) box = box.Common(m_clipRect + GetPosition());
    return box;
}

bool CGraphicsObject::isNear(CXRect rect, int percent) {
    const CXRect box = GetBoundingBox();
    const int64_t boxArea = area(box);
    if (boxArea == 0) return true;
    return percent <= 100.0 * static_cast<double>(area(box.Common(rect))) / static_cast<double>(boxArea);
}

bool CGraphicsObject::isNear(CGraphicsObject* other, int percent) {
    return other ? isNear(other->GetBoundingBox(), percent) : false;
}

CXPoint CGraphicsObject::ClientCoords(CXPoint p) { return p - m_position; }
void CGraphicsObject::SetClippingRect(CXRect r) { m_clipRect = r; }

bool CGraphicsObject::isAt(CXPoint p, bool useAlpha) {
    if (!GetBoundingBox().IsInRect(p)) return false;
    if (!useAlpha) return true;
    if (!m_alpha) return false;
    return GetPixel(CHANNEL_ALPHA, ClientCoords(p)) != 0;
}

bool CGraphicsObject::isInside(int x, int y, bool useAlpha) {
    const CXRect box = GetBoundingBox();
    if (!box.IsInRect(x, y)) return false;
    if (!useAlpha) return true;
    if (!m_alpha || m_compression != COMPRESSION_NONE) return false;
    const int64_t i = static_cast<int64_t>(y - box.top) * m_width + (x - box.left);
    if (i < 0 || i >= static_cast<int64_t>(m_width) * m_height) return false;
    return static_cast<uint8_t>(m_alpha[i]) > 0;
}

// ---- pixels ----

int CGraphicsObject::GetPixelSize() { return __get_pixel_size(m_bpp); }

uint8_t CGraphicsObject::GetPixel(_channel channel, CXPoint p) {
    if (p.x < 0 || p.y < 0 || p.x >= m_width || p.y >= m_height) return 0;
    const int64_t i = static_cast<int64_t>(m_width) * p.y + p.x;
    if (channel == CHANNEL_ALPHA) {
        if (!m_alpha) return 0;
        if (m_compression == COMPRESSION_RLE) {
            // Read from the packed runs: hit tests ask on every pointer move.
            const int v = CRLECompression::byteAt(m_alpha, m_channelSize[3], m_width * m_height, i);
            return v < 0 ? 0 : static_cast<uint8_t>(v);
        }
        return static_cast<uint8_t>(m_alpha[i]);
    }
    const char* buffer = channel == CHANNEL_RED ? m_red : channel == CHANNEL_GREEN ? m_green : channel == CHANNEL_BLUE ? m_blue : nullptr;
    return buffer ? static_cast<uint8_t>(buffer[i]) : 0;
}

CColor CGraphicsObject::GetPixel(CXPoint p) { return GetPixel(p.x, p.y); }

CColor CGraphicsObject::GetPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_compression != COMPRESSION_NONE || !m_pixels)
        return CColor(0, 0, 0);
    const int64_t i = static_cast<int64_t>(m_width) * y + x;
    if (m_bpp == 15 || m_bpp == 16) {
        int16_t v;
        std::memcpy(&v, m_pixels + i * 2, 2);
        return CColor(v, m_bpp == 15 ? CM_RGB15 : CM_RGB16);
    }
    if (m_bpp == 24) {
        const auto* p = reinterpret_cast<const uint8_t*>(m_pixels + i * 3);
        return CColor(p[0], p[1], p[2]);
    }
    return CColor(0, 0, 0);
}

void CGraphicsObject::FlipH() {
    const bool packed = unpackForChange();
    if (m_compression == COMPRESSION_NONE) {
        const size_t row = static_cast<size_t>(m_width) * GetPixelSize();
        std::vector<char> tmp(row);
        auto swapRows = [&](char* buf, size_t rowBytes) {
            for (int i = 0; i < m_height / 2; ++i) {
                char* a = buf + rowBytes * i;
                char* b = buf + rowBytes * (m_height - 1 - i);
                std::memcpy(tmp.data(), a, rowBytes);
                std::memcpy(a, b, rowBytes);
                std::memcpy(b, tmp.data(), rowBytes);
            }
        };
        if (m_pixels) swapRows(m_pixels, row);
        if (m_alpha) swapRows(m_alpha, static_cast<size_t>(m_width));
        m_flippedH = !m_flippedH;
    }
    repackAfterChange(packed);
}

void CGraphicsObject::FlipV() {
    const bool packed = unpackForChange();
    if (m_compression == COMPRESSION_NONE) {
        auto mirror = [&](char* buf, int ps) {
            char tmp[4];
            for (int y = 0; y < m_height; ++y) {
                char* row = buf + static_cast<size_t>(y) * m_width * ps;
                for (int j = 0; j < m_width / 2; ++j) {
                    char* a = row + j * ps;
                    char* b = row + (m_width - 1 - j) * ps;
                    std::memcpy(tmp, a, ps);
                    std::memcpy(a, b, ps);
                    std::memcpy(b, tmp, ps);
                }
            }
        };
        if (m_pixels) mirror(m_pixels, GetPixelSize());
        if (m_alpha) mirror(m_alpha, 1);
        m_flippedV = !m_flippedV;
    }
    repackAfterChange(packed);
}

void CGraphicsObject::resetFlips() {
    const bool packed = unpackForChange();
    if (m_flippedV) FlipV();
    if (m_flippedH) FlipH();
    repackAfterChange(packed);
}

void CGraphicsObject::Convert(int bpp) {
    if (!m_pixels || m_compression != COMPRESSION_NONE) return;
    const CXSize size(m_width, m_height);
    if ((bpp == 24 || bpp == 32) && m_bpp == 15) {
        if (__convert_bpp(&m_pixels, nullptr, size, 15, 16, nullptr, false)) m_bpp = 16;
    }
    if (bpp < 24 && bpp != m_bpp && static_cast<int64_t>(m_width) * m_height > 3) {
        if (__convert_bpp(&m_pixels, nullptr, size, m_bpp, bpp, nullptr, false)) {
            m_bpp = bpp;
            m_dataSize = GetDataSize();
        }
    }
}

int CGraphicsObject::GetRealBpp(int code) {
    switch (code) {
    case 1: return 8;
    case 2: return 15;
    case 4: return 16;
    case 8: return 24;
    case 0x100: return 2;
    case 0x200: return 4;
    default: return 0;
    }
}

int CGraphicsObject::GetFlagBpp(int bpp) {
    switch (bpp) {
    case 8: return 1;
    case 15: return 2;
    case 16: return 4;
    case 24: return 8;
    case 2: return 0x100;
    case 4: return 0x200;
    default: return 0;
    }
}

// ---- drawing ----

void CGraphicsObject::redraw(CGraphicsObject* destination) {
    if (!destination) return;
    const CXSize dsize = destination->Size();
    const int dw = destination->Width();
    char* dstData = destination->GetDataPtr();
    if (!m_pixels || !dstData) return;
    Convert(destination->GetBpp());
    // A packed buffer holds no pixels to draw.
    if (!m_pixels || m_compression != COMPRESSION_NONE) return;
    const int x = m_position.x;
    const int y = m_position.y;
    if (addSat(x, m_width) <= 0 || addSat(y, m_height) <= 0 || x >= dw || y >= dsize.cy) return;
    // The part of the object that lies inside the destination, in object coordinates.
    const CXRect visible(x < 0 ? -x : 0, y < 0 ? -y : 0, addSat(x, m_width) > dw ? dw - x : m_width,
                         addSat(y, m_height) > dsize.cy ? dsize.cy - y : m_height);
    if (m_autoClip) {
        if (visible.left >= visible.right || visible.bottom <= visible.top) return;
        if (m_clipRect.IsEmpty()) {
            m_clipRect = visible;
        } else {
            m_clipRect.left = std::max(m_clipRect.left, visible.left);
            m_clipRect.top = std::max(m_clipRect.top, visible.top);
            m_clipRect.right = std::min(m_clipRect.right, visible.right);
            m_clipRect.bottom = std::min(m_clipRect.bottom, visible.bottom);
        }
    }
    // Drawing never leaves either buffer, whatever the clipping rectangle says.
    CXRect rect = m_clipRect.IsEmpty() ? CXRect(0, 0, m_width, m_height) : m_clipRect;
    rect = rect.Common(visible);
    if (!rect.IsProper()) return;
    CXRect view = m_viewport;
    if (!view.IsEmpty()) {
        view = view.Common(CXRect(0, 0, rect.Width(), rect.Height()));
        if (!view.IsProper()) return;
    }

    _canvas src;
    src.data = m_pixels;
    src.alpha = m_alpha;
    src.bpp = m_bpp;
    src.x = x;
    src.y = y;
    src.width = m_width;
    src.height = m_height;
    src.rect = rect;
    _canvas dst;
    dst.data = dstData;
    dst.alpha = destination->m_alpha;
    dst.bpp = destination->GetBpp();
    dst.width = dw;
    dst.height = dsize.cy;
    dst.rect = view;

    if (m_opacity < 255)
        __copy_blend(&src, &dst, m_opacity);
    else if (dst.alpha)
        copyToCanvas(&src, &dst);
    else if (src.alpha)
        m_alphaAsMask ? __copy_alpha_as_mask(&src, &dst) : __copy_alpha(&src, &dst);
    else
        __copy(&src, &dst);
}

void CGraphicsObject::Redraw() {
    if (m_snapshot) restoreImage();
    for (CGraphicsObject* c : childrenOf(m_children)) c->redraw(this);
    if (m_destiny) redraw(m_destiny);
}

int CGraphicsObject::Load(CXString) {
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window))
        if (CRefreshScreen* screen = services->GetRefreshScreenInterface()) Convert(screen->GetBpp());
    return LastError();
}

int CGraphicsObject::Load(CFile*) { return LastError(); }

void CGraphicsObject::Save(CXString name, _compression compression) {
    // The image is built whole and written in one step, so a failed write keeps
    // the old file instead of leaving a torn one.
    CFile_Memory file;
    const int before = LastError();
    setErrorCode(0);
    Save(&file, compression);
    if (LastError() != 0) return;
    setErrorCode(CFile::saveWhole(m_window, name, file.bytes(), "IMAGE SAVE") != 0 ? CFile::kErrorWrite : before);
}

void CGraphicsObject::Save(CFile* file, _compression compression) {
    if (!file) return;
    const int ps = GetPixelSize();
    const CXRect image(0, 0, m_width, m_height);
    // Only the part inside the clipping rectangle is written when it names one;
    // the part never reaches outside the image.
    const CXRect& c = m_clipRect;
    const bool clipped = (c.Width() != 0 && c.Height() != 0) || (c.Width() > 0 && c.Width() != m_width) ||
                         (c.Height() > 0 && c.Height() != m_height);
    CXRect part = image;
    if (clipped) {
        part = c.Common(image);
        if (!part.IsProper()) part = CXRect(0, 0, 0, 0);
    }
    const bool whole = part == image;
    const bool packed = m_compression == COMPRESSION_RLE;
    if ((m_compression != COMPRESSION_NONE && !packed) || (!m_pixels && GetDataSize() > 0)) {
        setErrorCode(CCompression::kErrCorruptData);
        return;
    }
    if (!packed) m_channelSize[3] = m_alpha ? m_width * m_height : 0;

    // The plain buffers to write from: the object's own, or its packed ones unpacked.
    std::unique_ptr<char[]> plainPixels;
    std::unique_ptr<char[]> plainAlpha;
    const char* pixels = m_pixels;
    const char* alpha = m_alpha;
    if (packed && !(compression == COMPRESSION_RLE && whole)) {
        plainPixels.reset(CRLECompression::__decompress(m_pixels, m_packedSize, GetDataSize()));
        if (m_alpha) plainAlpha.reset(CRLECompression::__decompresschar(m_alpha, m_channelSize[3], m_width * m_height));
        if (!plainPixels || (m_alpha && !plainAlpha)) {
            setErrorCode(CCompression::kErrCorruptData);
            return;
        }
        pixels = plainPixels.get();
        alpha = plainAlpha.get();
    }

    const int width = part.Width();
    const int height = part.Height();
    const int rawSize = height * ps * width;
    std::vector<char> partPixels;
    std::vector<char> partAlpha;
    if (!whole) {
        partPixels.resize(static_cast<size_t>(rawSize));
        for (int y = 0; y < height; ++y)
            std::memcpy(partPixels.data() + static_cast<size_t>(y) * width * ps,
                        pixels + (static_cast<size_t>(part.top + y) * m_width + part.left) * ps,
                        static_cast<size_t>(width) * ps);
        pixels = partPixels.data();
        if (alpha) {
            partAlpha.resize(static_cast<size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                std::memcpy(partAlpha.data() + static_cast<size_t>(y) * width,
                            alpha + static_cast<size_t>(part.top + y) * m_width + part.left, static_cast<size_t>(width));
            alpha = partAlpha.data();
        }
    }

    // Code 4 is written packed; everything else plain, labelled 0.
    _compression code = COMPRESSION_NONE;
    int pixelBytes = rawSize;
    int alphaBytes = alpha ? width * height : 0;
    std::unique_ptr<char[]> packedPixels;
    std::unique_ptr<char[]> packedAlpha;
    if (packed && compression == COMPRESSION_RLE) {
        code = COMPRESSION_RLE;
        if (whole) {
            pixelBytes = m_packedSize;
            alphaBytes = alpha ? m_channelSize[3] : 0;
        } else {
            packedPixels.reset(CRLECompression::__compress(const_cast<char*>(pixels), rawSize, &pixelBytes));
            pixels = packedPixels.get();
            if (alpha) {
                packedAlpha.reset(CRLECompression::__compresschar(const_cast<char*>(alpha), width * height, &alphaBytes));
                alpha = packedAlpha.get();
            }
        }
    }

    const CXPoint at = GetPosition() + part.LeftTop();
    char header[kImageHeaderSize] = {'P', 'I', 'K', 0};
    const int32_t fields[9] = {width, height, m_bpp, rawSize, 0, code, alphaBytes, at.x, at.y};
    for (int i = 0; i < 9; ++i) byteorder::writeLE32(header + 4 + i * 4, static_cast<uint32_t>(fields[i]));
    bool ok = file->Write(header, kImageHeaderSize) == kImageHeaderSize;
    if (pixelBytes > 0) ok = file->Write(pixels, pixelBytes) == pixelBytes && ok;
    if (alphaBytes > 0) ok = file->Write(alpha, alphaBytes) == alphaBytes && ok;
    if (!ok) setErrorCode(CFile::kErrorWrite);
}

// ---- invalidation ----

void CGraphicsObject::Invalidate(CXRect* rect) {
    if (!rect) return;
    CXRect common = rect->Common(GetBoundingBox());
    if (!common.IsProper()) return;
    if (m_screen) m_screen->Invalidate(&common);
    notifyInvalidate(&common);
    m_invalidated = true;
}

void CGraphicsObject::Invalidate() {
    CXRect box = GetBoundingBox();
    if (m_screen) m_screen->Invalidate(&box);
    notifyInvalidate(&box);
    m_invalidated = true;
}

void CGraphicsObject::invalidateOnScreen(CXRect r) {
    if (m_screen) m_screen->Invalidate(&r);
}

void CGraphicsObject::addInvalidateObserver(CInvalidateObserver* observer) {
    if (!observer || !m_observers) return;
    if (!m_observers->contains(static_cast<void*>(observer))) m_observers->add(static_cast<void*>(observer));
}

void CGraphicsObject::removeInvalidateObserver(CInvalidateObserver* observer) {
    if (m_observers) m_observers->remove(static_cast<void*>(observer));
}

void CGraphicsObject::notifyInvalidate(CXRect* rect) {
    if (!m_observers) return;
    std::vector<CInvalidateObserver*> list;
    for (int i = 0; i < m_observers->getCount(); ++i)
        list.push_back(static_cast<CInvalidateObserver*>(m_observers->at(i)));
    for (CInvalidateObserver* o : list) o->onInvalidate(this, rect);
}

CGraphicsObject* CGraphicsObject::getDrawn() { return this; }

void CGraphicsObject::onInvalidate(CGraphicsObject*, CXRect* rect) { Invalidate(rect); }

void CGraphicsObject::onDestroy(CGraphicsObject* object) {
    if (!object) return;
    object->removeInvalidateObserver(this);
    if (!m_children) return;
    m_children->remove(object);
    if (m_children->getCount() == 0) {
        delete m_children;
        m_children = nullptr;
        delete m_snapshot;
        m_snapshot = nullptr;
    }
}

// ---- small members ----

void CGraphicsObject::AddOpacity(short delta) {
    const int v = m_opacity + delta;
    m_opacity = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

bool CGraphicsObject::isInvalidated() {
    const bool was = m_invalidated;
    m_invalidated = false;
    return was;
}

char* CGraphicsObject::RedChannel(char* p) {
    if (p) m_red = p;
    return m_red;
}
char* CGraphicsObject::GreenChannel(char* p) {
    if (p) m_green = p;
    return m_green;
}
char* CGraphicsObject::BlueChannel(char* p) {
    if (p) m_blue = p;
    return m_blue;
}
char* CGraphicsObject::AlphaChannel(char* p) {
    m_alpha = p;
    return m_alpha;
}

// ---- children ----

void CGraphicsObject::addObject(CGraphicsObject* child, int priority) {
    if (!child || child == this) return;
    if (!m_children) m_children = new CValidationQuene();
    if (!m_children->find(child)) m_children->add(child, priority, 0);
    child->addInvalidateObserver(this);
    if (!m_snapshot && m_pixels && m_compression == COMPRESSION_NONE)
        m_snapshot = new CDataBuffer2Dim(m_pixels, CXSize(m_width, m_height), GetPixelSize());
}

void CGraphicsObject::removeObject(CGraphicsObject* child) {
    if (!child || !m_children) return;
    m_children->remove(child);
    child->removeInvalidateObserver(this);
    if (m_children->getCount() == 0) {
        delete m_children;
        m_children = nullptr;
        delete m_snapshot;
        m_snapshot = nullptr;
    }
}

void CGraphicsObject::removeAllObjects() {
    // Children that stay alive must not keep telling a parent that may go away.
    for (CGraphicsObject* c : childrenOf(m_children)) c->removeInvalidateObserver(this);
    delete m_children;
    m_children = nullptr;
}

void CGraphicsObject::restoreImage() {
    if (!m_snapshot || !m_pixels || m_compression != COMPRESSION_NONE) return;
    const int64_t n = std::min<int64_t>(m_snapshot->getMemoryUsage(), GetDataSize());
    if (n > 0) std::memcpy(m_pixels, m_snapshot->getBuffer(), static_cast<size_t>(n));
}

void CGraphicsObject::retakeSnapshot() {
    delete m_snapshot;
    m_snapshot = nullptr;
    if (m_children && m_pixels && m_compression == COMPRESSION_NONE)
        m_snapshot = new CDataBuffer2Dim(m_pixels, CXSize(m_width, m_height), GetPixelSize());
}
