// The animation file readers: the "NV" family (Load3), the "PAK" layout (LoadNew) and
// the older "PIK" family (LoadOld with its chunks, ReadChunk). Each reads against the
// bytes present and gives non-zero for a file that fails a check.
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/ByteReader.h"
#include "foundation/CFile.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"

namespace {

// A text of a fixed field: up to its first NUL.
CXString fieldText(const uint8_t* p, int size) {
    int n = 0;
    while (n < size && p[n]) ++n;
    return CXString(reinterpret_cast<const char*>(p), n);
}

bool knownDepth(int bpp) { return bpp == 15 || bpp == 16 || bpp == 24; }

// Frames whose data cannot be what their header says are refused: plain frames
// must hold their exact size, LZO frames must unpack to it.
bool checkFrames(std::vector<std::shared_ptr<CFrame>>& frames) {
    for (auto& f : frames) {
        switch (f->GetCompression()) {
        case COMPRESSION_NONE:
            if (!f->hasPlainSizes()) return false;
            break;
        case COMPRESSION_LZO:
        case COMPRESSION_LZO_RLE:
            if (f->plainDataSize() < 0) return false;
            f->setErrorCode(0);
            f->DeCompress();
            if (f->LastError() != 0) return false;
            if (f->GetCompression() == COMPRESSION_NONE && !f->hasPlainSizes()) return false;
            break;
        case COMPRESSION_RLE:
            if (f->plainDataSize() < 0) return false;
            break;
        default: break;  // code 1: kept as read, drawn as nothing
        }
    }
    return true;
}

}  // namespace

int CAnimo::Load3(CFile* file) {
    ByteReader in(file);
    uint8_t h[44];
    if (!in.read(h, 44)) return 1;
    const bool shortHeaders = h[2] == '+';
    const int nof = byteorder::readLEInt16(h + 4);
    const int bpp = byteorder::readLEInt16(h + 6);
    const int noe = byteorder::readLEInt16(h + 8);
    if (nof < 0 || noe < 0 || !knownDepth(bpp)) return 1;
    m_bpp = bpp;
    m_fps = byteorder::readLEInt32(h + 23);
    const int32_t flags = byteorder::readLEInt32(h + 27);
    m_flags = flags & 0xFF;
    m_animoFlags = flags & 0xFFFF00;
    m_opacity = h[31];
    m_randomFrames = byteorder::readLEInt16(h + 32);
    if (!in.text(&m_author) || !in.text(&m_description)) return 1;
    for (int e = 0; e < noe; ++e) {
        uint8_t r[67];
        if (!in.read(r, 67)) return 1;
        EventSlot slot;
        slot.info = std::make_unique<_annEventInfo3>();
        _annEventInfo3& ev = *slot.info;
        ev.name = fieldText(r, 32);
        const int n = byteorder::readLE16(r + 32);
        ev.loopStart = byteorder::readLE16(r + 38);
        ev.loopEnd = byteorder::readLE16(r + 40);
        ev.loopCount = byteorder::readLE16(r + 42);
        ev.loopCounter = byteorder::readLE16(r + 44);
        ev.fps = byteorder::readLEInt32(r + 46);
        ev.flags = byteorder::readLEInt32(r + 50);
        ev.opacity = r[54];
        ev.reserved55 = byteorder::readLEInt16(r + 55);
        ev.reserved57 = r[57];
        ev.reserved58 = r[58];
        if (2LL * n > in.left()) return 1;
        std::vector<uint8_t> numbers(static_cast<size_t>(2 * n));
        if (!in.read(numbers.data(), 2 * n)) return 1;
        for (int i = 0; i < n; ++i) ev.frames.push_back(byteorder::readLE16(numbers.data() + 2 * i));
        for (int i = 0; i < n; ++i) {
            uint8_t f[30];
            if (!in.read(f, 30)) return 1;
            auto rec = std::make_unique<_anmFrameInfo3>();
            rec->dx = byteorder::readLEInt16(f + 8);
            rec->dy = byteorder::readLEInt16(f + 10);
            rec->reserved12 = byteorder::readLEInt32(f + 12);
            rec->reserved20 = byteorder::readLEInt32(f + 20);
            rec->opacity = f[24];
            rec->reserved25 = f[25];
            if (byteorder::readLEInt32(f) != 0 && !(rec->hasName = in.text(&rec->name))) return 1;
            if (byteorder::readLEInt32(f + 4) != 0 && !(rec->hasText = in.text(&rec->text))) return 1;
            if (byteorder::readLEInt32(f + 16) != 0 && !(rec->hasSound = in.text(&rec->sound))) return 1;
            slot.records.push_back(std::move(rec));
        }
        slot.sounds.resize(static_cast<size_t>(n));
        m_events.push_back(std::move(slot));
    }
    for (int i = 0; i < nof; ++i) {
        auto frame = std::make_shared<CFrame>(CGraphicsObject::getWindow());
        frame->SetBpp(m_bpp);
        if ((shortHeaders ? frame->LoadHeaderNew(file) : frame->LoadHeaderNew2(file)) != 0) return 1;
        m_frames.push_back(std::move(frame));
    }
    for (auto& frame : m_frames)
        if (frame->LoadNew(file) != 0) return 1;
    if (!(m_animoFlags & kStreamedSounds)) makeSounds();
    const char* sig = reinterpret_cast<const char*>(h);
    if (std::memcmp(sig, "NV+", 4) == 0 || std::memcmp(sig, "NVP", 4) == 0) m_animoFlags |= kNewFormat;
    if (!m_frames.empty()) m_compression = m_frames[0]->GetCompression();
    return checkFrames(m_frames) ? 0 : 1;
}

int CAnimo::LoadNew(CFile* file) {
    ByteReader in(file);
    uint8_t h[407];
    if (!in.read(h, 407)) return 1;
    const int nof = byteorder::readLEInt16(h + 4);
    m_author = fieldText(h + 6, 128);
    m_description = fieldText(h + 134, 256);
    int bpp = byteorder::readLEInt16(h + 390);
    if (bpp == 0) bpp = 15;
    const int noe = byteorder::readLEInt16(h + 392);
    if (nof < 0 || noe < 0 || !knownDepth(bpp)) return 1;
    m_bpp = bpp;
    for (int e = 0; e < noe; ++e) {
        uint8_t r[40];
        if (!in.read(r, 40)) return 1;
        EventSlot slot;
        slot.info = std::make_unique<_annEventInfo3>();
        _annEventInfo3& ev = *slot.info;
        ev.name = fieldText(r, 32);
        const int n = byteorder::readLE16(r + 32);
        ev.loopStart = ev.loopEnd = byteorder::readLE16(r + 34);
        ev.loopCount = byteorder::readLE16(r + 38);
        if (12LL * n > in.left()) return 1;
        std::vector<uint8_t> numbers(static_cast<size_t>(2 * n));
        if (!in.read(numbers.data(), 2 * n)) return 1;
        for (int i = 0; i < n; ++i) ev.frames.push_back(byteorder::readLE16(numbers.data() + 2 * i));
        for (int i = 0; i < n; ++i) {
            uint8_t f[10];
            if (!in.read(f, 10)) return 1;
            auto rec = std::make_unique<_anmFrameInfo3>();
            rec->dx = byteorder::readLEInt16(f);
            rec->dy = byteorder::readLEInt16(f + 2);
            slot.records.push_back(std::move(rec));
        }
        slot.sounds.resize(static_cast<size_t>(n));
        m_events.push_back(std::move(slot));
    }
    for (int i = 0; i < nof; ++i) {
        auto frame = std::make_shared<CFrame>(CGraphicsObject::getWindow());
        frame->SetBpp(m_bpp);
        if (frame->LoadHeaderNew(file) != 0) return 1;
        m_frames.push_back(std::move(frame));
    }
    for (auto& frame : m_frames)
        if (frame->LoadNew(file) != 0) return 1;
    if (noe == 0) buildDefaultEvents();
    if (!m_frames.empty()) m_compression = m_frames[0]->GetCompression();
    if (!checkFrames(m_frames)) return 1;
    if (const int screen = screenBpp()) Convert(screen);
    return 0;
}

int CAnimo::ReadChunk(CFile* file, int chunk) {
    ByteReader in(file);
    uint8_t b[4];
    switch (chunk) {
    case 0: {
        if (!in.read(b, 4)) return 1;
        for (CXString* text : {&m_author, &m_description}) {
            if (!in.read(b, 4)) return 1;
            const int32_t n = byteorder::readLEInt32(b);
            if (n <= 0) continue;
            if (n > in.left()) return 1;
            std::vector<uint8_t> bytes(static_cast<size_t>(n));
            if (!in.read(bytes.data(), n)) return 1;
            *text = fieldText(bytes.data(), n);
        }
        return 0;
    }
    case 1: {
        if (!in.read(b, 4)) return 1;
        const int m = byteorder::readLE16(b);
        if (4LL * m > in.left()) return 1;
        std::vector<uint8_t> numbers(static_cast<size_t>(4 * m));
        if (!in.read(numbers.data(), 4 * m)) return 1;
        EventSlot slot;
        slot.info = std::make_unique<_annEventInfo3>();
        for (int i = 0; i < m; ++i) slot.info->frames.push_back(byteorder::readLE16(numbers.data() + 4 * i));
        slot.sounds.resize(static_cast<size_t>(m));
        m_events.push_back(std::move(slot));
        return 0;
    }
    case 2: {
        for (EventSlot& slot : m_events) {
            const int n = slot.info->count();
            if (33LL * n > in.left()) return 1;
            slot.records.clear();
            for (int i = 0; i < n; ++i) {
                uint8_t r[33];
                if (!in.read(r, 33)) return 1;
                auto rec = std::make_unique<_anmFrameInfo3>();
                rec->dx = static_cast<int16_t>(byteorder::readLEInt32(r));
                rec->dy = static_cast<int16_t>(byteorder::readLEInt32(r + 4));
                rec->opacity = r[8];
                slot.records.push_back(std::move(rec));
            }
        }
        return 0;
    }
    default: return 0;
    }
}

int CAnimo::LoadOld(CFile* file, int version) {
    ByteReader in(file);
    uint8_t h[12];
    if (!in.read(h, 12)) return 1;
    const int nof = byteorder::readLEInt16(h + 4);
    const int bpp = GetRealBpp(byteorder::readLEInt16(h + 6));
    if (nof < 0 || !knownDepth(bpp)) return 1;
    m_bpp = bpp;
    if (version == 2) m_compression = COMPRESSION_OLD;
    if (version == 3) m_compression = COMPRESSION_LZO;
    static const char* const tags[] = {"EXT", "SEQ", "POS"};
    for (int chunk = 0; chunk < 3; ++chunk) {
        char tag[3];
        if (in.left() < 3) break;
        if (!in.read(tag, 3)) return 1;
        if (std::memcmp(tag, tags[chunk], 3) != 0) {
            file->Seek(-3, 1);
            continue;
        }
        if (ReadChunk(file, chunk) != 0) return 1;
    }
    for (int i = 0; i < nof; ++i) {
        auto frame = std::make_shared<CFrame>(CGraphicsObject::getWindow());
        frame->SetBpp(m_bpp);
        frame->SetCompression(m_compression);
        if (frame->LoadHeader(file, version) != 0) return 1;
        m_frames.push_back(std::move(frame));
    }
    for (auto& frame : m_frames)
        if (frame->Load(file) != 0) return 1;
    // Records of the sequence chunk's positions go to the first default event.
    std::vector<std::unique_ptr<_anmFrameInfo3>> positions;
    if (!m_events.empty()) positions = std::move(m_events[0].records);
    m_events.clear();
    buildDefaultEvents();
    if (!positions.empty() && !m_events.empty()) {
        EventSlot& first = m_events[0];
        first.records.resize(static_cast<size_t>(first.info->count()));
        for (size_t i = 0; i < positions.size() && i < first.records.size(); ++i)
            first.records[i] = std::move(positions[i]);
    }
    if (!checkFrames(m_frames)) return 1;
    if (const int screen = screenBpp()) Convert(screen);
    return 0;
}
