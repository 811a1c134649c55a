#include "shell/CSndStream.h"

#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/PeriodicTimer.h"
#include "shell/CSound4.h"
#include "shell/CStreamedWAV.h"
#include "shell/CWindow.h"

CSndStream::CSndStream(CWindow* window) : m_window(window) {
    m_primaryBuffer = CSound4::CreatePrimarySoundBuffer(window);
}

CSndStream::CSndStream(CWindow* window, CXString fileName) : CSndStream(window) {
    Open(fileName);
}

CSndStream::~CSndStream() {
    Stop();
    Close();
    m_reader.reset();
    m_buffer = nullptr;
}

void CSndStream::Initialize() {
    killTimer();
    m_opened = false;
    m_playing = false;
    m_primaryBuffer = CSound4::CreatePrimarySoundBuffer(m_window);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_buffer = nullptr;
}

bool CSndStream::Open(CXString fileName) {
    if (!StreamBufferSetup(fileName)) return false;
    m_opened = true;
    m_buffer->setCurrentPosition(0);
    return true;
}

bool CSndStream::StreamBufferSetup(CXString fileName) {
    // The old reader owns the buffer that plays: no refill may touch it any more.
    killTimer();
    if (m_playing && m_buffer) m_buffer->stop();
    m_playing = false;
    m_opened = false;
    setErrorCode(0);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_buffer = nullptr;
    m_reader.reset();
    platform::IAudioBuffer* buffer = nullptr;
    auto reader = std::make_unique<CStreamedWAV>(m_window, fileName, &buffer, &m_format);
    if (reader->LastError() != 0) {
        setErrorCode(reader->LastError());
        return false;
    }
    return adoptLocked(std::move(reader), buffer);
}

bool CSndStream::Open(std::unique_ptr<CSndStreamSource> source, platform::IAudioBuffer* buffer,
                      const platform::WaveFormat& format) {
    killTimer();
    if (m_playing && m_buffer) m_buffer->stop();
    m_playing = false;
    m_opened = false;
    setErrorCode(0);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_buffer = nullptr;
        m_reader.reset();
        m_format = format;
        if (!source || !adoptLocked(std::move(source), buffer)) return false;
    }
    m_opened = true;
    m_buffer->setCurrentPosition(0);
    return true;
}

bool CSndStream::adoptLocked(std::unique_ptr<CSndStreamSource> reader, platform::IAudioBuffer* buffer) {
    if (!buffer) {
        setErrorCode(CStreamedWAV::kErrorBuffer);
        return false;
    }
    m_reader = std::move(reader);
    m_buffer = buffer;
    m_bufferSize = m_reader->GetBufferSize();
    m_foundEnd = false;
    m_donePlaying = false;
    m_bytesRemaining = 0;
    fillLocked();
    return true;
}

void CSndStream::silence(void* part, uint32_t bytes) const {
    if (part && bytes) std::memset(part, m_format.bitsPerSample == 8 ? 0x80 : 0, bytes);
}

uint32_t CSndStream::readPart(uint8_t* part, uint32_t bytes, bool restart, bool* restarted) {
    int got = m_reader->Read(static_cast<int>(bytes), part);
    if (got < 0) got = 0;
    while (static_cast<uint32_t>(got) < bytes && restart) {
        m_reader->StartRead();
        const int more = m_reader->Read(static_cast<int>(bytes) - got, part + got);
        // No data to start again with: the rest stays as it is.
        if (more <= 0) break;
        if (restarted) *restarted = true;
        got += more;
    }
    return static_cast<uint32_t>(got);
}

void CSndStream::fillLocked() {
    m_nextWriteOffset = 0;
    m_progress = 0;
    m_fillEnd = -1;
    if (!m_buffer || !m_reader || m_bufferSize == 0) return;
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (m_buffer->lock(0, m_bufferSize, &part1, &bytes1, &part2, &bytes2, 0) != platform::kAudioOk) return;
    silence(part1, bytes1);
    auto* bytes = static_cast<uint8_t*>(part1);
    const uint32_t first = readPart(bytes, bytes1, false, nullptr);
    if (first < bytes1) {
        m_fillEnd = first;
        readPart(bytes + first, bytes1 - first, true, nullptr);
    }
    m_buffer->unlock(part1, bytes1, part2, bytes2);
}

void CSndStream::FillDataBuffer() {
    std::lock_guard<std::mutex> lock(m_mutex);
    fillLocked();
}

void CSndStream::ResetWavePlayer() {
    if (!m_buffer) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reader) m_reader->StartRead();
    m_foundEnd = false;
    m_bytesRemaining = 0;
    fillLocked();
    m_donePlaying = false;
}

void CSndStream::killTimer() {
    if (m_timerId && m_timer) m_timer->remove(m_timerId);
    m_timerId = 0;
    m_timer = nullptr;
    m_timerRunning = false;
}

void CSndStream::Play(bool loop) {
    if (!m_buffer) return;
    killTimer();
    m_buffer->setCurrentPosition(0);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_looped = loop;
        if (!loop && m_fillEnd >= 0 && !m_foundEnd) {
            // The opening fill started the data again; unlooped music plays it once.
            void* part1 = nullptr;
            void* part2 = nullptr;
            uint32_t bytes1 = 0, bytes2 = 0;
            if (m_buffer->lock(0, m_bufferSize, &part1, &bytes1, &part2, &bytes2, 0) == platform::kAudioOk) {
                const auto end = static_cast<uint32_t>(m_fillEnd);
                if (end < bytes1) silence(static_cast<uint8_t*>(part1) + end, bytes1 - end);
                m_buffer->unlock(part1, bytes1, part2, bytes2);
            }
            m_foundEnd = true;
            m_bytesRemaining = static_cast<uint32_t>(m_fillEnd);
        }
    }
    // Without a timer the buffer plays its 1.2 seconds over and over.
    m_timer = &platform::periodicTimer();
    m_timerId = m_timer->add(kRefillPeriod, [this] { TimeFunc(); });
    m_timerRunning = m_timerId != 0;
    if (!m_timerRunning) m_timer = nullptr;
    m_buffer->play(true);
    m_playing = true;
}

void CSndStream::Stop() {
    if (!m_buffer) return;
    killTimer();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_donePlaying = true;
    }
    if (m_playing) {
        m_playing = false;
        m_buffer->stop();
    }
}

void CSndStream::Close() {
    if (!m_opened || !m_buffer) return;
    killTimer();
    // A refill still inside the stream (one run by hand on another thread) holds the
    // lock: taking it waits for that refill, and none comes after.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_donePlaying = true;
    if (m_playing) m_buffer->stop();
    m_playing = false;
    m_buffer = nullptr;
    m_reader.reset();
    m_opened = false;
}

void CSndStream::Resume() {
    if (!m_reader || !m_buffer) return;
    killTimer();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int64_t back = 2 * int64_t(m_bufferSize);
        const int64_t position = m_reader->getPosition();
        m_reader->setPosition(position > back ? static_cast<int32_t>(position - back) : 0);
        m_foundEnd = false;
        m_donePlaying = false;
        m_bytesRemaining = 0;
        m_bufferSize = m_reader->GetBufferSize();
        fillLocked();
    }
    Play(false);
}

bool CSndStream::IsPlaying() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_playing && !m_donePlaying;
}

void CSndStream::setVolume(int volume) {
    if (m_buffer) m_buffer->setVolume(volume);
}

void CSndStream::setPan(int pan) {
    if (m_buffer) m_buffer->setPan(pan);
}

void CSndStream::setFreq(int frequency) {
    if (m_buffer) m_buffer->setFrequency(static_cast<uint32_t>(frequency));
}

int32_t CSndStream::getVolume() const {
    int32_t volume = 0;
    if (m_buffer) m_buffer->getVolume(&volume);
    return volume;
}

uint32_t CSndStream::GetProgress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_progress;
}

uint32_t CSndStream::GetNextWriteOffset() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nextWriteOffset;
}

uint32_t CSndStream::GetBytesRemaining() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytesRemaining;
}

uint32_t CSndStream::GetBufferSize() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bufferSize;
}

uint16_t CSndStream::GetBitsPerSample() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_format.bitsPerSample;
}

bool CSndStream::DonePlaying() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_donePlaying;
}

bool CSndStream::IsLooped() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_looped;
}

bool CSndStream::FoundEnd() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_foundEnd;
}

void CSndStream::AddNextWriteOffset(int bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nextWriteOffset += static_cast<uint32_t>(bytes);
}

void CSndStream::SetDonePlaying(bool done) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_donePlaying = done;
}

void CSndStream::SetFoundEnd(bool found) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_foundEnd = found;
}

void CSndStream::SetBytesRemaining(int bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bytesRemaining = static_cast<uint32_t>(bytes);
}

void CSndStream::MoveProgress(int bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_progress += static_cast<uint32_t>(bytes);
}

void CSndStream::SWStartRead() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reader) m_reader->StartRead();
}

void CSndStream::SWClose() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reader) m_reader->Close();
}

int CSndStream::SWRead(int count, void* destination) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reader ? m_reader->Read(count, destination) : 0;
}

void CSndStream::loopStarted() {
    if (m_window) m_window->musicLooped();
}

void CSndStream::silenceWholeBuffer() {
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (m_buffer->lock(0, m_bufferSize, &part1, &bytes1, &part2, &bytes2, 0) != platform::kAudioOk) return;
    silence(part1, bytes1);
    silence(part2, bytes2);
    m_buffer->unlock(part1, bytes1, part2, bytes2);
}

void CSndStream::TimeFunc() {
    bool restarted = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        restarted = refillLocked();
    }
    // Told with the lock released: nothing the window does can wait for this stream.
    if (restarted) loopStarted();
}

bool CSndStream::refillLocked() {
    if (!m_buffer || !m_reader || m_bufferSize == 0 || m_donePlaying) return false;

    uint32_t playCursor = 0;
    if (m_buffer->getCurrentPosition(&playCursor, nullptr) != platform::kAudioOk) return false;
    if (playCursor == m_nextWriteOffset) return false;
    const uint32_t distance = playCursor > m_nextWriteOffset ? playCursor - m_nextWriteOffset
                                                             : m_bufferSize - m_nextWriteOffset + playCursor;
    m_progress += distance;

    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (m_buffer->lock(m_nextWriteOffset, distance, &part1, &bytes1, &part2, &bytes2, 0) != platform::kAudioOk) {
        platform::outputDebugString("TimeFunc() could not lock DirectSoundBuffer");
        return false;
    }
    bool restarted = false;
    if (m_foundEnd) {
        // Draining: what was played becomes silence until the last sound has been heard.
        silence(part1, bytes1);
        silence(part2, bytes2);
        m_bytesRemaining = m_bytesRemaining > distance ? m_bytesRemaining - distance : 0;
    } else {
        uint32_t written = 0;
        void* parts[2] = {part1, part2};
        const uint32_t sizes[2] = {bytes1, bytes2};
        for (int i = 0; i < 2; ++i) {
            if (!parts[i] || sizes[i] == 0) continue;
            auto* bytes = static_cast<uint8_t*>(parts[i]);
            if (m_foundEnd) {
                silence(bytes, sizes[i]);
                continue;
            }
            const uint32_t got = readPart(bytes, sizes[i], m_looped, &restarted);
            if (got < sizes[i]) {
                // The data ended (looped data ends only when there is none to start
                // again with): what was written before this refill, and this refill's
                // data, are still to be heard.
                silence(bytes + got, sizes[i] - got);
                m_foundEnd = true;
                m_bytesRemaining = m_bufferSize - distance + written + got;
            }
            written += sizes[i];
        }
    }
    m_buffer->unlock(part1, bytes1, part2, bytes2);
    m_nextWriteOffset += distance;
    if (m_nextWriteOffset >= m_bufferSize) m_nextWriteOffset -= m_bufferSize;
    if (m_foundEnd && m_bytesRemaining == 0) {
        // Everything has been heard and the refills silenced what played; whatever a
        // late refill could not reach becomes silence too, and the buffer goes on over it.
        m_donePlaying = true;
        silenceWholeBuffer();
    }
    return restarted;
}

CStreamedSound::CStreamedSound(CWindow* window, CXString fileName)
    : CPlayable(window), m_stream(std::make_unique<CSndStream>(window, fileName)) {}

CStreamedSound::~CStreamedSound() = default;

void CStreamedSound::play() {
    if (!isOpen()) return;
    if (m_status != 0) m_stream->ResetWavePlayer();
    m_stream->Play(false);
    m_status = kStatusPlaying;
}

void CStreamedSound::stop(bool) {
    m_stream->Stop();
    m_status = 0;
}

void CStreamedSound::pause() {
    if (m_status != kStatusPlaying) return;
    m_stream->Pause();
    m_status = kStatusPaused;
}

void CStreamedSound::resume() {
    if (m_status != kStatusPaused) return;
    m_stream->Resume();
    m_status = kStatusPlaying;
}

bool CStreamedSound::isPlaying() { return m_stream->IsPlaying(); }

void CStreamedSound::setVolume(int volume) {
    m_stream->setVolume(volume);
    m_volume = volume;
}

void CStreamedSound::setPanning(int panning) {
    m_stream->setPan(panning);
    m_panning = panning;
}

void CStreamedSound::setFrequency(int frequency) {
    m_stream->setFreq(frequency);
    m_frequency = frequency;
}
