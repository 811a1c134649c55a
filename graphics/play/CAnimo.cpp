#include "graphics/play/CAnimo.h"

#include <algorithm>
#include <cstring>

#include "foundation/ByteReader.h"
#include "foundation/CFile.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CFrame.h"
#include "graphics/play/CFrameSoundFactory.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/core/CGraphicsWindowServices.h"

const char* const CAnimo::kDefaultAuthor = "Vondrel";

namespace {

CFrameSoundFactory* g_soundFactory = nullptr;

void put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

}  // namespace

void CFrameSoundFactory::install(CFrameSoundFactory* factory) { g_soundFactory = factory; }
CFrameSoundFactory* CFrameSoundFactory::get() { return g_soundFactory; }

// ---- construction ----

CAnimo::CAnimo(CWindow* window) : CGraphicsObject(window), CPlayable(window), m_author(kDefaultAuthor) {
    m_ownsBuffers = false;
    m_type = kPlayableType;
    registerWithManager();
}

CAnimo::CAnimo(CWindow* window, CXString name) : CAnimo(window) { Load(name); }

CAnimo::CAnimo(CAnimo& other)
    : CGraphicsObject(other.CGraphicsObject::getWindow()), CPlayable(other.CPlayable::getWindow()) {
    m_ownsBuffers = false;
    m_type = kPlayableType;
    setName(other.getName());
    m_author = other.m_author;
    m_description = other.m_description;
    m_frames = other.m_frames;
    for (const EventSlot& s : other.m_events) {
        EventSlot copy;
        copy.info = std::make_unique<_annEventInfo3>(*s.info);
        for (const auto& r : s.records) copy.records.push_back(r ? std::make_unique<_anmFrameInfo3>(*r) : nullptr);
        copy.sounds = s.sounds;
        m_events.push_back(std::move(copy));
    }
    m_animoFlags = other.m_animoFlags;
    m_fps = other.m_fps;
    m_bpp = other.m_bpp;
    m_compression = other.m_compression;
    m_flags = other.m_flags;
    m_randomFrames = other.m_randomFrames;
    m_globalPosition = other.m_globalPosition;
    m_anchor = other.m_anchor;
    m_opacity = other.m_opacity;
    m_currentEvent = other.m_currentEvent;
    m_loadAtStart = other.m_loadAtStart;
    if (other.isLoaded()) load();
    setFilename(other.CPlayable::getFileName());
    registerWithManager();
    SetEventFrame(other.m_currentEvent, other.m_positionInSequence);
}

CAnimo::~CAnimo() {
    if (CAnimationManager* m = manager()) m->remove(this);
    Flush();
}

CAnimationManager* CAnimo::manager() const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CGraphicsObject::getWindow());
    return services ? services->getAnimationManager() : nullptr;
}

void CAnimo::registerWithManager() {
    if (CAnimationManager* m = manager())
        m->add(this, CGraphicsWindowServices::of(CGraphicsObject::getWindow())->GetRefreshScreenInterface());
}

CXString CAnimo::soundPath(const CXString& name) const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CGraphicsObject::getWindow());
    return services ? services->GetSoundFXFullPath(name) : name;
}

int CAnimo::screenBpp() const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CGraphicsObject::getWindow());
    CRefreshScreen* screen = services ? services->GetRefreshScreenInterface() : nullptr;
    return screen ? screen->GetBpp() : 0;
}

void CAnimo::Flush() {
    m_lastRefreshed = nullptr;
    showBuffersOf(nullptr);
    if (m_currentSound && !(m_animoFlags & kKeepSoundOnStop)) m_currentSound->stop(false);
    m_currentSound.reset();
    if (m_stream) m_stream->stop(false);
    m_stream.reset();
    m_events.clear();
    m_frames.clear();
    // The pixel pointers belonged to a frame.
    m_pixels = m_alpha = nullptr;
    m_savedPixels = m_savedAlpha = nullptr;
    m_width = m_height = m_pitch = 0;
    for (int& s : m_channelSize) s = 0;
    CGraphicsObject::Flush();
    m_currentFrame = -1;
    m_positionInSequence = -1;
    m_currentEvent = 0;
    m_globalPosition = CXPoint(0, 0);
    m_astatus = ASTATUS_STOPPED;
    m_status = 0;
    release();
}

// ---- loading ----

int CAnimo::Load(CXString name) {
    Flush();
    CXObject::log((CXString("Loading file ") + name + "...").c_str(), false);
    CFile file;
    int result = kErrLoad;
    if (file.Open(CGraphicsObject::getWindow(), name, CFile::kReadBinary) == 0) {
        result = Load(&file) == 0 ? 0 : kErrLoad;
        file.Close();
    }
    if (result != 0) {
        Flush();
        CXObject::log(" - Failed.\n", false);
        setErrorCode(kErrLoad);
        return kErrLoad;
    }
    setFilename(name);
    CXObject::log(" - Succesfull.\n", false);
    load();
    Visible(true);
    setErrorCode(0);
    m_positionInSequence = 0;
    setFileName(name);
    SetEventFrame(getFirstEvent(), 0);
    return 0;
}

int CAnimo::Load(CFile* file) {
    Flush();
    if (!file) return kErrLoad;
    ByteReader whole(file);
    const int64_t size = whole.left();
    if (size < 12 || size > INT32_MAX) return kErrLoad;
    std::vector<char> bytes(static_cast<size_t>(size));
    if (!whole.read(bytes.data(), size)) return kErrLoad;
    CFile_Stream stream(bytes.data(), static_cast<int>(size));
    char signature[4];
    std::memcpy(signature, bytes.data(), 4);
    signature[3] = 0;
    int result = kErrLoad;
    const char* const names[] = {"NVI", "NV+", "NVP", "PAK", "PIK", "PI2", "PI3"};
    int kind = -1;
    for (int i = 0; i < 7; ++i)
        if (std::strcmp(signature, names[i]) == 0) kind = i;
    if (kind >= 0 && kind <= 2)
        result = Load3(&stream);
    else if (kind == 3)
        result = LoadNew(&stream);
    else if (kind >= 4)
        result = LoadOld(&stream, kind - 3);
    if (result != 0) {
        Flush();
        return kErrLoad;
    }
    return 0;
}

void CAnimo::buildDefaultEvents() {
    const int n = static_cast<int>(m_frames.size());
    for (int e = 0; e < 3; ++e) {
        EventSlot slot;
        slot.info = std::make_unique<_annEventInfo3>();
        slot.info->name = "standard";
        for (int i = 0; i < n; ++i) slot.info->frames.push_back(static_cast<uint16_t>(e == 2 ? n - 1 - i : i));
        slot.sounds.resize(static_cast<size_t>(n));
        m_events.push_back(std::move(slot));
    }
}

void CAnimo::makeSounds() {
    CFrameSoundFactory* factory = CFrameSoundFactory::get();
    if (!factory) return;
    CWindow* window = CGraphicsObject::getWindow();
    for (EventSlot& slot : m_events) {
        slot.sounds.resize(slot.info->frames.size());
        for (size_t i = 0; i < slot.records.size() && i < slot.sounds.size(); ++i) {
            const _anmFrameInfo3* rec = slot.records[i].get();
            if (!rec || !rec->hasSound) continue;
            const CXString path = soundPath(rec->sound);
            slot.sounds[i].reset(factory->createSound(window, path, path.Find(';') >= 0));
        }
    }
}

void CAnimo::Convert(int bpp) {
    if (m_compression == COMPRESSION_NONE)
        for (auto& f : m_frames) f->Convert(bpp);
    m_bpp = bpp;
}

// ---- writing ----

void CAnimo::Save(CXString name, _compression compression) {
    // Built whole, then written in one step: a failed write keeps the old file.
    CFile_Memory file;
    if (Save3(&file, compression) != 0 ||
        CFile::saveWhole(CGraphicsObject::getWindow(), name, file.bytes(), "animation save") != 0) {
        setErrorCode(CFile::kErrorWrite);
        return;
    }
    setErrorCode(0);
}

void CAnimo::Save(CFile* file, _compression compression) {
    if (!file) return;
    std::string out(compression == COMPRESSION_NONE ? "PIK" : compression == COMPRESSION_OLD ? "PI2" : "PI3");
    out += '\0';
    put16(out, static_cast<int>(m_frames.size()));
    put16(out, GetFlagBpp(m_bpp));
    put32(out, 0);
    if (file->Write(out.data(), static_cast<int>(out.size())) != static_cast<int>(out.size()))
        setErrorCode(CFile::kErrorWrite);
}

int CAnimo::Save3(CFile* file, _compression compression) {
    std::string out("NVP", 4);
    put16(out, static_cast<int>(m_frames.size()));
    put16(out, m_bpp);
    put16(out, static_cast<int>(m_events.size()));
    out.append(13, '\0');
    put32(out, m_fps);
    put32(out, m_animoFlags | (m_flags & 0xFF));
    out += static_cast<char>(m_opacity);
    put16(out, m_randomFrames);
    out.append(10, '\0');
    for (const CXString* text : {&m_author, &m_description}) {
        put32(out, text->getLength());
        out.append(text->c_str(), static_cast<size_t>(text->getLength()));
    }
    const _anmFrameInfo3 defaults;
    for (const EventSlot& slot : m_events) {
        const _annEventInfo3& ev = *slot.info;
        char name[32] = {};
        std::memcpy(name, ev.name.c_str(), static_cast<size_t>(std::min(ev.name.getLength(), 31)));
        out.append(name, 32);
        put16(out, ev.count());
        put32(out, ev.count() > 0 ? 1 : 0);
        put16(out, ev.loopStart);
        put16(out, ev.loopEnd);
        put16(out, ev.loopCount);
        put16(out, ev.loopCounter);
        put32(out, ev.fps);
        put32(out, ev.flags);
        out += static_cast<char>(ev.opacity);
        put16(out, ev.reserved55);
        out += static_cast<char>(ev.reserved57);
        out += static_cast<char>(ev.reserved58);
        put32(out, 0);
        put32(out, 0);
        for (uint16_t f : ev.frames) put16(out, f);
        for (int i = 0; i < ev.count(); ++i) {
            const _anmFrameInfo3* rec =
                i < static_cast<int>(slot.records.size()) && slot.records[i] ? slot.records[i].get() : &defaults;
            put32(out, rec->hasName ? 1 : 0);
            put32(out, rec->hasText ? 1 : 0);
            put16(out, rec->dx);
            put16(out, rec->dy);
            put32(out, rec->reserved12);
            put32(out, rec->hasSound ? 1 : 0);
            put32(out, rec->reserved20);
            out += static_cast<char>(rec->opacity);
            out += static_cast<char>(rec->reserved25);
            put32(out, 0);
            for (const auto& [present, text] : {std::pair{rec->hasName, &rec->name}, std::pair{rec->hasText, &rec->text},
                                               std::pair{rec->hasSound, &rec->sound}}) {
                if (!present) continue;
                put32(out, text->getLength() + 1);
                out.append(text->c_str(), static_cast<size_t>(text->getLength()) + 1);
            }
        }
    }
    bool ok = file->Write(out.data(), static_cast<int>(out.size())) == static_cast<int>(out.size());
    // Each frame is brought to the form written: packed only for code 4 (and
    // 16-bit words), plain otherwise; its header names that form.
    std::vector<_compression> written;
    for (auto& f : m_frames) {
        if (f->GetCompression() == COMPRESSION_LZO || f->GetCompression() == COMPRESSION_LZO_RLE) f->DeCompress();
        const bool words = f->GetBpp() == 15 || f->GetBpp() == 16;
        if (compression == COMPRESSION_RLE && f->GetCompression() == COMPRESSION_NONE && words && f->GetDataPtr())
            f->Compress(COMPRESSION_RLE);
        if (compression != COMPRESSION_RLE && f->GetCompression() == COMPRESSION_RLE) {
            f->DeCompressRLE2();
        }
        const _compression code = f->GetCompression();
        if (code == COMPRESSION_NONE) {
            f->setPackedSize(f->GetDataSize());
            // The alpha size is the pixel count, or 0 without an alpha buffer
            // (unpacking an LZO frame sets it either way).
            f->GetChannelSize(3) = f->AlphaChannel() ? f->Width() * f->Height() : 0;
        }
        written.push_back(code);
        ok = f->SaveHeaderNew(file, code) && ok;
    }
    for (size_t i = 0; i < m_frames.size(); ++i) ok = m_frames[i]->SaveNew(file, written[i]) && ok;
    return ok ? 0 : 1;
}

// ---- frames and events ----

int CAnimo::GetNOF() { return static_cast<int>(m_frames.size()); }

CFrame* CAnimo::GetFrame(int frame) {
    if (frame == -1) frame = m_currentFrame;
    return validFrame(frame) ? m_frames[static_cast<size_t>(frame)].get() : nullptr;
}

CFrame* CAnimo::AddFrame(CGraphicsObject* object) {
    if (!object) return nullptr;
    auto frame = std::make_shared<CFrame>(CGraphicsObject::getWindow());
    frame->Copy(object);
    frame->SetPosition(object->GetPosition());
    // An animation built frame by frame takes its depth from its first frame.
    if (m_frames.empty() && m_bpp == 0) m_bpp = frame->GetBpp();
    m_frames.push_back(frame);
    return frame.get();
}

CFrame* CAnimo::getFrame(CXString name) {
    for (size_t e = 0; e < m_events.size(); ++e) {
        const EventSlot& slot = m_events[e];
        for (size_t i = 0; i < slot.records.size(); ++i) {
            const _anmFrameInfo3* rec = slot.records[i].get();
            if (rec && rec->hasName && rec->name.equalsIgnoreCase(name) && i < slot.info->frames.size())
                return GetFrame(slot.info->frames[i]);
        }
    }
    return nullptr;
}

bool CAnimo::RemoveFrame(int frame) {
    if (!validFrame(frame)) return false;
    for (const EventSlot& slot : m_events)
        for (uint16_t f : slot.info->frames)
            if (f == frame) return false;
    if (m_lastRefreshed == m_frames[static_cast<size_t>(frame)].get()) m_lastRefreshed = nullptr;
    if (m_shownFrame == m_frames[static_cast<size_t>(frame)].get()) showBuffersOf(nullptr);
    if (m_currentFrame == frame) {
        showBuffersOf(nullptr);
        m_currentFrame = -1;
    } else if (m_currentFrame > frame) {
        --m_currentFrame;
    }
    m_frames.erase(m_frames.begin() + frame);
    for (EventSlot& slot : m_events)
        for (uint16_t& f : slot.info->frames)
            if (f > frame) --f;
    return true;
}

void CAnimo::RemoveFrame(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    if (position < 0 || position >= slot.info->count()) return;
    slot.info->frames.erase(slot.info->frames.begin() + position);
    if (position < static_cast<int>(slot.records.size())) slot.records.erase(slot.records.begin() + position);
    if (position < static_cast<int>(slot.sounds.size())) slot.sounds.erase(slot.sounds.begin() + position);
}

void CAnimo::ExchangeFrames(int event, int a, int b) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    const int n = slot.info->count();
    if (a < 0 || b < 0 || a >= n || b >= n) return;
    std::swap(slot.info->frames[a], slot.info->frames[b]);
    if (static_cast<int>(slot.records.size()) == n) std::swap(slot.records[a], slot.records[b]);
    if (static_cast<int>(slot.sounds.size()) == n) std::swap(slot.sounds[a], slot.sounds[b]);
}

void CAnimo::RemoveAllFrames(int event) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    slot.info->frames.clear();
    slot.records.clear();
    slot.sounds.clear();
}

void CAnimo::AddEvent(const _annEventInfo3& event) {
    EventSlot slot;
    slot.info = std::make_unique<_annEventInfo3>(event);
    for (int i = 0; i < event.count(); ++i) slot.records.push_back(std::make_unique<_anmFrameInfo3>());
    slot.sounds.resize(static_cast<size_t>(event.count()));
    m_events.push_back(std::move(slot));
}

void CAnimo::RemoveEvent(int event) {
    if (!validEvent(event)) return;
    m_events.erase(m_events.begin() + event);
    if (m_currentEvent > event) --m_currentEvent;
    else if (m_currentEvent == event) m_currentEvent = 0;
}

void CAnimo::RemoveAllEvents() {
    m_events.clear();
    m_currentEvent = 0;
}

void CAnimo::UpdateSoundFX(int event, int position, CPlayable* sound) {
    std::shared_ptr<CPlayable> held(sound);
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    if (position < 0 || position >= slot.info->count()) return;
    slot.sounds.resize(static_cast<size_t>(slot.info->count()));
    if (slot.sounds[position] && slot.sounds[position] == m_currentSound) m_currentSound.reset();
    slot.sounds[position] = std::move(held);
}

CPlayable* CAnimo::getSoundFX(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return nullptr;
    const EventSlot& slot = m_events[static_cast<size_t>(event)];
    return position >= 0 && position < static_cast<int>(slot.sounds.size()) ? slot.sounds[position].get() : nullptr;
}

void CAnimo::ClearWAVEntry(int event, int position) {
    if (_anmFrameInfo3* rec = GetFrameInfo(event, position)) {
        rec->hasSound = false;
        rec->sound = "";
    }
}

_anmFrameInfo3* CAnimo::record(int event, int position) {
    if (!validEvent(event)) return nullptr;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    return position >= 0 && position < static_cast<int>(slot.records.size()) ? slot.records[position].get() : nullptr;
}

// ---- lookups ----

int CAnimo::GetEventNo(CXString name) {
    for (size_t e = 0; e < m_events.size(); ++e)
        if (m_events[e].info->name.equalsIgnoreCase(name)) return static_cast<int>(e);
    return -1;
}

int CAnimo::GetEventNo(int event) { return event == -1 ? m_currentEvent : event; }

int CAnimo::resolveEventName(CXString name) { return GetEventNo(name); }

int CAnimo::getFrameNo(CXString name) {
    const int e = GetEventNo(name);
    return e < 0 ? 0 : e;
}

int CAnimo::GetNOFInEvent(int event) {
    if (event == -1) event = m_currentEvent;
    return validEvent(event) ? m_events[static_cast<size_t>(event)].info->count() : 0;
}

int CAnimo::GetNOFInEvent(CXString name) {
    const int e = GetEventNo(name);
    return e < 0 ? 0 : GetNOFInEvent(e);
}

_annEventInfo3* CAnimo::GetEventInfo(int event) {
    if (event == -1) event = m_currentEvent;
    return validEvent(event) ? m_events[static_cast<size_t>(event)].info.get() : nullptr;
}

_anmFrameInfo3* CAnimo::GetFrameInfo(int position) { return GetFrameInfo(-1, position); }

_anmFrameInfo3* CAnimo::GetFrameInfo(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (position == -1) position = m_positionInSequence;
    return record(event, position);
}

_anmFrameInfo3* CAnimo::GetOrAddFrameInfo(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return nullptr;
    EventSlot& slot = m_events[static_cast<size_t>(event)];
    const int count = slot.info->count();
    if (position < 0 || position >= count) return nullptr;
    if (static_cast<int>(slot.records.size()) < count) slot.records.resize(static_cast<size_t>(count));
    // Every position gets a record, so that the event's records stay complete.
    for (auto& r : slot.records)
        if (!r) r = std::make_unique<_anmFrameInfo3>();
    return slot.records[static_cast<size_t>(position)].get();
}

int CAnimo::GetFrameNo() { return m_currentFrame; }

int CAnimo::GetFrameNo(int event, int code) {
    if (event == -1) event = m_currentEvent;
    switch (code) {
    case -3: return GetNOFInEvent(event) - 1;
    case -2: return 0;
    case -1: return m_positionInSequence;
    default: return code;
    }
}

int CAnimo::GetFrameNo(int event, CXString name) {
    if (event == -1) event = m_currentEvent;
    if (!validEvent(event)) return -1;
    const EventSlot& slot = m_events[static_cast<size_t>(event)];
    for (size_t i = 0; i < slot.records.size(); ++i)
        if (slot.records[i] && slot.records[i]->hasName && slot.records[i]->name.equals(name)) return static_cast<int>(i);
    return -1;
}

CFrame* CAnimo::GetEventFrame(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (position == -1) position = m_positionInSequence;
    if (!validEvent(event)) return nullptr;
    const _annEventInfo3& ev = *m_events[static_cast<size_t>(event)].info;
    return position >= 0 && position < ev.count() ? GetFrame(ev.frames[position]) : nullptr;
}

CXString CAnimo::GetEventName(int event) {
    if (event == -1) event = m_currentEvent;
    return validEvent(event) ? m_events[static_cast<size_t>(event)].info->name : CXString();
}

CXString CAnimo::getCurrentEventName() { return GetEventName(m_currentEvent); }

CXString CAnimo::getFrameName(int event, int position) {
    _anmFrameInfo3* rec = GetFrameInfo(event, position);
    return rec && rec->hasName ? rec->name : CXString();
}

CXString CAnimo::GetName(int event, int position, CXString text) {
    if (position == -1) position = m_positionInSequence;
    _anmFrameInfo3* rec = GetFrameInfo(event, position);
    if (rec && rec->hasName && rec->name.IsString()) return rec->name;
    if (text.equals("Default")) {
        CXString formatted;
        formatted.Format("Frame %d", position);
        return formatted;
    }
    return text;
}

int CAnimo::getFirstEvent() {
    for (size_t e = 0; e < m_events.size(); ++e)
        if (m_events[e].info->count() > 0) return static_cast<int>(e);
    return 0;
}

int CAnimo::GetLoop(int event, CXPoint* loop) {
    _annEventInfo3* ev = GetEventInfo(event);
    if (!ev) return 0;
    if (loop) *loop = CXPoint(ev->loopStart, ev->loopEnd);
    return ev->loopCount;
}

CXPoint CAnimo::getCurrFramePosition() {
    CFrame* f = GetFrame(-1);
    return f ? f->GetFramePosition() : CXPoint(0, 0);
}

bool CAnimo::isInside(int x, int y, bool useAlpha) {
    CFrame* f = GetFrame(-1);
    return f ? f->isInside(x, y, useAlpha) : false;
}

int CAnimo::Current() { return m_currentFrame; }

// ---- showing ----

void CAnimo::invalidateScreen(CXRect box) {
    if (m_screen && box.IsProper()) m_screen->Invalidate(&box);
}

void CAnimo::SetEventFrame(int event, int position) {
    if (event == -1) event = m_currentEvent;
    if (position == -1) position = 0;
    if (!validEvent(event)) return;
    const _annEventInfo3& ev = *m_events[static_cast<size_t>(event)].info;
    if (position < 0 || position >= ev.count()) return;
    if (isVisible()) {
        Invalidate();
        invalidateScreen(GetBoundingBox());
    }
    const int frame = ev.frames[position];
    if (isPlaying()) PlaySoundFX(event, position);
    if (const _anmFrameInfo3* rec = record(event, position)) {
        if (m_opacity == 255) m_opacity = rec->opacity != 255 ? rec->opacity : ev.opacity;
    }
    m_currentEvent = event;
    m_positionInSequence = position;
    Set(frame, true);
}

void CAnimo::SetEventFrame(CXString event, int position) {
    const int e = resolveEventName(event);
    if (e >= 0) SetEventFrame(e, position);
}

int CAnimo::SetEventFrame(int event, CXString name) {
    if (event == -1) event = m_currentEvent;
    const int n = GetNOFInEvent(event);
    for (int i = 0; i < n; ++i) {
        if (GetName(event, i, "Default").equalsIgnoreCase(name)) {
            SetEventFrame(event, i);
            return i;
        }
    }
    return -1;
}

void CAnimo::Set(int frame, bool notifyTick) {
    if (!validFrame(frame)) return;
    const CXRect before = GetBoundingBox();
    if (isVisible()) Invalidate();
    m_currentFrame = frame;
    if (notifyTick) notify(kTick);
    // An observer may have emptied the animation.
    if (!validFrame(m_currentFrame)) return;
    updateWithCurrentFrame();
    if (isVisible() && GetBoundingBox() != before) Invalidate();
}

void CAnimo::updateWithCurrentFrame() {
    CFrame* f = GetFrame(-1);
    if (!f) return;
    showBuffersOf(f);
    m_bpp = f->GetBpp();
    m_width = f->Width();
    m_height = f->Height();
    m_pitch = f->GetPitch();
    for (int i = 0; i < 4; ++i) m_channelSize[i] = f->GetChannelSize(i);
    CXPoint at = f->GetFramePosition();
    if (const _anmFrameInfo3* rec = record(m_currentEvent, m_positionInSequence)) at = at + CXPoint(rec->dx, rec->dy);
    CGraphicsObject::m_position = at;
}

void CAnimo::SetFrame(int frame) {
    if (!validFrame(frame)) return;
    m_invalidated = true;
    const bool hadFrame = CGraphicsObject::getWindow() && validFrame(m_currentFrame);
    const CXRect before = hadFrame ? GetBoundingBox() : CXRect();
    m_currentFrame = frame;
    CFrame* f = GetFrame(-1);
    showBuffersOf(f);
    m_bpp = f->GetBpp();
    m_width = f->Width();
    m_height = f->Height();
    m_pitch = f->GetPitch();
    for (int i = 0; i < 4; ++i) m_channelSize[i] = f->GetChannelSize(i);
    CGraphicsObject::m_position = f->GetFramePosition();
    CXRect area = GetBoundingBox();
    if (hadFrame) area.Sum(before);
    if (isVisible()) invalidateScreen(area);
}

CXRect CAnimo::GetBoundingBox() {
    CFrame* f = GetFrame(-1);
    if (!f) return CXRect(0, 0, 0, 0);
    CXPoint at = m_globalPosition + f->GetFramePosition();
    if (const _anmFrameInfo3* rec = record(m_currentEvent, m_positionInSequence)) at = at + CXPoint(rec->dx, rec->dy);
    CXRect box(at.x, at.y, at.x + f->Width(), at.y + f->Height());
    if (!m_clipRect.IsEmpty()) {
        const CXPoint p = GetPosition();
        const CXRect clip(m_clipRect.left + p.x, m_clipRect.top + p.y, m_clipRect.right + p.x, m_clipRect.bottom + p.y);
        box = box.Common(clip);
    }
    return box;
}

CXRect CAnimo::GetAbsoluteBoundingBox() { return GetBoundingBox(); }

CXPoint CAnimo::GetPosition() {
    CXPoint at = m_globalPosition;
    if (CFrame* f = GetFrame(-1)) at = at + f->GetFramePosition();
    if (const _anmFrameInfo3* rec = record(m_currentEvent, m_positionInSequence)) at = at + CXPoint(rec->dx, rec->dy);
    return at;
}

CXPoint CAnimo::getPosition() { return m_globalPosition; }

CGraphicsObject* CAnimo::getDrawn() { return GetFrame(-1); }

CXPoint CAnimo::getCenterPoint() {
    CFrame* f = GetFrame(0);
    return f ? f->getCenterPoint() : CXPoint(0, 0);
}

uint8_t CAnimo::GetPixel(_channel channel, CXPoint p) {
    CFrame* f = m_lastRefreshed ? m_lastRefreshed : GetFrame(-1);
    return f ? f->GetPixel(channel, p) : 0;
}

void CAnimo::DeCompress() {
    for (auto& f : m_frames) f->DeCompress();
}

void CAnimo::DeCompressRLE2() {
    for (auto& f : m_frames) f->DeCompressRLE2();
}

void CAnimo::showBuffersOf(CFrame* frame) {
    if (frame != m_shownFrame) {
        if (frame) frame->addUser();
        CFrame* before = m_shownFrame;
        m_shownFrame = frame;
        if (before) before->releaseUser();
    }
    m_pixels = frame ? frame->GetDataPtr() : nullptr;
    m_alpha = frame ? frame->AlphaChannel() : nullptr;
}

char* CAnimo::GetDataPtr() {
    if (m_shownFrame) showBuffersOf(m_shownFrame);
    return m_pixels;
}

void CAnimo::clearLastRefreshed() { m_lastRefreshed = nullptr; }

void CAnimo::Redraw() { drawCurrentFrame(m_destiny, GetPosition()); }

void CAnimo::redraw(CGraphicsObject* destination) { drawCurrentFrame(destination, GetPosition()); }

void CAnimo::drawCurrentFrame(CGraphicsObject* destination, CXPoint at) {
    CFrame* f = GetFrame(-1);
    if (!f || !destination) return;
    // The frame shown before goes back to its packed planes unless another copy of
    // the animation shows it.
    showBuffersOf(f);
    const CXRect clip = f->GetClippingRect();
    const CXPoint framePosition = f->GetFramePosition();
    const CXPoint offset = f->getPosOffset();
    const uint8_t opacity = f->GetOpacity();
    f->SetClippingRect(m_clipRect.left, m_clipRect.top, m_clipRect.right, m_clipRect.bottom);
    f->SetPosition(at);
    f->SetOpacity(m_opacity);
    f->redraw(destination);
    // The frame may have unpacked itself while drawing.
    showBuffersOf(f);
    f->SetPosition(framePosition);
    f->SetPosOffset(offset.x, offset.y);
    f->SetClippingRect(clip.left, clip.top, clip.right, clip.bottom);
    f->SetOpacity(opacity);
    m_lastRefreshed = f;
}

// ---- placement ----

void CAnimo::setPosition(CXPoint p) { SetGlobalPosition(p.x, p.y); }
void CAnimo::setPosition(int x, int y) { SetGlobalPosition(x, y); }
void CAnimo::SetPosition(CXPoint p) { SetPosition(p.x, p.y); }
void CAnimo::Move(CXPoint d) { Move(d.x, d.y); }
void CAnimo::move(int dx, int dy) { Move(dx, dy); }

void CAnimo::SetGlobalPosition(int x, int y) {
    CXRect box = GetBoundingBox();
    m_globalPosition = CXPoint(subSat(x, m_anchor.x), subSat(y, m_anchor.y));
    box.Sum(GetBoundingBox());
    if (isVisible()) invalidateScreen(box);
    tellCollisionInspector();
}

void CAnimo::SetPosition(int x, int y) {
    for (auto& f : m_frames) f->SetPosition(x, y);
    if (CFrame* f = GetFrame(-1)) CGraphicsObject::m_position = f->GetFramePosition();
    tellCollisionInspector();
}

void CAnimo::Move(int dx, int dy) {
    CXRect box = GetBoundingBox();
    m_globalPosition = m_globalPosition + CXPoint(dx, dy);
    box.Sum(GetBoundingBox());
    invalidateScreen(box);
    m_invalidated = true;
    tellCollisionInspector();
}

// ---- visibility ----

bool CAnimo::isVisible() { return CGraphicsObject::m_visible; }

void CAnimo::Visible(bool visible) {
    CGraphicsObject::m_visible = visible;
    CPlayable::m_visible = visible;
    Invalidate();
}

void CAnimo::setVisibility(bool visible) {
    if (visible)
        show();
    else
        hide();
}

void CAnimo::show() {
    if (!isLoaded() && CPlayable::getFileName().IsString()) Load(CPlayable::getFileName());
    Visible(true);
}

void CAnimo::hide() {
    if (releaseAfterUse()) Flush();
    Visible(false);
}

// Drawing order flags belong to the refresh screen; nothing to do until it offers them.
void CAnimo::alwaysOnTop() {}

// ---- playing ----

int CAnimo::GetStatus() { return m_astatus; }
bool CAnimo::IsPlaying() { return m_astatus == ASTATUS_PLAYING; }
int CAnimo::GetFPS() { return m_fps; }
int CAnimo::getFPS() { return m_fps; }
bool CAnimo::isPlaying() { return m_astatus <= 0; }

void CAnimo::Play(CXString event, int position, int unused) {
    const int e = resolveEventName(event);
    if (e >= 0) Play(static_cast<_animoevent>(e), position, unused);
}

void CAnimo::Play(_animoevent event, int position, int) {
    Invalidate();
    const int e = static_cast<int>(event);
    if (!validEvent(e) || m_events[static_cast<size_t>(e)].info->count() == 0) return;
    if (IsPlaying()) {
        const _annEventInfo3* current = GetEventInfo(m_currentEvent);
        if ((m_animoFlags & kNoInterrupt) || (current && (current->flags & kNoInterrupt))) return;
    }
    if (_annEventInfo3* current = GetEventInfo(m_currentEvent)) current->loopCounter = 0;
    m_lastPlayed = e;
    m_currentEvent = e;
    if (!isVisible()) Visible(true);
    if (m_fps <= 0) m_fps = 15;
    // A new play starts forward, whatever a ping-pong event left behind.
    m_direction = DIRECTION_FORWARD;
    m_astatus = ASTATUS_PLAYING;
    m_status = kStatusPlaying;
    SetEventFrame(e, position);
    notify(kStarted);
}

void CAnimo::Play() { Play(static_cast<_animoevent>(0), 0, 15); }

void CAnimo::play() { Play(static_cast<_animoevent>(m_currentEvent), 0, 15); }

void CAnimo::Continue() {
    const _annEventInfo3* ev = GetEventInfo(m_currentEvent);
    if (!ev || ev->count() == 0) return;
    m_fps = ev->fps > 0 ? ev->fps : 15;
    m_astatus = ASTATUS_PLAYING;
    m_status = kStatusPlaying;
    Next();
}

void CAnimo::Stop() {
    if (IsPlaying()) StopNoNotify();
}

void CAnimo::StopNoNotify() {
    if (!IsPlaying()) return;
    if (m_stream) m_stream->stop(false);
    const _annEventInfo3* ev = GetEventInfo(m_currentEvent);
    if (ev && (ev->flags & kEventHideOnStop)) Visible(false);
    m_astatus = ASTATUS_STOPPED;
    m_status = 0;
    const bool keep = (m_animoFlags & kKeepSoundOnStop) || (ev && (ev->flags & kKeepSoundOnStop));
    if (!keep && m_currentSound) {
        std::shared_ptr<CPlayable> sound = std::move(m_currentSound);
        sound->stop(true);
    }
}

void CAnimo::stop(bool notifyObservers) {
    Stop();
    if (notifyObservers) notify(kFinished);
}

void CAnimo::stopWithNotify() { stop(true); }

void CAnimo::Pause() {
    if (m_astatus != ASTATUS_PLAYING) return;
    m_astatus = ASTATUS_PAUSED;
    m_status = kStatusPaused;
}

void CAnimo::Resume() {
    if (m_astatus != ASTATUS_PAUSED) return;
    m_astatus = ASTATUS_PLAYING;
    m_status = kStatusPlaying;
}

void CAnimo::pause() { Pause(); }
void CAnimo::resume() { Resume(); }
void CAnimo::Seek(int frame) { SetFrame(frame); }
void CAnimo::seek(int position) { Seek(position); }

int CAnimo::previous() {
    Prev();
    return m_positionInSequence;
}

int CAnimo::next() {
    if (m_direction == DIRECTION_FORWARD)
        Next();
    else
        Prev();
    return m_positionInSequence;
}

bool CAnimo::soundPlaying() const {
    return (m_stream && m_stream->isPlaying()) || (m_currentSound && m_currentSound->isPlaying());
}

int CAnimo::nextEventWithPositions() const {
    for (int e = m_currentEvent + 1; e < static_cast<int>(m_events.size()); ++e)
        if (m_events[static_cast<size_t>(e)].info->count() > 0) return e;
    return -1;
}

bool CAnimo::Next() {
    const int before = m_currentFrame;
    if (isVisible()) invalidateScreen(GetBoundingBox());
    if (m_frames.empty()) return false;
    if (!validEvent(m_currentEvent)) return false;
    const _annEventInfo3* ev = m_events[static_cast<size_t>(m_currentEvent)].info.get();
    const int count = ev->count();
    int position = m_positionInSequence + 1;
    bool judged = true;
    if (ev->loopEnd == 0) {
        if (position >= count) {
            position = count - 1;
            if (!(m_animoFlags & kChainEvents)) {
                stopWithNotify();
                return false;
            }
            const int next = nextEventWithPositions();
            if (next >= 0) {
                m_currentEvent = next;
                position = 0;
            }
        }
    } else if (position <= ev->loopEnd) {
        judged = false;
    } else if (ev->flags & kEventPingPong) {
        position -= 2;
        m_direction = DIRECTION_BACKWARD;
    } else if ((ev->flags & kLoopWhileSound) && !soundPlaying()) {
        if (position == count) {
            const int next = (m_animoFlags & kChainEvents) ? nextEventWithPositions() : -1;
            if (next < 0) {
                stopWithNotify();
                return false;
            }
            m_currentEvent = next;
            position = 0;
        } else if (position + 1 < count) {
            ++position;
        } else if (m_animoFlags & kChainEvents) {
            const int next = nextEventWithPositions();
            if (next >= 0) {
                m_currentEvent = next;
                position = 0;
            } else {
                position = m_positionInSequence;
            }
        } else {
            stopWithNotify();
            return false;
        }
    } else {
        _annEventInfo3* looping = m_events[static_cast<size_t>(m_currentEvent)].info.get();
        if (looping->loopCount == 0) {
            position = looping->loopStart;
        } else if (++looping->loopCounter < looping->loopCount) {
            position = looping->loopStart;
        } else {
            looping->loopCounter = 0;
            stopWithNotify();
            if (position < count) SetEventFrame(m_currentEvent, position);
            return m_currentFrame != before;
        }
    }
    SetEventFrame(m_currentEvent, position);
    return judged && m_currentFrame != before;
}

bool CAnimo::Prev() {
    if (isVisible()) invalidateScreen(GetBoundingBox());
    if (m_frames.empty() || !validEvent(m_currentEvent)) return false;
    const int before = m_currentFrame;
    const _annEventInfo3* ev = m_events[static_cast<size_t>(m_currentEvent)].info.get();
    int position = m_positionInSequence - 1;
    if (ev->loopEnd == 0) {
        if (position < 0) {
            stopWithNotify();
            return false;
        }
    } else if (position < ev->loopStart) {
        if (ev->flags & kEventPingPong) {
            position += 2;
            m_direction = DIRECTION_FORWARD;
        } else if ((ev->flags & kLoopWhileSound) && soundPlaying()) {
            position = ev->loopEnd;
        } else if (ev->flags & kLoopWhileSound) {
            if (position < 0) {
                stopWithNotify();
                position = ev->loopEnd;
            }
        } else {
            position = ev->loopEnd;
        }
    }
    SetEventFrame(m_currentEvent, position);
    return m_currentFrame != before;
}

void CAnimo::PlaySoundFX(int event, int position) {
    if (m_animoFlags & kStreamedSounds) {
        const _anmFrameInfo3* rec = record(event, position);
        if (!rec || !rec->hasSound || !rec->sound.IsString()) return;
        if (m_stream) m_stream->stop(false);
        m_stream.reset();
        CFrameSoundFactory* factory = CFrameSoundFactory::get();
        if (!factory) return;
        CWindow* window = CGraphicsObject::getWindow();
        m_stream.reset(factory->createStream(window, soundPath(rec->sound)));
        if (m_stream) m_stream->play();
        return;
    }
    if (!validEvent(event)) return;
    const EventSlot& slot = m_events[static_cast<size_t>(event)];
    if (position < 0 || position >= static_cast<int>(slot.sounds.size()) || !slot.sounds[position]) return;
    std::shared_ptr<CPlayable> sound = slot.sounds[position];
    if (m_currentSound) m_currentSound->stop(true);
    m_currentSound = sound;
    sound->play();
}

void CAnimo::playReverse(CXString name, int start) {
    static const CXString suffix("_reverse");
    int event = -1;
    if (name.getLength() > 9 && name.endsWith(suffix)) {
        event = GetEventNo(name);
        if (event >= 0) start = m_positionInSequence;
    }
    if (event < 0) event = GetEventNo(name + suffix);
    if (event >= 0) {
        const int count = GetNOFInEvent(event);
        if (start == -1) start = count - m_positionInSequence;
        if (m_positionInSequence < count) Play(static_cast<_animoevent>(event), start, 0);
        return;
    }
    const int source = GetEventNo(name);
    if (source < 0) return;
    const EventSlot& from = m_events[static_cast<size_t>(source)];
    _annEventInfo3 reversed(*from.info);
    reversed.name = name + suffix;
    std::reverse(reversed.frames.begin(), reversed.frames.end());
    reversed.loopCounter = 0;
    EventSlot slot;
    slot.info = std::make_unique<_annEventInfo3>(reversed);
    const int n = reversed.count();
    for (int i = 0; i < n; ++i) {
        const size_t j = static_cast<size_t>(n - 1 - i);
        slot.records.push_back(j < from.records.size() && from.records[j]
                                   ? std::make_unique<_anmFrameInfo3>(*from.records[j])
                                   : std::make_unique<_anmFrameInfo3>());
    }
    slot.sounds.resize(static_cast<size_t>(n));
    m_events.push_back(std::move(slot));
    if (GetEventNo(name + suffix) >= 0) playReverse(name, start);
}
