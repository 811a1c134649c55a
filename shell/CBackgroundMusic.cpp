#include "shell/CBackgroundMusic.h"

#include "shell/CSndStream.h"

CBackgroundMusic::CBackgroundMusic(CWindow* window) : m_window(window) {}

CBackgroundMusic::~CBackgroundMusic() { stop(); }

bool CBackgroundMusic::start(CXString fileName, bool loop) {
    stop();
    setErrorCode(0);
    auto stream = std::make_unique<CSndStream>(m_window, fileName);
    if (stream->LastError() != 0) {
        setErrorCode(stream->LastError());
        m_fileName = CXString();
        return false;
    }
    m_stream = std::move(stream);
    m_fileName = fileName;
    m_stream->Play(loop);
    return true;
}

void CBackgroundMusic::stop() { m_stream.reset(); }

bool CBackgroundMusic::isPlaying() const { return m_stream && m_stream->IsPlaying(); }

void CBackgroundMusic::setVolume(int32_t volume) {
    if (m_stream) m_stream->setVolume(volume);
}

void CBackgroundMusic::setPan(int32_t pan) {
    if (m_stream) m_stream->setPan(pan);
}

void CBackgroundMusic::setFreq(int32_t frequency) {
    if (m_stream) m_stream->setFreq(frequency);
}

int32_t CBackgroundMusic::getVolume() const { return m_stream ? m_stream->getVolume() : 0; }
