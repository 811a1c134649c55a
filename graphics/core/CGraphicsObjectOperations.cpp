// Operations that rework a graphics object's buffers in place: copies, crops, scales,
// colour effects, fills, single pixels, packing, channel buffers, alpha merging, the
// displacement filter, the flood fill and the indexed blend.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/CRLECompression.h"
#include "graphics/core/CGraphicsObject.h"

namespace {

// Largest side Scale produces; keeps a wild factor from asking for gigabytes.
constexpr int kMaxScaledSide = 16384;

// Copies the rows of r (inside a buffer w pixels wide, ps bytes each) into a new buffer.
char* copyRows(const char* buf, int w, int ps, const CXRect& r) {
    const size_t row = static_cast<size_t>(r.right - r.left) * ps;
    char* out = new char[row * (r.bottom - r.top)];
    for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(out + row * (y - r.top), buf + (static_cast<size_t>(y) * w + r.left) * ps, row);
    return out;
}

}  // namespace

// ---- copies ----

void CGraphicsObject::Copy(CGraphicsObject* src) { Copy(src, CXRect(0, 0, 0, 0)); }

void CGraphicsObject::Copy(CGraphicsObject* src, CXRect r) {
    if (!src || src == this) return;
    const bool whole = r == CXRect(0, 0, 0, 0);
    const bool wasPacked = src->m_compression == COMPRESSION_RLE;
    if (wasPacked) {
        src->DeCompressRLE2();
        if (src->m_compression != COMPRESSION_NONE) return;
    }
    char* srcPixels = src->GetDataPtr();
    CXRect part;
    bool partial = false;
    if (!whole) {
        part = r.Common(CXRect(0, 0, src->m_width, src->m_height));
        partial = true;
    } else if (!wasPacked && !src->m_clipRect.IsEmpty()) {
        part = src->m_clipRect.Common(CXRect(0, 0, src->m_width, src->m_height));
        partial = true;
    }
    if (partial && !part.IsProper()) {
        if (wasPacked) src->bringBackCompressed();
        return;
    }

    freeOwned(m_pixels);
    freeOwned(m_alpha);
    if (!m_ownsBuffers) {
        m_red = m_green = m_blue = nullptr;
        m_savedPixels = m_savedAlpha = nullptr;
        m_mergeBackup = nullptr;
    }
    m_ownsBuffers = true;
    m_unpacked = false;
    m_visible = true;
    m_fileName = src->m_fileName;
    m_window = src->m_window;
    m_destiny = src->m_destiny;
    m_width = src->m_width;
    m_height = src->m_height;
    m_pitch = src->m_pitch;
    m_bpp = src->m_bpp;
    m_autoClip = src->m_autoClip;
    m_clipRect = src->m_clipRect;
    m_viewport = src->m_viewport;
    m_position = src->m_position;
    m_compression = COMPRESSION_NONE;

    const int ps = GetPixelSize();
    if (partial) {
        m_width = part.right - part.left;
        m_height = part.bottom - part.top;
        // Rows of the copy are its own width long; putPixel walks them by the pitch.
        m_pitch = m_width;
        m_clipRect = CXRect();
        if (srcPixels) m_pixels = copyRows(srcPixels, src->m_width, ps, part);
        if (src->m_alpha) m_alpha = copyRows(src->m_alpha, src->m_width, 1, part);
        m_dataSize = GetDataSize();
        m_packedSize = 0;
        for (int& s : m_channelSize) s = 0;
        if (m_alpha) m_channelSize[3] = m_width * m_height;
    } else {
        const int dataSize = src->GetDataSize();
        if (srcPixels && dataSize > 0) {
            m_pixels = new char[dataSize];
            std::memcpy(m_pixels, srcPixels, dataSize);
        }
        const size_t alphaSize = static_cast<size_t>(m_width) * m_height;
        if (src->m_alpha && alphaSize > 0) {
            m_alpha = new char[alphaSize];
            std::memcpy(m_alpha, src->m_alpha, alphaSize);
        }
        m_dataSize = dataSize;
        m_packedSize = src->m_packedSize;
        std::memcpy(m_channelSize, src->m_channelSize, sizeof m_channelSize);
        if (m_alpha) m_channelSize[3] = static_cast<int>(alphaSize);
        m_red = m_green = m_blue = nullptr;
    }
    retakeSnapshot();
    if (wasPacked) src->bringBackCompressed();
}

void CGraphicsObject::crop(CXRect r) {
    Invalidate();
    const bool packed = unpackForChange();
    if (m_compression != COMPRESSION_NONE || !m_pixels) return;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, m_width);
    r.bottom = std::min(r.bottom, m_height);
    if (r.IsProper()) {
        char* pixels = copyRows(m_pixels, m_width, GetPixelSize(), r);
        char* alpha = m_alpha ? copyRows(m_alpha, m_width, 1, r) : nullptr;
        freeOwned(m_pixels);
        freeOwned(m_alpha);
        if (!m_ownsBuffers) m_red = m_green = m_blue = nullptr;
        m_ownsBuffers = true;
        m_pixels = pixels;
        m_alpha = alpha;
        m_width = m_pitch = r.right - r.left;
        m_height = r.bottom - r.top;
        m_dataSize = GetDataSize();
        if (m_alpha) m_channelSize[3] = m_width * m_height;
        retakeSnapshot();
    }
    repackAfterChange(packed);
}

namespace {
// New buffers of nw x nh taken from the pixel (sx(x), sy(y)) of the old ones.
template <class MapX, class MapY>
void resample(char*& pixels, char*& alpha, int w, int nw, int nh, int ps, MapX mx, MapY my) {
    char* np = new char[static_cast<size_t>(nw) * nh * ps];
    char* na = alpha ? new char[static_cast<size_t>(nw) * nh] : nullptr;
    for (int y = 0; y < nh; ++y) {
        const int oy = my(y);
        for (int x = 0; x < nw; ++x) {
            const int ox = mx(x);
            const size_t from = static_cast<size_t>(oy) * w + ox;
            const size_t to = static_cast<size_t>(y) * nw + x;
            std::memcpy(np + to * ps, pixels + from * ps, ps);
            if (na) na[to] = alpha[from];
        }
    }
    pixels = np;
    alpha = na;
}
}  // namespace

void CGraphicsObject::Scale(double sx, double sy) {
    if (!m_pixels || m_compression != COMPRESSION_NONE || !(sx > 0) || !(sy > 0)) return;
    const double fw = std::trunc(m_width * sx);
    const double fh = std::trunc(m_height * sy);
    if (!(fw >= 1) || !(fh >= 1) || fw > kMaxScaledSide || fh > kMaxScaledSide) return;
    const int nw = static_cast<int>(fw);
    const int nh = static_cast<int>(fh);
    char* pixels = m_pixels;
    char* alpha = m_alpha;
    const int w = m_width, h = m_height;
    resample(
        pixels, alpha, w, nw, nh, GetPixelSize(),
        [&](int x) { return std::min(static_cast<int>(x / sx), w - 1); },
        [&](int y) { return std::min(static_cast<int>(y / sy), h - 1); });
    freeOwned(m_pixels);
    freeOwned(m_alpha);
    if (!m_ownsBuffers) m_red = m_green = m_blue = nullptr;
    m_ownsBuffers = true;
    m_pixels = pixels;
    m_alpha = alpha;
    m_width = m_pitch = nw;
    m_height = nh;
    m_dataSize = GetDataSize();
    if (m_alpha) m_channelSize[3] = nw * nh;
    retakeSnapshot();
}

void CGraphicsObject::Scale2x() {
    if (!m_pixels || m_compression != COMPRESSION_NONE || m_width < 2 || m_height < 2) return;
    const int nw = m_width / 2, nh = m_height / 2;
    char* pixels = m_pixels;
    char* alpha = m_alpha;
    resample(
        pixels, alpha, m_width, nw, nh, GetPixelSize(), [](int x) { return 2 * x; }, [](int y) { return 2 * y; });
    freeOwned(m_pixels);
    freeOwned(m_alpha);
    if (!m_ownsBuffers) m_red = m_green = m_blue = nullptr;
    m_ownsBuffers = true;
    m_pixels = pixels;
    m_alpha = alpha;
    m_width = m_pitch = nw;
    m_height = nh;
    m_dataSize = GetDataSize();
    if (m_alpha) m_channelSize[3] = nw * nh;
    retakeSnapshot();
}

void CGraphicsObject::FitRect(CXRect r) {
    m_position.x = r.left + (r.right - m_width - r.left) / 2;
    m_position.y = r.top + (r.bottom - m_height - r.top) / 2;
}

void CGraphicsObject::FitObject(CGraphicsObject* other) {
    if (other) FitRect(other->GetBoundingBox());
}

// ---- colour effects ----

void CGraphicsObject::ToGrayScale() {
    if (!m_pixels || m_compression != COMPRESSION_NONE) return;
    const int64_t n = static_cast<int64_t>(m_width) * m_height;
    for (int64_t i = 0; i < n; ++i) {
        char* p = m_pixels + i * 2;
        const unsigned v = byteorder::readLE16(p);
        if (m_bpp == 15) {
            const unsigned g = ((v & 0x1F) + ((v >> 5) & 0x1F) + ((v >> 10) & 0x1F)) / 3;
            byteorder::writeLE16(p, static_cast<uint16_t>(g | g << 5 | g << 10));
        } else if (m_bpp == 16) {
            const unsigned g = ((v & 0x1F) + (((v >> 5) & 0x3F) >> 1) + ((v >> 11) & 0x1F)) / 3;
            byteorder::writeLE16(p, static_cast<uint16_t>(g | g << 6 | g << 11));
        } else {
            return;
        }
    }
}

void CGraphicsObject::InvertColors() {
    if (!m_pixels || m_compression != COMPRESSION_NONE || m_bpp != 15) return;
    const int64_t n = static_cast<int64_t>(m_width) * m_height;
    for (int64_t i = 0; i < n; ++i) byteorder::writeLE16(m_pixels + i * 2, byteorder::readLE16(m_pixels + i * 2) ^ 0x7FFF);
}

void CGraphicsObject::replace_color(short from, short to) {
    if (!m_pixels || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16)) return;
    const int64_t n = static_cast<int64_t>(m_width) * m_height;
    for (int64_t i = 0; i < n; ++i)
        if (byteorder::readLE16(m_pixels + i * 2) == static_cast<uint16_t>(from)) byteorder::writeLE16(m_pixels + i * 2, static_cast<uint16_t>(to));
}

void CGraphicsObject::outline(unsigned short colour, int thickness) {
    if (!m_pixels || !m_alpha || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16)) return;
    auto paint = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
        const size_t i = static_cast<size_t>(y) * m_width + x;
        byteorder::writeLE16(m_pixels + i * 2, colour);
        m_alpha[i] = static_cast<char>(0xFF);
    };
    for (int t = 0; t < thickness && t < std::max(m_width, m_height); ++t) {
        for (int x = 0; x < m_width; ++x) {
            paint(x, t);
            paint(x, m_height - 1 - t);
        }
        for (int y = 0; y < m_height; ++y) {
            paint(t, y);
            paint(m_width - 1 - t, y);
        }
    }
}

// ---- fills and single pixels ----

void CGraphicsObject::Fill(CColor* c) {
    char* pixels = GetDataPtr();
    if (!c || !pixels || m_compression != COMPRESSION_NONE) return;
    const int64_t n = static_cast<int64_t>(m_width) * m_height;
    const int v = c->GetInBPP(m_bpp);
    if (m_bpp == 15 || m_bpp == 16) {
        for (int64_t i = 0; i < n; ++i) byteorder::writeLE16(pixels + i * 2, static_cast<uint16_t>(v));
    } else if (m_bpp == 32) {
        for (int64_t i = 0; i < n; ++i) std::memcpy(pixels + i * 4, &v, 4);
    }
}

void CGraphicsObject::Fill(CXRect r, CColor* c) {
    char* pixels = GetDataPtr();
    if (!c || !pixels || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16)) return;
    r = r.Common(CXRect(0, 0, m_width, m_height));
    if (!r.IsProper()) return;
    const uint16_t v = static_cast<uint16_t>(c->GetInBPP(m_bpp));
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) byteorder::writeLE16(pixels + (static_cast<size_t>(y) * m_width + x) * 2, v);
}

void CGraphicsObject::SetPixel(int x, int y, CColor c) {
    if (!m_pixels || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16)) return;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    const int v = c.Convert(m_bpp == 15 ? CM_RGB15 : CM_RGB16);
    byteorder::writeLE16(m_pixels + (static_cast<size_t>(y) * m_width + x) * 2, static_cast<uint16_t>(v));
}

void CGraphicsObject::putPixel(int x, int y, short colour, int alpha, bool replace) {
    if (!m_pixels || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16)) return;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_pitch < m_width) return;
    if ((static_cast<int64_t>(m_pitch) * y + x + 1) * 2 > GetDataSize()) return;
    alpha = std::clamp(alpha, 0, 255);
    if (m_bpp == 15)
        putPixel15(m_pixels, m_pitch, x, y, colour, alpha, replace);
    else
        putPixel16(m_pixels, m_pitch, x, y, colour, alpha, replace);
}

// ---- packing ----

void CGraphicsObject::Compress(_compression c) {
    if (m_compression != COMPRESSION_NONE) return;
    m_dataSize = m_packedSize = m_channelSize[3] = GetPixelSize() * m_height * m_width;
    if (c != COMPRESSION_RLE || !m_pixels || !m_ownsBuffers) return;
    int pixelLength = 0;
    char* pixels = CRLECompression::__compress(m_pixels, m_dataSize, &pixelLength);
    int alphaLength = 0;
    char* alpha = m_alpha ? CRLECompression::__compresschar(m_alpha, m_width * m_height, &alphaLength) : nullptr;
    freeOwned(m_pixels);
    freeOwned(m_alpha);
    m_pixels = pixels;
    m_packedSize = pixelLength;
    m_alpha = alpha;
    m_channelSize[3] = alpha ? alphaLength : 0;
    m_compression = COMPRESSION_RLE;
}

// ---- channel buffers ----

void CGraphicsObject::Split() {
    if (!m_pixels || m_bpp != 24 || m_compression != COMPRESSION_NONE) return;
    const size_t n = static_cast<size_t>(m_width) * m_height;
    freeOwned(m_red);
    freeOwned(m_green);
    freeOwned(m_blue);
    m_red = new char[n];
    m_green = new char[n];
    m_blue = new char[n];
    for (size_t i = 0; i < n; ++i) {
        m_blue[i] = m_pixels[i * 3];
        m_green[i] = m_pixels[i * 3 + 1];
        m_red[i] = m_pixels[i * 3 + 2];
    }
    for (int& s : m_channelSize) s = static_cast<int>(n);
    freeOwned(m_pixels);
}

void CGraphicsObject::JoinChannels() {
    const size_t n = static_cast<size_t>(m_width) * m_height;
    if (n == 0) return;
    const int before = m_bpp;
    char* pixels = new char[n * 3];
    for (size_t i = 0; i < n; ++i) {
        pixels[i * 3] = m_blue ? m_blue[i] : 0;
        pixels[i * 3 + 1] = m_green ? m_green[i] : 0;
        pixels[i * 3 + 2] = m_red ? m_red[i] : 0;
    }
    freeOwned(m_pixels);
    m_pixels = pixels;
    m_bpp = 24;
    m_dataSize = GetDataSize();
    freeOwned(m_red);
    freeOwned(m_green);
    freeOwned(m_blue);
    m_compression = COMPRESSION_NONE;
    Convert(before);
}

char* CGraphicsObject::Join2Channels() {
    if (!m_pixels || m_bpp != 24 || m_compression != COMPRESSION_NONE) return nullptr;
    const size_t n = static_cast<size_t>(m_width) * m_height;
    char* out = new char[n * 4];
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(out + i * 4, m_pixels + i * 3, 3);
        out[i * 4 + 3] = m_alpha ? m_alpha[i] : static_cast<char>(0xFF);
    }
    return out;
}

void CGraphicsObject::SplitOn2(char* pixels, int count) {
    Flush();
    if (!pixels || count <= 0) return;
    m_ownsBuffers = true;
    m_pixels = new char[static_cast<size_t>(count) * 3];
    m_alpha = new char[count];
    for (int i = 0; i < count; ++i) {
        std::memcpy(m_pixels + static_cast<size_t>(i) * 3, pixels + static_cast<size_t>(i) * 4, 3);
        m_alpha[i] = pixels[static_cast<size_t>(i) * 4 + 3];
    }
    m_dataSize = count * 3;
    m_channelSize[3] = count;
}

// ---- alpha merging ----

void CGraphicsObject::writeBackMerge(CGraphicsObject* mask) {
    const CXRect r = mask->m_mergeRect;
    // A backup taken on a larger object never writes past this one.
    if (mask->m_mergeBackup && m_alpha && r.IsProper() && r.left >= 0 && r.top >= 0 && r.right <= m_width &&
        r.bottom <= m_height) {
        const size_t row = static_cast<size_t>(r.right - r.left);
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(m_alpha + static_cast<size_t>(y) * m_width + r.left, mask->m_mergeBackup + row * (y - r.top), row);
        invalidateOnScreen(r + m_position);
    }
}

void CGraphicsObject::mergeAlpha(CXPoint at, CGraphicsObject* mask) {
    if (!mask || !m_alpha || m_compression != COMPRESSION_NONE) return;
    if (mask->m_mergeBackup) writeBackMerge(mask);
    delete[] mask->m_mergeBackup;
    mask->m_mergeBackup = nullptr;
    mask->m_mergeRect = CXRect();
    if (at.x >= m_width || at.y >= m_height || !mask->m_alpha || mask->m_compression != COMPRESSION_NONE) return;
    const CXRect r(std::max(at.x, 0), std::max(at.y, 0), std::min(addSat(at.x, mask->m_width), m_width),
                   std::min(addSat(at.y, mask->m_height), m_height));
    if (!r.IsProper()) return;
    mask->m_mergeBackup = copyRows(m_alpha, m_width, 1, r);
    mask->m_mergeRect = r;
    const int mx = std::max(-at.x, 0), my = std::max(-at.y, 0);
    const size_t row = static_cast<size_t>(r.right - r.left);
    for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(m_alpha + static_cast<size_t>(y) * m_width + r.left,
                    mask->m_alpha + static_cast<size_t>(my + y - r.top) * mask->m_width + mx, row);
    invalidateOnScreen(r + m_position);
}

void CGraphicsObject::mergeAlpha2(CXPoint at, CGraphicsObject* mask, bool reset) {
    if (!mask || !m_alpha || m_compression != COMPRESSION_NONE) return;
    if (reset) std::memset(m_alpha, 0xFF, static_cast<size_t>(m_width) * m_height);
    if (mask->m_alpha && mask->m_compression == COMPRESSION_NONE) {
        const CXRect box = mask->GetBoundingBox();
        const int bw = std::min(box.Width(), mask->m_width), bh = std::min(box.Height(), mask->m_height);
        for (int j = 0; j < bh; ++j) {
            const int ty = at.y + j;
            if (ty < 0 || ty >= m_height) continue;
            for (int i = 0; i < bw; ++i) {
                const int tx = at.x + i;
                if (tx < 0 || tx >= m_width) continue;
                const char a = mask->m_alpha[static_cast<size_t>(j) * mask->m_width + i];
                if (a) m_alpha[static_cast<size_t>(ty) * m_width + tx] = a;
            }
        }
    }
    invalidateOnScreen(GetBoundingBox());
}

void CGraphicsObject::restoreAlpha(CGraphicsObject* mask) {
    if (!mask || !mask->m_mergeBackup || m_compression != COMPRESSION_NONE) return;
    writeBackMerge(mask);
    delete[] mask->m_mergeBackup;
    mask->m_mergeBackup = nullptr;
    mask->m_mergeRect = CXRect();
}

// ---- displacement ----

void CGraphicsObject::displacementFilter(CXPoint* offsets, bool withAlpha, bool freeOld) {
    if (!offsets || !m_pixels || m_compression != COMPRESSION_NONE) return;
    const int ps = GetPixelSize();
    const int64_t n = static_cast<int64_t>(m_width) * m_height;
    const bool alpha = withAlpha && m_alpha;
    char* np = new char[n * ps];
    char* na = alpha ? new char[n] : nullptr;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const int64_t self = static_cast<int64_t>(y) * m_width + x;
            const CXPoint d = offsets[self];
            int64_t from = (static_cast<int64_t>(y) + d.y) * m_width + x + d.x;
            if (from < 0 || from >= n) from = self;
            std::memcpy(np + self * ps, m_pixels + from * ps, ps);
            if (na) na[self] = m_alpha[from];
        }
    }
    if (freeOld) {
        freeOwned(m_pixels);
        if (alpha) freeOwned(m_alpha);
    }
    m_pixels = np;
    if (alpha) m_alpha = na;
}

// ---- flood fill ----

CXRect CGraphicsObject::PrepareFloodFill(CXPoint seed, CColor c, char* target) {
    m_ffSpans.clear();
    m_ffCount = 0;
    const int w = m_width, h = m_height;
    if (!target || !m_pixels || m_compression != COMPRESSION_NONE || (m_bpp != 15 && m_bpp != 16) || w > 32767 ||
        h > 32767 || seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h)
        return CXRect();
    const uint16_t value = static_cast<uint16_t>(c.GetInBPP(m_bpp));
    const char* source = m_pixels;
    // The last column never fills.
    auto fillable = [&](int x, int y) {
        const size_t i = (static_cast<size_t>(y) * w + x) * 2;
        return x < w - 1 && byteorder::readLE16(source + i) != 0 && byteorder::readLE16(target + i) != value;
    };
    struct Task {
        int x, y, dir, parentLeft, parentRight;
    };
    std::vector<Task> stack{{seed.x, seed.y, 1, seed.x, seed.x}};
    // A fill starts at the first fillable pixel of every run within [from, to] of row y.
    auto pushRuns = [&](int from, int to, int y, int dir, int l, int r) {
        bool inRun = false;
        for (int x = from; x <= to; ++x) {
            const bool f = fillable(x, y);
            if (f && !inRun) stack.push_back({x, y, dir, l, r});
            inRun = f;
        }
    };
    while (!stack.empty()) {
        const Task t = stack.back();
        stack.pop_back();
        if (!fillable(t.x, t.y)) continue;
        int l = t.x, r = t.x;
        while (l > 0 && fillable(l - 1, t.y)) --l;
        while (fillable(r + 1, t.y)) ++r;
        m_ffSpans.push_back({static_cast<int16_t>(l), static_cast<int16_t>(t.y), static_cast<int16_t>(r - l + 1)});
        for (int x = l; x <= r; ++x) byteorder::writeLE16(target + (static_cast<size_t>(t.y) * w + x) * 2, value);
        const int back = t.y - t.dir;
        if (back >= 0 && back < h) {
            pushRuns(l, t.parentLeft - 1, back, -t.dir, l, r);
            pushRuns(t.parentRight, r, back, -t.dir, l, r);
        }
        const int ahead = t.y + t.dir;
        if (ahead >= 0 && ahead < h) pushRuns(l, r, ahead, t.dir, l, r);
    }
    m_ffCount = static_cast<int>(m_ffSpans.size());
    if (m_ffSpans.empty()) return CXRect();
    CXRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (const _floodfill& s : m_ffSpans) {
        box.left = std::min<int>(box.left, s.left);
        box.top = std::min<int>(box.top, s.row);
        box.right = std::max<int>(box.right, s.left + s.length);
        box.bottom = std::max<int>(box.bottom, s.row);
    }
    return box;
}

void CGraphicsObject::FloodFill(CColor c, char* target) {
    if (!target || (m_bpp != 15 && m_bpp != 16)) return;
    const uint16_t value = static_cast<uint16_t>(c.GetInBPP(m_bpp));
    for (const _floodfill& s : m_ffSpans) {
        if (s.row < 0 || s.row >= m_height || s.left < 0 || s.left + s.length > m_width) continue;
        for (int x = s.left; x < s.left + s.length; ++x)
            byteorder::writeLE16(target + (static_cast<size_t>(s.row) * m_width + x) * 2, value);
    }
}

// ---- indexed blend ----

void CGraphicsObject::Blend(char* source, int* table, int offset, int level) {
    CGraphicsObject* dest = m_destiny;
    if (!source || !table || !dest) return;
    char* out = dest->GetDataPtr();
    if (!out) return;
    const int dw = dest->Size().cx;
    const int64_t destBytes = static_cast<int64_t>(dw) * dest->Size().cy * 2;
    const auto* area = reinterpret_cast<const uint8_t*>(table) + static_cast<size_t>(level & 0xFC) * 1024;
    const int rows = (m_height - 35) / 2;
    const int pairs = m_width / 2;
    for (int y = 0; y < rows; ++y) {
        const int64_t dstRow = 70LL * dw + offset + static_cast<int64_t>(y) * 4 * dw;
        const int64_t srcRow = 210LL * dw + static_cast<int64_t>(y) * 12 * dw;
        if (dstRow < 0 || dstRow + pairs * 4LL > destBytes) return;
        for (int p = 0; p < pairs; ++p) {
            uint16_t px[2];
            for (int k = 0; k < 2; ++k) {
                uint16_t idx[3];
                std::memcpy(idx, source + srcRow + (p * 2 + k) * 6, 6);
                uint16_t word;
                std::memcpy(&word, area + idx[1], 2);
                px[k] = static_cast<uint16_t>(area[idx[0]] << 8 | area[idx[2]] | word);
            }
            std::memcpy(out + dstRow + p * 4, px, 4);
        }
    }
}
