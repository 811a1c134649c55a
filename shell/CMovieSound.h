// A movie's sound track as a music stream: the sound the movie's decoder pulls, at the
// mix format (the primary buffer's rate and channels, 16-bit), streamed through a
// CSndStream whose buffer holds a quarter of a second. The buffer starts playing when
// the movie's clock starts, filled from the sound of the movie's start (or of the time
// a seek went to), so what is heard at a moment is the sound of the picture due then;
// a pause keeps what the buffer had not played yet and a resume plays it first. When
// the decoder has nothing yet the stream gets silence: the sound never ends by itself,
// the movie stops it. The sound subsystem installs the maker, so every movie opened
// with a sound track plays it.
#pragma once
#include <memory>

#include "graphics/play/CMoviePlayable.h"

class CSndStream;
class CWindow;

class CMovieSound : public CMovieSoundOutput {
public:
    // Milliseconds of sound the stream's buffer holds.
    static constexpr uint32_t kBufferMs = 250;

    // Null without a sound device, with sound off, or when no buffer can be made.
    static std::unique_ptr<CMovieSoundOutput> make(CWindow* window, CMoviePlayable::SoundPull pull,
                                                   platform::VideoAudioFormat* format);
    ~CMovieSound() override;

    void play() override;
    void stop() override;
    void pause() override;
    void resume() override;
    CSndStream* getStream() const { return m_stream.get(); }

private:
    class PulledSource;
    CMovieSound(std::unique_ptr<CSndStream> stream, PulledSource* source)
        : m_stream(std::move(stream)), m_source(source) {}

    std::unique_ptr<CSndStream> m_stream;
    // The stream's source, which the stream owns.
    PulledSource* m_source;
};
