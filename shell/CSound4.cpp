#include "shell/CSound4.h"

#include <cstring>

#include "foundation/CFile.h"
#include "foundation/CXArray.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/Crt.h"
#include "graphics/play/CFrameSoundFactory.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CSoundCodec.h"
#include "shell/CSndStream.h"
#include "shell/CSoundManager.h"
#include "shell/CWindow.h"

std::unique_ptr<platform::IAudioDevice> CSound4::m_pDirectSound;
std::unique_ptr<platform::IAudioBuffer> CSound4::m_pDirectSoundPrimaryBuffer;
bool CSound4::m_bSoundBufferCreated = false;

namespace {
constexpr uint32_t kPrimaryFlags = platform::kBufferPrimary | platform::kBufferCtrlFrequency |
                                   platform::kBufferCtrlPan | platform::kBufferCtrlVolume;
constexpr uint32_t kSecondaryFlags = platform::kBufferCtrlFrequency | platform::kBufferCtrlPan |
                                     platform::kBufferCtrlVolume | platform::kBufferExactCursor;
}  // namespace

platform::IAudioDevice* CSound4::CreateDirectSoundInterface(CWindow*) {
    if (m_bSoundBufferCreated) return m_pDirectSound.get();
    m_pDirectSound.reset();
    std::unique_ptr<platform::IAudioDevice> device;
    if (platform::audio().createDevice(&device) != platform::kAudioOk || !device) return nullptr;
    if (device->setCooperativeLevel(platform::kLevelPriority) != platform::kAudioOk) return nullptr;
    m_pDirectSound = std::move(device);
    return m_pDirectSound.get();
}

platform::IAudioBuffer* CSound4::CreatePrimarySoundBuffer(CWindow* window) {
    if (m_bSoundBufferCreated || !m_pDirectSound) return m_pDirectSoundPrimaryBuffer.get();
    std::unique_ptr<platform::IAudioBuffer> primary;
    if (m_pDirectSound->createBuffer({kPrimaryFlags, 0, nullptr}, &primary) != platform::kAudioOk || !primary) {
        if (window) window->setErrorCode(CWindow::kErrorSound);
        return nullptr;
    }
    const platform::WaveFormat mix{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
    primary->setFormat(mix);
    m_pDirectSoundPrimaryBuffer = std::move(primary);
    m_bSoundBufferCreated = true;
    return m_pDirectSoundPrimaryBuffer.get();
}

void CSound4::DestroySoundBuffer() {
    m_pDirectSoundPrimaryBuffer.reset();
    m_pDirectSound.reset();
    m_bSoundBufferCreated = false;
}

CSound4::CSound4(CWindow* window) : CPlayable(window) {}

CSound4::CSound4(CWindow* window, CXString fileName, bool flushAfterPlayed, bool preload)
    : CPlayable(window), m_flushAfterPlayed(flushAfterPlayed) {
    m_type = 1;
    if (CSoundManager* manager = soundManager()) manager->add(this, false);
    CreatePrimarySoundBuffer(window);
    setFilename(fileName);
    if (preload) load();
}

CSound4::CSound4(CWindow* window, CMElement* element) : CPlayable(window) {
    CreatePrimarySoundBuffer(window);
    const CXString name = element ? element->getPropertyValue(CXString("FILENAME")) : CXString();
    setFilename(window ? window->GetSoundFXFullPath(name) : name);
    if (element && element->getPropertyBoolValue(CXString("PRELOAD")) && name.getLength() > 0) load();
    m_loop = element && element->getPropertyBoolValue(CXString("LOOP"));
    m_flushAfterPlayed = element && element->getPropertyBoolValue(CXString("FLUSHAFTERPLAYED"));
}

CSound4::~CSound4() {
    *m_alive = false;
    if (CSoundManager* manager = soundManager()) manager->remove(this);
    if (m_buffer) {
        m_buffer->stop();
        m_status = 0;
        m_buffer.reset();
    }
}

CSoundManager* CSound4::soundManager() const {
    CApplication* application = m_window ? m_window->GetApplicationInterface() : nullptr;
    return application ? application->getSoundManager() : nullptr;
}

bool CSound4::load() {
    m_buffer.reset();
    if (!m_pDirectSound) return false;
    // Compressed speech files are not sound effects (capitals only, as stored).
    const CXString fileName = getFileName();
    const char* name = fileName.c_str();
    const size_t length = std::strlen(name);
    if (length >= 4 && std::memcmp(name + length - 4, ".SPX", 4) == 0) return false;
    CFile file(m_window, fileName, CFile::kReadBinary);
    if (file.LastError() != 0) return false;
    int32_t tag = 0;
    if (!CSoundCodec::readFormatTag(&file, &tag)) return false;
    CSoundCodec* codec = CSoundCodec::getCodec(tag);
    if (!codec) return false;
    codec->decode(&file);
    bool ok = false;
    if (CDataBuffer* data = codec->getBufferIfc()) {
        const uint32_t bytes = static_cast<uint32_t>(data->getCount());
        std::unique_ptr<platform::IAudioBuffer> buffer;
        if (m_pDirectSound->createBuffer({kSecondaryFlags, bytes, codec->getDesc()}, &buffer) ==
                platform::kAudioOk && buffer) {
            void* part1 = nullptr;
            void* part2 = nullptr;
            uint32_t bytes1 = 0, bytes2 = 0;
            if (buffer->lock(0, bytes, &part1, &bytes1, &part2, &bytes2, 0) == platform::kAudioOk) {
                std::memcpy(part1, data->getBuffer(), bytes1);
                buffer->unlock(part1, bytes1, part2, bytes2);
                ok = true;
            }
            m_buffer = std::move(buffer);  // kept even when the lock failed
        }
    }
    codec->flush();
    file.Close();
    return ok;
}

bool CSound4::Load(CXString fileName) {
    m_buffer.reset();
    setFilename(fileName);
    return load();
}

void CSound4::Flush() { m_buffer.reset(); }

void CSound4::SetPosition(int position) {
    if (m_buffer) m_buffer->setCurrentPosition(static_cast<uint32_t>(position));
}

void CSound4::seek(int position) { SetPosition(position); }

void CSound4::Play() {
    if (!m_buffer) load();
    if (!m_buffer) return;
    m_buffer->setCurrentPosition(m_playPosition);
    if (CSoundManager* manager = soundManager()) manager->play(this);
    m_buffer->play(false);
    m_playPosition = 0;
    m_notifyWhenFinished = true;
    const int before = m_status;
    m_status = kStatusPlaying;
    notify(before == kStatusPaused ? kResumed : kStarted);
}

void CSound4::Play(bool loop) {
    if (!m_buffer) load();
    if (!m_buffer) return;
    m_buffer->setCurrentPosition(0);
    m_buffer->play(loop);
    m_notifyWhenFinished = true;
    notify(kStarted);
}

void CSound4::play() {
    m_playPosition = 0;
    Play();
}

void CSound4::Stop() {
    if (m_buffer) m_buffer->stop();
    m_status = 0;
}

void CSound4::stop(bool notify) {
    m_notifyWhenFinished = notify;
    Stop();
}

void CSound4::pause() {
    if (m_status != kStatusPlaying) return;
    uint32_t cursor = 0;
    if (m_buffer && m_buffer->getCurrentPosition(&cursor, nullptr) == platform::kAudioOk) m_playPosition = cursor;
    Stop();
    m_status = kStatusPaused;
}

void CSound4::resume() {
    if (m_status == kStatusPaused) Play();
}

bool CSound4::IsPlaying() {
    if (!m_buffer) return false;
    uint32_t status = 0;
    return m_buffer->getStatus(&status) == platform::kAudioOk && (status & platform::kStatusPlaying) != 0;
}

bool CSound4::isPlaying() { return IsPlaying(); }

void CSound4::OnWAVFinished() {
    // An observer may delete the sound while it hears the finish.
    const std::shared_ptr<bool> alive = m_alive;
    if (m_notifyWhenFinished) notify(kFinished);
    if (!*alive) return;
    m_notifyWhenFinished = true;
    // A finish handler that played the sound again keeps it.
    if (m_flushAfterPlayed && m_buffer && !IsPlaying() && m_status != kStatusPaused) m_buffer.reset();
}

void CSound4::setVolume(int volume) {
    if (m_buffer) m_buffer->setVolume(volume);
    m_volume = volume;
}

void CSound4::setPanning(int panning) {
    if (m_buffer) m_buffer->setPan(panning);
    m_panning = panning;
}

void CSound4::setFrequency(int frequency) {
    if (m_buffer) m_buffer->setFrequency(static_cast<uint32_t>(frequency));
    m_frequency = frequency;
}

CRandomSound4::CRandomSound4(CWindow* window, CXString names, bool flushAfterPlayed, bool preload)
    : CSound4(window) {
    CStringTokenizer tokens(names, CXString(";"));
    while (tokens.hasMoreTokens()) {
        CXString name = tokens.nextToken();
        if (std::strchr(name.c_str(), ':') == nullptr && window) name = window->GetSoundFXFullPath(name);
        m_sounds.push_back(new CSound4(window, name, flushAfterPlayed, preload));
    }
}

CRandomSound4::~CRandomSound4() {
    for (CSound4* s : m_sounds) delete s;
    m_sounds.clear();
    m_current = nullptr;
}

void CRandomSound4::setVolume(int volume) {
    for (CSound4* s : m_sounds) s->setVolume(volume);
}

void CRandomSound4::setPanning(int panning) {
    for (CSound4* s : m_sounds) s->setPanning(panning);
}

void CRandomSound4::setFrequency(int frequency) {
    for (CSound4* s : m_sounds) s->setFrequency(frequency);
}

void CRandomSound4::Play(bool loop) {
    if (m_sounds.empty()) return;
    m_current = m_sounds[static_cast<size_t>(crt::rand()) % m_sounds.size()];
    m_current->Play(loop);
}

void CRandomSound4::Play() {
    if (m_sounds.empty()) return;
    m_current = m_sounds[static_cast<size_t>(crt::rand()) % m_sounds.size()];
    m_current->Play();
}

void CRandomSound4::Stop() {
    if (m_current) m_current->Stop();
}

bool CRandomSound4::IsPlaying() { return m_current && m_current->IsPlaying(); }

namespace {

// Animations' frame sounds: effects, or a random pick for a list; streamed sounds for
// the animations that ask for them (none when the file cannot stream).
class SoundEffectFactory : public CFrameSoundFactory {
public:
    CPlayable* createSound(CWindow* window, CXString path, bool severalSounds) override {
        if (severalSounds) return new CRandomSound4(window, path, false, true);
        return new CSound4(window, path, false, true);
    }
    CPlayable* createStream(CWindow* window, CXString path) override {
        auto* stream = new CStreamedSound(window, path);
        if (stream->isOpen()) return stream;
        delete stream;
        return nullptr;
    }
};

SoundEffectFactory g_frameSounds;

}  // namespace

void CSound4::installFrameSoundFactory(bool install) {
    if (install) CFrameSoundFactory::install(&g_frameSounds);
    else if (CFrameSoundFactory::get() == &g_frameSounds) CFrameSoundFactory::install(nullptr);
}
