#include "media/CSharedImage.h"

#include <cstring>
#include <memory>

#include "foundation/CDataBuffer2Dim.h"
#include "foundation/CRLECompression.h"

namespace {

// How deep links may chain before one is refused (a chain back here included).
constexpr int kMaxLinkDepth = 64;

}  // namespace

CSharedImage::CSharedImage(CWindow* window) : CImage(window) {}

CSharedImage::~CSharedImage() {
    if (m_linked) {
        m_linked->removeInvalidateObserver(this);
        m_linked = nullptr;
        clearBuffers();
    }
}

CSharedImage* CSharedImage::copyOf(CImage* source, CWindow* window) {
    auto* copy = new CSharedImage(window);
    if (!source) return copy;
    source->GetDataPtr();  // a linked source takes its current buffers first
    copy->CGraphicsObject::operator=(*source);
    copy->CGraphicsObject::m_window = window;
    // The fields now name the source's buffers; the copy takes its own.
    copy->takeCopiesOfBuffers(*source);
    copy->m_monitorCollisions = false;
    copy->setFilename(source->CPlayable::getFileName());
    copy->toRelease(source->releaseAfterUse());
    if (source->isLoaded()) copy->CPlayable::load();
    copy->CPlayable::setVisibility(source->CGraphicsObject::isVisible());
    return copy;
}

// ---- link -----------------------------------------------------------------------

void CSharedImage::link(CGraphicsObject* source) {
    if (!source || source == this) return;
    // A chain of links that comes back here would follow itself.
    int depth = 0;
    for (auto* s = dynamic_cast<CSharedImage*>(source); s; s = dynamic_cast<CSharedImage*>(s->m_linked)) {
        if (s == this || ++depth > kMaxLinkDepth) return;
    }
    Invalidate();
    unlink();
    CGraphicsObject::Flush();
    m_ownsBuffers = false;
    m_linked = source;
    source->addInvalidateObserver(this);
    follow();
    Invalidate();
}

void CSharedImage::unlink() {
    if (!m_linked) return;
    Invalidate();
    m_linked->removeInvalidateObserver(this);
    m_linked = nullptr;
    clearBuffers();
}

void CSharedImage::clearBuffers() {
    delete m_snapshot;
    m_snapshot = nullptr;
    m_pixels = m_alpha = m_red = m_green = m_blue = nullptr;
    m_savedPixels = m_savedAlpha = nullptr;
    m_mergeBackup = nullptr;
    m_mergeRect = CXRect();
    m_unpacked = false;
    m_width = m_height = m_pitch = 0;
    m_dataSize = m_packedSize = 0;
    for (int& s : m_channelSize) s = 0;
    m_compression = COMPRESSION_NONE;
    m_ownsBuffers = true;  // nothing held, nothing to free
}

void CSharedImage::follow() {
    if (!m_linked || m_following) return;
    m_following = true;
    m_pixels = m_linked->GetDataPtr();
    m_alpha = m_linked->AlphaChannel();
    m_red = m_linked->GetChannelRed();
    m_green = m_linked->GetChannelGreen();
    m_blue = m_linked->GetChannelBlue();
    m_width = m_linked->Width();
    m_height = m_linked->Height();
    m_pitch = m_linked->GetPitch();
    m_bpp = m_linked->GetBpp();
    m_compression = m_linked->GetCompression();
    m_packedSize = m_linked->getPackedSize();
    for (int i = 0; i < 4; ++i) m_channelSize[i] = m_linked->GetChannelSize(i);
    m_dataSize = GetDataSize();
    m_following = false;
}

void CSharedImage::onInvalidate(CGraphicsObject* object, CXRect* rect) {
    if (object && object == m_linked) {
        follow();
        Invalidate();
        return;
    }
    CImage::onInvalidate(object, rect);
}

void CSharedImage::onDestroy(CGraphicsObject* object) {
    if (object && object == m_linked) {
        // The linked image is half destroyed: its buffers are not read again.
        const CXRect box = CImage::GetBoundingBox();
        m_linked = nullptr;  // it is leaving its observers itself
        clearBuffers();
        invalidateOnScreen(box);
        return;
    }
    CImage::onDestroy(object);
}

// ---- uses of the buffers ----------------------------------------------------------

char* CSharedImage::GetDataPtr() {
    follow();
    return CImage::GetDataPtr();
}

void CSharedImage::redraw(CGraphicsObject* destination) {
    follow();
    CImage::redraw(destination);
}

bool CSharedImage::testHit(CXPoint p, bool ignoreAlpha) {
    follow();
    return CImage::testHit(p, ignoreAlpha);
}

uint8_t CSharedImage::GetPixel(_channel channel, CXPoint p) {
    follow();
    return CImage::GetPixel(channel, p);
}

CColor CSharedImage::GetPixel(CXPoint p) {
    follow();
    return CImage::GetPixel(p);
}

CColor CSharedImage::GetPixel(int x, int y) {
    follow();
    return CImage::GetPixel(x, y);
}

int CSharedImage::Width() {
    follow();
    return CImage::Width();
}

int CSharedImage::Height() {
    follow();
    return CImage::Height();
}

CXSize CSharedImage::Size() {
    follow();
    return CImage::Size();
}

CXRect CSharedImage::GetBoundingBox() {
    follow();
    return CImage::GetBoundingBox();
}

int CSharedImage::Load(CXString name, bool convert) {
    unlink();
    return CImage::Load(name, convert);
}

void CSharedImage::flush() {
    unlink();
    CImage::flush();
}

// ---- pixels ----------------------------------------------------------------------

bool CSharedImage::alphaAt(int x, int y, uint8_t* value) {
    *value = 0;
    follow();
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || !m_alpha) return false;
    const int64_t i = static_cast<int64_t>(y) * m_width + x;
    if (m_compression == COMPRESSION_NONE) {
        *value = static_cast<uint8_t>(m_alpha[i]);
        return true;
    }
    if (m_compression != COMPRESSION_RLE) return false;
    std::unique_ptr<char[]> plain(
        CRLECompression::__decompresschar(m_alpha, m_channelSize[3], m_width * m_height));
    if (!plain) return false;
    *value = static_cast<uint8_t>(plain[i]);
    return true;
}

bool CSharedImage::pixelAt(int x, int y, uint16_t* value) {
    *value = 0;
    follow();
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || !m_pixels) return false;
    if (m_bpp != 15 && m_bpp != 16) return false;
    const int64_t offset = (static_cast<int64_t>(y) * m_width + x) * 2;
    const char* plane = m_pixels;
    std::unique_ptr<char[]> plain;
    if (m_compression == COMPRESSION_RLE) {
        plain.reset(CRLECompression::__decompress(m_pixels, m_packedSize, GetDataSize()));
        plane = plain.get();
    } else if (m_compression != COMPRESSION_NONE) {
        return false;
    }
    if (!plane) return false;
    const auto* b = reinterpret_cast<const uint8_t*>(plane + offset);
    *value = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

void CSharedImage::replaceColor(uint16_t from, uint16_t to) {
    if (m_linked) {
        follow();
        if (auto* shared = dynamic_cast<CSharedImage*>(m_linked))
            shared->replaceColor(from, to);
        else
            m_linked->replace_color(static_cast<short>(from), static_cast<short>(to));
        follow();
        return;
    }
    const bool packed = unpackForChange();
    replace_color(static_cast<short>(from), static_cast<short>(to));
    repackAfterChange(packed);
}
