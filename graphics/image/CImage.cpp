#include "graphics/image/CImage.h"

#include <cstring>
#include <memory>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "foundation/CLZWCompression.h"
#include "foundation/CRLECompression.h"
#include "graphics/image/JPEG.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/FileSystem.h"
#include "script/CMElement.h"
#include "graphics/core/CGraphicsWindowServices.h"

namespace {

bool sideOk(int64_t v) { return v >= 0 && v <= CImage::kMaxSide; }

// Reads exactly count bytes into a new[] buffer; null when the file has fewer.
char* readBytes(CFile* file, int64_t count) {
    std::unique_ptr<char[]> buffer(new char[count > 0 ? static_cast<size_t>(count) : 1]);
    if (count > 0 && file->Read(buffer.get(), static_cast<int>(count)) != count) return nullptr;
    return buffer.release();
}

// Whether a run-length plane decodes to exactly the size.
bool rleFits(char* packed, int packedSize, int64_t size, bool words) {
    char* plain = words ? CRLECompression::__decompress(packed, packedSize, static_cast<int>(size))
                        : CRLECompression::__decompresschar(packed, packedSize, static_cast<int>(size));
    delete[] plain;
    return plain != nullptr;
}

}  // namespace

CImage::CImage(CWindow* window) : CGraphicsObject(window), CPlayable(window) {}

CImage::CImage(CWindow* window, CXString name) : CGraphicsObject(window), CPlayable(window) {
    setFileName(name);
    setErrorCode(Load(name, true));
}

CImage::CImage(CWindow* window, CGraphicsObject* source)
    : CGraphicsObject(source ? CGraphicsObject(*source) : CGraphicsObject(window)), CPlayable(window) {
    CGraphicsObject::m_window = window;
    if (source) {
        // The holder of the pixels drawn: the object itself, or an animation's frame.
        CGraphicsObject* holder = source->getDrawn() ? source->getDrawn() : source;
        holder->GetDataPtr();  // a linked image takes its current buffers first
        takeCopiesOfBuffers(*holder);
    }
    setFileName(CXString());
}

CImage::CImage(CImage& other) : CImage(other.CGraphicsObject::getWindow(), static_cast<CGraphicsObject*>(&other)) {}

CImage::CImage(CWindow* window, CMElement* element) : CGraphicsObject(window), CPlayable(window) {
    if (!element) return;
    setFilename(element->getPropertyValue("FILENAME"));
    const CXString preload = element->getPropertyValue("PRELOAD");
    if (!preload.IsString() || element->getPropertyBoolValue("PRELOAD")) setErrorCode(Load(CPlayable::getFileName(), true));
    if (element->getPropertyBoolValue("VISIBLE"))
        show();
    else
        hide();
    toRelease(element->getPropertyBoolValue("RELEASEAFTERUSE"));
}

CImage::~CImage() = default;

CXObject* CImage::clone() { return new CImage(*this); }

int CImage::screenDepth(CWindow* window) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    CRefreshScreen* screen = services ? services->GetRefreshScreenInterface() : nullptr;
    return screen && screen->GetBpp() == 15 ? 15 : 16;
}

bool CImage::isImageFileName(const CXString& name) {
    return name.getLength() >= 4 && name.Right(name.getLength() - 4).equalsIgnoreCase(".IMG");
}

int CImage::fail(int code) {
    CGraphicsObject::Flush();
    m_width = m_height = m_pitch = 0;
    m_dataSize = m_packedSize = 0;
    for (int& s : m_channelSize) s = 0;
    m_compression = COMPRESSION_NONE;
    release();
    setErrorCode(code);
    return code;
}

void CImage::flush() {
    CGraphicsObject::Flush();
    release();
}

int CImage::load(CXString path) {
    if (!path.IsString()) return fail(CFile::kErrorNotFound);
    JPEG jpeg(path.c_str());
    if (!jpeg.isOk()) return fail(platform::exists(path.c_str()) ? kErrBadFile : CFile::kErrorNotFound);
    const int bpp = screenDepth(CGraphicsObject::m_window);
    char* pixels = jpeg.decompress(bpp);
    if (!pixels) return fail(kErrBadFile);
    CGraphicsObject::Flush();
    m_ownsBuffers = true;
    m_pixels = pixels;
    m_width = m_pitch = jpeg.getWidth();
    m_height = jpeg.getHeight();
    m_bpp = bpp;
    m_dataSize = GetDataSize();
    m_packedSize = 0;
    for (int& s : m_channelSize) s = 0;
    m_compression = COMPRESSION_NONE;
    setErrorCode(0);
    return 0;
}

int CImage::Load(CXString name, bool convert) {
    Invalidate();
    flush();
    setErrorCode(0);
    if (!name.IsString()) return fail(CFile::kErrorNotFound);
    if (!isImageFileName(name)) {
        const int result = load(CFile::getPath(CGraphicsObject::m_window, name));
        if (result == 0) {
            // Marked loaded, so that showing it again does not decode it again.
            CPlayable::load();
            Invalidate();
        }
        return result;
    }
    CFile file;
    if (file.Open(CGraphicsObject::m_window, name, CFile::kReadBinary) != 0) return fail(CFile::kErrorNotFound);
    int result = Load(&file);
    const int closed = file.Close();
    if (result == 0) result = closed;
    if (result != 0) return fail(result);
    setErrorCode(0);
    Visible(true);
    setFilename(name);
    CPlayable::load();
    Invalidate();
    setFileName(name);
    if (convert) CGraphicsObject::Load(name);
    return LastError();
}

int CImage::Load(CFile* file) {
    if (!file) return fail(kErrBadFile);
    CGraphicsObject::Flush();
    m_ownsBuffers = true;
    setErrorCode(0);
    const int64_t length = file->Length();
    char head[kPikHeaderSize];
    if (length < kPikHeaderSize || file->Read(head, kPikHeaderSize) != kPikHeaderSize) return fail(kErrBadFile);
    if (std::memcmp(head, "NVI", 4) == 0) {
        file->Seek(-kPikHeaderSize, 1);
        return Load3(file);
    }

    int64_t width = 0;
    int64_t height = 0;
    int depth = m_bpp;
    int code = m_compression;
    int64_t alphaCount = 0;
    int64_t pixelCount = 0;
    int64_t jpegLength = 0;
    if (std::memcmp(head, "PIK", 4) == 0) {
        width = byteorder::readLEInt32(head + 4);
        height = byteorder::readLEInt32(head + 8);
        depth = byteorder::readLEInt32(head + 12);
        code = byteorder::readLEInt32(head + 24);
        alphaCount = byteorder::readLEInt32(head + 28);
        if (code == COMPRESSION_JPEG) jpegLength = byteorder::readLEInt32(head + 16);
        CGraphicsObject::m_position = CXPoint(byteorder::readLEInt32(head + 32), byteorder::readLEInt32(head + 36));
        pixelCount = length - kPikHeaderSize - alphaCount;
    } else {
        // The older layout: its alpha plane is the file's last width x height bytes.
        char old[12];
        if (length < kOldHeaderEnd) return fail(kErrBadFile);
        file->Seek(80, 0);
        if (file->Tell() != 80 || file->Read(old, 12) != 12) return fail(kErrBadFile);
        width = byteorder::readLEInt16(old);
        height = byteorder::readLEInt16(old + 2);
        const int flags = byteorder::readLEInt16(old + 10);
        if (const int d = GetRealBpp(flags & 0xF); (flags & 0xF) == 2 || (flags & 0xF) == 4 || (flags & 0xF) == 8)
            depth = d;
        if (flags & 0x400) alphaCount = width * height;
        pixelCount = length - kOldHeaderEnd - alphaCount;
    }
    if (depth == 2 || depth == 4 || depth == 8) depth = GetRealBpp(depth);
    if (!sideOk(width) || !sideOk(height) || alphaCount < 0 || pixelCount < 0) return fail(kErrBadFile);
    const int64_t rawSize = width * height * __get_pixel_size(depth);
    if (code == COMPRESSION_NONE && pixelCount != rawSize) code = COMPRESSION_LZO;

    m_width = m_pitch = static_cast<int32_t>(width);
    m_height = static_cast<int32_t>(height);
    m_bpp = depth;
    m_compression = static_cast<_compression>(code);
    m_pixels = readBytes(file, pixelCount);
    if (!m_pixels) return fail(kErrBadFile);
    m_packedSize = static_cast<int32_t>(code == COMPRESSION_JPEG ? jpegLength : pixelCount);
    if (code == COMPRESSION_JPEG && (jpegLength <= 0 || jpegLength > pixelCount)) return fail(kErrBadFile);
    if (alphaCount > 0) {
        m_alpha = readBytes(file, alphaCount);
        if (!m_alpha) return fail(kErrBadFile);
        m_channelSize[3] = static_cast<int32_t>(alphaCount);
    }
    return finishLoad(rawSize);
}

int CImage::finishLoad(int64_t rawSize) {
    const int64_t plane = static_cast<int64_t>(m_width) * m_height;
    switch (m_compression) {
    case COMPRESSION_NONE:
        if (m_packedSize != rawSize || (m_alpha && m_channelSize[3] != plane)) return fail(kErrBadFile);
        m_packedSize = 0;
        m_dataSize = static_cast<int32_t>(rawSize);
        return 0;
    case COMPRESSION_LZO:
    case COMPRESSION_LZO_RLE:
    case COMPRESSION_JPEG:
        DeCompress();
        if (LastError() != 0) return fail(LastError());
        if (m_compression == COMPRESSION_NONE) return 0;
        [[fallthrough]];
    case COMPRESSION_RLE:
        // Held packed: both planes must unpack to exactly their sizes.
        if (!rleFits(m_pixels, m_packedSize, rawSize, true) ||
            (m_alpha && !rleFits(m_alpha, m_channelSize[3], plane, false)))
            return fail(kErrBadFile);
        m_dataSize = static_cast<int32_t>(rawSize);
        return 0;
    default: return fail(kErrBadFile);
    }
}

int CImage::Load3(CFile* file) {
    if (!file) return fail(kErrBadFile);
    CGraphicsObject::Flush();
    m_ownsBuffers = true;
    setErrorCode(0);
    const int64_t length = file->Length();
    const int64_t start = file->Tell();
    char head[kNviHeaderSize];
    if (file->Read(head, kNviHeaderSize) != kNviHeaderSize) return fail(kErrBadFile);
    const int64_t width = byteorder::readLEInt16(head + 4);
    const int64_t height = byteorder::readLEInt16(head + 6);
    const int depth = static_cast<uint8_t>(head[8]);
    const int64_t pixelCount = byteorder::readLEInt32(head + 9);
    const int64_t alphaCount = byteorder::readLEInt32(head + 13);
    const int code = byteorder::readLEInt32(head + 21);
    if (!sideOk(width) || !sideOk(height) || pixelCount < 0 || alphaCount < 0 ||
        start + kNviHeaderSize + pixelCount + alphaCount > length)
        return fail(kErrBadFile);
    if (code != COMPRESSION_NONE && code != COMPRESSION_LZO && code != COMPRESSION_RLE) return fail(kErrBadFile);
    m_width = m_pitch = static_cast<int32_t>(width);
    m_height = static_cast<int32_t>(height);
    m_bpp = depth;
    CGraphicsObject::m_position = CXPoint(byteorder::readLEInt16(head + 17), byteorder::readLEInt16(head + 19));
    m_compression = static_cast<_compression>(code);
    m_pixels = readBytes(file, pixelCount);
    if (!m_pixels) return fail(kErrBadFile);
    m_packedSize = static_cast<int32_t>(pixelCount);
    if (alphaCount > 0) {
        m_alpha = readBytes(file, alphaCount);
        if (!m_alpha) return fail(kErrBadFile);
        m_channelSize[3] = static_cast<int32_t>(alphaCount);
    }
    const int64_t rawSize = width * height * __get_pixel_size(depth);
    if (code != COMPRESSION_LZO) return finishLoad(rawSize);

    // LZW planes, each announcing its unpacked size first.
    auto unpack = [](char* block, int size, int64_t expected) -> char* {
        if (size < 12 || static_cast<int64_t>(byteorder::readLE32(block)) != expected) return nullptr;
        CLZWCompression coder(block, size);
        char* out = coder.decompress();
        if (out && coder.GetSize() != expected) {
            delete[] out;
            return nullptr;
        }
        return out;
    };
    char* pixels = unpack(m_pixels, m_packedSize, rawSize);
    char* alpha = m_alpha ? unpack(m_alpha, m_channelSize[3], width * height) : nullptr;
    if (!pixels || (m_alpha && !alpha)) {
        delete[] pixels;
        delete[] alpha;
        return fail(kErrBadFile);
    }
    freeOwned(m_pixels);
    m_pixels = pixels;
    if (m_alpha) {
        freeOwned(m_alpha);
        m_alpha = alpha;
        m_channelSize[3] = static_cast<int32_t>(width * height);
    }
    m_packedSize = 0;
    m_dataSize = static_cast<int32_t>(rawSize);
    m_compression = COMPRESSION_NONE;
    return 0;
}

void CImage::redraw(CGraphicsObject* destination) {
    if (m_compression == COMPRESSION_RLE && m_ownsBuffers) unpack();
    CGraphicsObject::redraw(destination);
}

void CImage::show() {
    if (!isLoaded() && CPlayable::getFileName().IsString()) Load(CPlayable::getFileName(), true);
    setVisibility(true);
}

void CImage::hide() {
    if (releaseAfterUse()) flush();
    setVisibility(false);
}

void CImage::setVisibility(bool visible) {
    CPlayable::setVisibility(visible);
    Visible(visible);
}

void CImage::setPosition(CXPoint p) { CGraphicsObject::SetPosition(p.x, p.y); }
void CImage::setPosition(int x, int y) { CGraphicsObject::SetPosition(x, y); }
