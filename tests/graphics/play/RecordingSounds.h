// Frame sounds for tests: playables that record what an animation asks of them.
#pragma once
#include <string>
#include <vector>

#include "graphics/play/CFrameSoundFactory.h"
#include "graphics/play/CPlayable.h"

struct RecordingSound : CPlayable {
    RecordingSound(std::string n, std::vector<std::string>* log) : CPlayable(nullptr), path(std::move(n)), log(log) {}
    void play() override {
        m_status = kStatusPlaying;
        log->push_back("play " + path);
    }
    void stop(bool tell) override {
        m_status = 0;
        log->push_back(std::string(tell ? "stop! " : "stop ") + path);
    }
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    void setVolume(int v) override { log->push_back("volume " + std::to_string(v) + " " + path); }
    std::string path;
    std::vector<std::string>* log;
};

// Installed for its lifetime.
struct RecordingSoundFactory : CFrameSoundFactory {
    RecordingSoundFactory() { install(this); }
    ~RecordingSoundFactory() override { install(nullptr); }
    CPlayable* createSound(CWindow*, CXString path, bool several) override {
        made.push_back(std::string(several ? "random " : "") + path.c_str());
        return new RecordingSound(path.c_str(), &log);
    }
    CPlayable* createStream(CWindow*, CXString path) override {
        made.push_back(std::string("stream ") + path.c_str());
        return new RecordingSound(path.c_str(), &log);
    }
    std::vector<std::string> made;
    std::vector<std::string> log;
};
