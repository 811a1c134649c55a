#include "graphics/play/CFrame.h"

#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"

namespace {

int64_t bytesLeft(CFile* file) {
    const int64_t left = static_cast<int64_t>(file->Length()) - file->Tell();
    return left > 0 ? left : 0;
}

bool readExactly(CFile* file, void* buffer, int size) { return file->Read(buffer, size) == size; }

bool validSide(int v) { return v >= 0 && v <= CFrame::kMaxSide; }

}  // namespace

CFrame::CFrame(CWindow* window) : CGraphicsObject(window) {
    m_autoClip = true;
    m_ownsBuffers = true;
}

CFrame::CFrame(CWindow* window, CGraphicsObject* object) : CGraphicsObject(window, *object) {
    m_framePosition = object->GetPosition();
    m_autoClip = true;
}

CFrame::CFrame(CFrame& other) : CGraphicsObject(other.getWindow()) { m_autoClip = true; }

CFrame::~CFrame() = default;

void CFrame::SetPosition(CXPoint p) {
    m_framePosition = p;
    SetPosition(p.x, p.y);
}

void CFrame::SetPosition(int x, int y) {
    m_posOffset = CXPoint(0, 0);
    m_framePosition = CXPoint(x, y);
    CGraphicsObject::SetPosition(x, y);
}

void CFrame::Move(int dx, int dy) {
    CGraphicsObject::Move(dx, dy);
    m_framePosition = m_framePosition + CXPoint(dx, dy);
    m_posOffset = m_posOffset + CXPoint(dx, dy);
}

void CFrame::releaseUser() {
    if (m_users > 0) --m_users;
    if (m_users == 0) bringBackCompressed();
}

void CFrame::SetPosOffset(int x, int y) { m_posOffset = CXPoint(x, y); }

CXPoint CFrame::GetPosition() { return m_framePosition; }

void CFrame::redraw(CGraphicsObject* destination) {
    if (m_compression == COMPRESSION_LZO || m_compression == COMPRESSION_LZO_RLE) DeCompress();
    // A run-length frame that does not unpack to exactly its size stays packed
    // and the base draws nothing.
    if (m_compression == COMPRESSION_RLE) DeCompressRLE2();
    CGraphicsObject::redraw(destination);
}

int64_t CFrame::plainDataSize() const {
    if (m_bpp != 15 && m_bpp != 16 && m_bpp != 24) return -1;
    return static_cast<int64_t>(m_width) * m_height * (m_bpp == 24 ? 3 : 2);
}

bool CFrame::hasPlainSizes() const {
    const int64_t pixels = static_cast<int64_t>(m_width) * m_height;
    if (plainDataSize() != m_dataSize) return false;
    if (pixels > 0 && !m_pixels) return false;
    return !m_alpha || m_channelSize[3] == pixels;
}

char* CFrame::readBlock(CFile* file, int64_t size) {
    if (size < 0 || size > bytesLeft(file) || size > INT32_MAX) return nullptr;
    char* block = new char[size > 0 ? size : 1];
    if (size > 0 && !readExactly(file, block, static_cast<int>(size))) {
        delete[] block;
        return nullptr;
    }
    return block;
}

int CFrame::LoadHeader(CFile* file, int version) {
    m_version = version;
    if (version == 1) {
        uint8_t h[20];
        if (!readExactly(file, h, 20)) return 1;
        const int32_t dataSize = byteorder::readLEInt32(h), alphaSize = byteorder::readLEInt32(h + 4);
        const int w = byteorder::readLEInt16(h + 8);
        const int x = byteorder::readLEInt16(h + 10);
        const int hh = byteorder::readLEInt16(h + 12);
        const int y = byteorder::readLEInt16(h + 14);
        const int bpp = GetRealBpp(byteorder::readLEInt16(h + 18));
        if (!validSide(w) || !validSide(hh) || dataSize < 0 || alphaSize < 0) return 1;
        m_width = m_pitch = w;
        m_height = hh;
        if (bpp == 15 || bpp == 16 || bpp == 24) m_bpp = bpp;
        m_dataSize = m_packedSize = dataSize;
        m_channelCount = 4;
        m_channelSize[0] = m_channelSize[1] = m_channelSize[2] = 0;
        m_channelSize[3] = alphaSize;
        SetPosition(x, y);
        return 0;
    }
    if (version != 2 && version != 3) return 0;
    uint8_t h[32];
    if (!readExactly(file, h, 32)) return 1;
    const int w = byteorder::readLEInt16(h);
    const int x = byteorder::readLEInt16(h + 2);
    const int hh = byteorder::readLEInt16(h + 4);
    const int y = byteorder::readLEInt16(h + 6);
    const int bpp = GetRealBpp(byteorder::readLEInt16(h + 10));
    const int32_t k = byteorder::readLEInt32(h + 12);
    if (!validSide(w) || !validSide(hh) || k < 0 || k > 4) return 1;
    int32_t sizes[4] = {0, 0, 0, 0};
    for (int i = 0; i < k; ++i) {
        sizes[i] = byteorder::readLEInt32(h + 16 + 4 * i);
        if (sizes[i] < 0) return 1;
    }
    m_width = m_pitch = w;
    m_height = hh;
    if (bpp == 15 || bpp == 16 || bpp == 24) m_bpp = bpp;
    m_channelCount = k;
    std::memcpy(m_channelSize, sizes, sizeof sizes);
    if (m_compression == COMPRESSION_LZO) m_dataSize = m_packedSize = sizes[0];
    SetPosition(x, y);
    return 0;
}

int CFrame::Load(CFile* file) {
    int64_t size;
    switch (m_version) {
    case 1: size = m_dataSize; break;
    case 2: size = m_channelSize[0]; break;
    case 3: size = m_dataSize; break;
    default: return 0;
    }
    if (!readPixelsAndAlpha(file, size)) return 1;
    m_dataSize = m_packedSize = static_cast<int32_t>(size);
    if (m_version == 2) m_compression = COMPRESSION_OLD;
    if (m_version == 3) m_compression = COMPRESSION_LZO;
    return 0;
}

int CFrame::readNewHeader(CFile* file, int headerSize, int maxChannels) {
    uint8_t h[kHeaderSize52];
    if (!readExactly(file, h, headerSize)) return 1;
    const int w = byteorder::readLEInt16(h);
    const int hh = byteorder::readLEInt16(h + 2);
    const int x = byteorder::readLEInt16(h + 4);
    const int y = byteorder::readLEInt16(h + 6);
    const int code = byteorder::readLEInt16(h + 8);
    const int32_t dataSize = byteorder::readLEInt32(h + 10);
    const int k = byteorder::readLEInt16(h + 14);
    if (!validSide(w) || !validSide(hh) || code < COMPRESSION_NONE || code > COMPRESSION_RLE || dataSize < 0 ||
        k < 0 || k > maxChannels)
        return 1;
    int32_t sizes[4] = {0, 0, 0, 0};
    for (int i = 0; i < k; ++i) {
        const int32_t s = byteorder::readLEInt32(h + 16 + 4 * i);
        if (s < 0) return 1;
        if (i < 4) sizes[i] = s;
    }
    m_width = m_pitch = w;
    m_height = hh;
    m_compression = static_cast<_compression>(code);
    m_dataSize = m_packedSize = dataSize;
    m_channelCount = k;
    std::memcpy(m_channelSize, sizes, sizeof sizes);
    SetPosition(x, y);
    return 0;
}

int CFrame::LoadHeaderNew(CFile* file) { return readNewHeader(file, kHeaderSize32, 4); }

int CFrame::LoadHeaderNew2(CFile* file) { return readNewHeader(file, kHeaderSize52, 9); }

int CFrame::LoadNew(CFile* file) { return readPixelsAndAlpha(file, m_dataSize) ? 0 : 1; }

bool CFrame::readPixelsAndAlpha(CFile* file, int64_t size) {
    char* pixels = readBlock(file, size);
    if (!pixels) return false;
    char* alpha = nullptr;
    if (m_channelSize[3] > 0) {
        alpha = readBlock(file, m_channelSize[3]);
        if (!alpha) {
            delete[] pixels;
            return false;
        }
    }
    freeOwned(m_pixels);
    freeOwned(m_alpha);
    m_ownsBuffers = true;
    m_pixels = pixels;
    m_alpha = alpha;
    return true;
}

bool CFrame::SaveHeader(CFile* file, int version) {
    m_version = version;
    if (version == 1) {
        uint8_t h[20] = {};
        byteorder::writeLE32(h, static_cast<uint32_t>(__get_data_size(m_width, m_height, m_bpp)));
        byteorder::writeLE32(h + 4, static_cast<uint32_t>(m_width * m_height));
        byteorder::writeLE16(h + 8, static_cast<uint16_t>(m_width));
        byteorder::writeLE16(h + 10, static_cast<uint16_t>(m_framePosition.x));
        byteorder::writeLE16(h + 12, static_cast<uint16_t>(m_height));
        byteorder::writeLE16(h + 14, static_cast<uint16_t>(m_framePosition.y));
        byteorder::writeLE16(h + 18, static_cast<uint16_t>(GetFlagBpp(m_bpp)));
        return file->Write(h, 20) == 20;
    }
    if (version != 2 && version != 3) return true;
    uint8_t h[32] = {};
    byteorder::writeLE16(h, static_cast<uint16_t>(m_width));
    byteorder::writeLE16(h + 2, static_cast<uint16_t>(m_framePosition.x));
    byteorder::writeLE16(h + 4, static_cast<uint16_t>(m_height));
    byteorder::writeLE16(h + 6, static_cast<uint16_t>(m_framePosition.y));
    byteorder::writeLE16(h + 10, static_cast<uint16_t>(GetFlagBpp(m_bpp)));
    byteorder::writeLE32(h + 12, static_cast<uint32_t>(4));
    for (int i = 0; i < 4; ++i) byteorder::writeLE32(h + 16 + 4 * i, static_cast<uint32_t>(m_channelSize[i]));
    return file->Write(h, 32) == 32;
}

bool CFrame::writeNewHeader(CFile* file, _compression compression, int headerSize) {
    if (m_channelCount == 0 && m_alpha) m_channelCount = 4;
    if (m_alpha && m_channelSize[3] == 0) m_channelSize[3] = m_width * m_height;
    uint8_t h[kHeaderSize52] = {};
    byteorder::writeLE16(h, static_cast<uint16_t>(m_width));
    byteorder::writeLE16(h + 2, static_cast<uint16_t>(m_height));
    byteorder::writeLE16(h + 4, static_cast<uint16_t>(m_framePosition.x));
    byteorder::writeLE16(h + 6, static_cast<uint16_t>(m_framePosition.y));
    byteorder::writeLE16(h + 8, static_cast<uint16_t>(compression));
    byteorder::writeLE32(h + 10, static_cast<uint32_t>(compression == COMPRESSION_RLE ? m_packedSize : m_dataSize));
    const int k = m_channelCount < 4 ? m_channelCount : 4;
    byteorder::writeLE16(h + 14, static_cast<uint16_t>(k));
    for (int i = 0; i < k; ++i) byteorder::writeLE32(h + 16 + 4 * i, static_cast<uint32_t>(m_channelSize[i]));
    return file->Write(h, headerSize) == headerSize;
}

bool CFrame::SaveHeader3(CFile* file, _compression compression) {
    return writeNewHeader(file, compression, kHeaderSize32);
}

bool CFrame::SaveHeaderNew(CFile* file, _compression compression) {
    return writeNewHeader(file, compression, kHeaderSize52);
}

bool CFrame::SaveNew(CFile* file, _compression compression) {
    const int size = compression == COMPRESSION_RLE ? m_packedSize : m_dataSize;
    bool ok = true;
    if (size > 0) ok = m_pixels && file->Write(m_pixels, size) == size;
    if (m_alpha && m_channelSize[3] > 0) ok = file->Write(m_alpha, m_channelSize[3]) == m_channelSize[3] && ok;
    return ok;
}

void CFrame::Save(CFile* file, _compression compression) {
    if (compression != COMPRESSION_OLD || m_channelSize[3] <= 0 || !file) return;
    if (m_pixels && m_dataSize > 0) file->Write(m_pixels, m_dataSize);
    if (m_alpha) file->Write(m_alpha, m_channelSize[3]);
}
