#include "graphics/image/CPSD.h"

#include <cstring>
#include <memory>

#include "foundation/ByteReader.h"
#include "foundation/CFile.h"
#include "foundation/CRLECompression2.h"
#include "graphics/image/CImage.h"
#include "graphics/image/JPEG.h"

namespace {

// One channel's w x h bytes; null for a channel that is skipped (another
// compression, or an empty layer). Sets the reader's failure for bad data.
char* readChannel(ByteReader& in, int width, int height, bool* bad) {
    const uint16_t compression = in.be16();
    const size_t plane = static_cast<size_t>(width) * height;
    if (!in.ok()) return nullptr;
    if (compression == 0) {
        if (plane == 0 || !in.has(plane)) return nullptr;
        char* out = new char[plane];
        std::memcpy(out, in.here(), plane);
        in.skip(plane);
        return out;
    }
    if (compression != 1) return nullptr;
    if (!in.has(static_cast<uint64_t>(height) * 2)) return nullptr;
    std::vector<uint16_t> counts(static_cast<size_t>(height));
    int64_t total = 0;
    for (uint16_t& n : counts) {
        n = in.be16();
        total += n;
    }
    if (!in.has(static_cast<uint64_t>(total))) return nullptr;
    // PackBits rows may hold the no-op control byte -128, which the line decoder
    // reads as a run: the rows are handed over without it.
    std::vector<char> rows;
    rows.reserve(static_cast<size_t>(total));
    std::unique_ptr<short[]> lines(new short[height > 0 ? height : 1]);
    const uint8_t* row = in.here();
    for (int y = 0; y < height; ++y) {
        const size_t end = counts[static_cast<size_t>(y)];
        const size_t before = rows.size();
        for (size_t i = 0; i < end;) {
            const int n = static_cast<int8_t>(row[i]);
            const size_t block = n == -128 ? 1 : n < 0 ? 2 : static_cast<size_t>(n) + 2;
            const size_t take = block < end - i ? block : end - i;
            if (n != -128) rows.insert(rows.end(), row + i, row + i + take);
            i += take;
        }
        row += end;
        // PackBits never makes a row of at most kMaxSide bytes this long.
        if (rows.size() - before > 0x7FFF) {
            *bad = true;
            return nullptr;
        }
        lines[y] = static_cast<short>(rows.size() - before);
    }
    in.skip(static_cast<uint64_t>(total));
    if (plane == 0) return nullptr;
    CRLECompression2 coder(CXSize(width, height), lines.release(), rows.data(), static_cast<int>(rows.size()));
    char* out = coder.Decompress();
    if (!out) *bad = true;
    return out;
}

// Joined 24-bit pixels (blue, green, red) to 16 bits at the depth.
void toDepth(CGraphicsObject* g, int bpp) {
    const size_t n = static_cast<size_t>(g->Width()) * g->Height();
    const auto* bgr = reinterpret_cast<const uint8_t*>(g->GetDataPtr());
    if (!bgr || g->GetBpp() != 24) return;
    char* out = new char[n > 0 ? n * 2 : 1];
    for (size_t i = 0; i < n; ++i) {
        const uint16_t v = JPEG::pack(bgr[i * 3 + 2], bgr[i * 3 + 1], bgr[i * 3], bpp);
        std::memcpy(out + i * 2, &v, 2);
    }
    delete[] g->GetDataPtr();
    g->SetDataPtr(out);
    g->SetBpp(bpp);
}

}  // namespace

CPSD::CPSD(CWindow* window) : CGraphicsObject(window) {}

CPSD::CPSD(CWindow* window, CXString name) : CGraphicsObject(window) { Load(name); }

CPSD::CPSD(CWindow* window, CGraphicsObject*) : CGraphicsObject(window) {}

CPSD::CPSD(CPSD& other) : CGraphicsObject(other.getWindow()) {}

CPSD::~CPSD() { releaseLayers(); }

CXObject* CPSD::clone() { return new CPSD(*this); }

void CPSD::releaseLayers() {
    for (CPSDLayer* layer : m_layers) {
        delete layer->object;
        delete layer;
    }
    m_layers.clear();
    m_selected = 0;
    m_selectedObject = nullptr;
}

int CPSD::fail(int code) {
    releaseLayers();
    setErrorCode(code);
    return code;
}

int CPSD::Load(CXString name) {
    Flush();
    releaseLayers();
    setErrorCode(0);
    CFile file;
    if (file.Open(m_window, name, CFile::kReadBinary) != 0) return fail(CFile::kErrorNotFound);
    const int result = Load(&file);
    file.Close();
    if (result != 0) return result;
    Visible(true);
    return CGraphicsObject::Load(name);
}

int CPSD::Load(CFile* file) {
    releaseLayers();
    setErrorCode(0);
    if (!file) return fail(kErrBadFile);
    const int length = file->Length() - file->Tell();
    if (length < 26) return fail(kErrBadFile);
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (file->Read(bytes.data(), length) != length) return fail(kErrBadFile);
    ByteReader in(bytes.data(), bytes.size());

    // File header.
    if (!in.startsWith("8BPS")) return fail(kErrBadFile);
    in.skip(4);
    const uint16_t version = in.be16();
    in.skip(6 + 2 + 4 + 4);
    const uint16_t depth = in.be16();
    const uint16_t mode = in.be16();
    if (!in.ok() || version != 1 || depth != 8 || mode != 3) return fail(kErrBadFile);
    // Colour-mode data and image resources.
    in.skip(in.be32());
    in.skip(in.be32());
    // Layer and mask information.
    const uint32_t layerAndMask = in.be32();
    if (!in.ok()) return fail(kErrBadFile);
    int count = 0;
    if (layerAndMask > 0) {
        const uint32_t layerInfo = in.be32();
        if (layerInfo > 0) count = static_cast<int16_t>(in.be16());
        if (count < 0) count = -count;
    }
    if (!in.ok()) return fail(kErrBadFile);

    // Layer records.
    int64_t totalPixels = 0;
    for (int i = 0; i < count; ++i) {
        auto* layer = new CPSDLayer;
        m_layers.push_back(layer);
        const int32_t top = static_cast<int32_t>(in.be32());
        const int32_t left = static_cast<int32_t>(in.be32());
        const int32_t bottom = static_cast<int32_t>(in.be32());
        const int32_t right = static_cast<int32_t>(in.be32());
        const int64_t width = static_cast<int64_t>(right) - left;
        const int64_t height = static_cast<int64_t>(bottom) - top;
        if (!in.ok() || width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return fail(kErrBadFile);
        totalPixels += width * height;
        if (totalPixels > kMaxTotalPixels) return fail(kErrBadFile);
        layer->rect = CXRect(left, top, right, bottom);
        layer->channelCount = in.be16();
        if (!in.has(static_cast<uint64_t>(layer->channelCount) * 6)) return fail(kErrBadFile);
        layer->channels.resize(static_cast<size_t>(layer->channelCount));
        for (CPSDLayer::Channel& c : layer->channels) {
            c.id = static_cast<int16_t>(in.be16());
            c.length = in.be32();
        }
        // Blend mode, opacity, clipping, flags, filler, extra length; then the mask
        // data and the blending ranges, each skipped by its length.
        in.skip(16);
        in.skip(in.be32());
        in.skip(in.be32());
        const uint8_t nameLength = in.u8();
        if (!in.has(nameLength)) return fail(kErrBadFile);
        layer->name = CXString(reinterpret_cast<const char*>(in.here()), nameLength);
        in.skip(nameLength);
        in.skip((4 - (1 + nameLength) % 4) % 4);
        while (in.startsWith("8BIM")) {
            in.skip(8);
            in.skip(in.be32());
        }
        if (!in.ok()) return fail(kErrBadFile);
    }

    // Channel data, layer by layer.
    const int bpp = CImage::screenDepth(m_window);
    for (CPSDLayer* layer : m_layers) {
        const int width = layer->rect.Width();
        const int height = layer->rect.Height();
        auto* g = new CGraphicsObject(m_window, CXSize(width, height), 24);
        layer->object = g;
        g->setFileName(layer->name);
        g->SetPosition(layer->rect.left, layer->rect.top);
        for (const CPSDLayer::Channel& c : layer->channels) {
            const size_t start = in.at();
            bool bad = false;
            char* plane = readChannel(in, width, height, &bad);
            if (bad || !in.ok() || c.length < 2 || !in.seek(static_cast<uint64_t>(start) + c.length)) {
                delete[] plane;
                return fail(kErrBadFile);
            }
            if (!plane) continue;
            char*& target = c.id == -1  ? g->GetChannelAlpha()
                            : c.id == 0 ? g->GetChannelRed()
                            : c.id == 1 ? g->GetChannelGreen()
                            : c.id == 2 ? g->GetChannelBlue()
                                        : plane;
            if (&target == &plane) {
                delete[] plane;
                continue;
            }
            delete[] target;
            target = plane;
        }
        if (g->AlphaChannel()) g->GetChannelSize(3) = width * height;
        g->JoinChannels();
        toDepth(g, bpp);
    }
    if (!m_layers.empty()) SelectLayer(0);
    return LastError();
}

CGraphicsObject* CPSD::getLayer(int index) const {
    return index >= 0 && index < getLayerCount() ? m_layers[static_cast<size_t>(index)]->object : nullptr;
}

void CPSD::SelectLayer(int index) {
    if (index < 0 || index >= getLayerCount()) return;
    m_selected = index;
    m_selectedObject = m_layers[static_cast<size_t>(index)]->object;
}

void CPSD::SelectLayer(CXString name) {
    for (int i = 0; i < getLayerCount(); ++i) {
        if (m_layers[static_cast<size_t>(i)]->name.equals(name)) {
            SelectLayer(i);
            return;
        }
    }
}

CXString CPSD::GetLayerName(int index) {
    if (index == -1) index = m_selected;
    if (index < 0 || index >= getLayerCount()) return CXString();
    return m_layers[static_cast<size_t>(index)]->name;
}

CXRect CPSD::GetLayerRect() {
    if (m_selected < 0 || m_selected >= getLayerCount()) return CXRect();
    return m_layers[static_cast<size_t>(m_selected)]->rect;
}

void CPSD::SetPosition(CXPoint p) {
    CGraphicsObject::SetPosition(p);
    if (!m_selectedObject) return;
    m_selectedObject->SetPosition(p);
    CXRect& r = m_layers[static_cast<size_t>(m_selected)]->rect;
    const int width = r.Width();
    const int height = r.Height();
    if (p.x >= 0) {
        r.left = p.x;
        r.right = addSat(p.x, width);
    }
    if (p.y >= 0) {
        r.top = p.y;
        r.bottom = addSat(p.y, height);
    }
}

void CPSD::redraw(CGraphicsObject* destination) {
    if (m_selectedObject) m_selectedObject->redraw(destination);
}

CXRect CPSD::getRect() { return m_selectedObject ? m_selectedObject->getRect() : CGraphicsObject::getRect(); }
