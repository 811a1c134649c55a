// The window's background music: at most one stream, and the name of the file it
// plays.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CSndStream;
class CWindow;

class CBackgroundMusic : public CXObject {
public:
    explicit CBackgroundMusic(CWindow* window);
    ~CBackgroundMusic() override;
    CBackgroundMusic(const CBackgroundMusic&) = delete;
    CBackgroundMusic& operator=(const CBackgroundMusic&) = delete;

    // Stops the music that plays and streams the file, looped or once. A file that
    // cannot stream leaves its error code and no music; true when it plays.
    bool start(CXString fileName, bool loop);
    void stop();
    bool isPlaying() const;
    // Passed to the stream (volume and pan in hundredths of a decibel, frequency in
    // Hz); nothing, or 0, without one.
    void setVolume(int32_t volume);
    void setPan(int32_t pan);
    void setFreq(int32_t frequency);
    int32_t getVolume() const;

    // The file of the music started last.
    CXString getFileName() const { return m_fileName; }
    CSndStream* getStream() const { return m_stream.get(); }

private:
    CWindow* m_window;
    std::unique_ptr<CSndStream> m_stream;
    CXString m_fileName;
};
