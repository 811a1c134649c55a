// Sequence files from untrusted bytes: the input is the file "SEQ.SEQ", read beside an
// ANIMO (over an animation with talk events) and a SOUND of the scene a unit runs, with
// the unit's resources manager; the tree it gives is played, stepped on the manual
// clock, played by name, sought, paused, stopped and deleted.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ScriptFuzzSupport.h"
#include "fuzz/FuzzScratch.h"
#include "foundation/CXArray.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CSequencedPlayable.h"
#include "media/sequence/CMultimediaSequenceCreator.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "shell/CSound4.h"
#include "shell/CSoundCodec.h"
#include "shell/CUnit6.h"
#include "shell/CWAVFile.h"

namespace {

class UnitScene : public CMC_ObjectsContainer, public CUnitScene {
public:
    explicit UnitScene(CWindow* window) : CMC_ObjectsContainer(window, nullptr, CXString("ROOM"), kScene) {}
    bool shouldMusicBeStarted() override { return false; }
    CXString getMusicFilename() override { return CXString(); }
};

struct Observer : CPlayableObserver {
    bool onPlayableStarted(CPlayable*) override { return false; }
};

// TALK.ANN (two frames; events 1, 2, START, STOP, END, A_1, A_START, DOOR) and
// HELLO.WAV (50 ms) in the current folder.
void writeFiles() {
    CAnimo animation(nullptr);
    CGraphicsObject frame(nullptr, CXSize(2, 2), 16);
    animation.AddFrame(&frame);
    animation.AddFrame(&frame);
    for (const char* name : {"1", "2", "START", "STOP", "END", "A_1", "A_START", "DOOR"}) {
        _annEventInfo3 event;
        event.name = CXString(name);
        event.frames = {0, 1};
        animation.AddEvent(event);
    }
    animation.Save(CXString("TALK.ANN"), COMPRESSION_NONE);
    const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
    CWAVFile wav;
    if (wav.open("HELLO.WAV", &format, CWAVFile::kModeWrite) != CWAVFile::kOk) std::abort();
    const std::vector<uint8_t> samples(2205, 0x10);
    uint32_t written = 0;
    wav.write(static_cast<uint32_t>(samples.size()), samples.data(), &written);
    wav.close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::ManualAudioSystem audio;
    static platform::ManualClock clock(1000);
    static CUnit6* unit = nullptr;
    CWindow* window = fuzz::world();
    if (!unit) {
        audio.setRecording(false);
        platform::setAudio(&audio);
        platform::setClock(&clock);
        CSound4::CreateDirectSoundInterface(nullptr);
        CSoundCodec::init_codecs();
        if (chdir(fuzz::scratchFolder("sequence").c_str()) != 0) std::abort();
        writeFiles();
        window->SetSoundFXPath(CXString(platform::toEnginePath(fuzz::scratchFolder("sequence")).c_str()));
        unit = new CUnit6(window, CXString("ROOM"));
    }
    FILE* f = std::fopen("SEQ.SEQ", "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    CMC_StepBudget::set(fuzz::kStepBudget);
    const char* text =
        "OBJECT=DOOR\nDOOR:TYPE=ANIMO\nDOOR:FILENAME=TALK.ANN\nOBJECT=VOICE\nVOICE:TYPE=SOUND\n"
        "VOICE:FILENAME=HELLO.WAV\n";
    std::vector<char> bytes(text, text + std::char_traits<char>::length(text));
    CTextFileReader reader(window, bytes.data(), static_cast<int>(bytes.size()));
    CMElements* elements = CMElementsLoader::load(window, &reader);
    if (!elements) std::abort();
    auto* scene = new UnitScene(window);
    delete CMC_TypeTable::resolveObjects(scene, elements);
    delete elements;
    unit->initialize(scene, nullptr);
    window->setCurrentUnit(unit);
    fuzz::enterScene(scene);

    Observer observer;
    CMultimediaSequenceCreator::Made made;
    CPlayable* root =
        CMultimediaSequenceCreator::load(window, CXString("SEQ.SEQ"), unit->getResourcesManager(), &observer, &made);
    if (root) {
        auto* tree = dynamic_cast<CSequencedPlayable*>(root);
        root->play();
        for (int step = 0; step < 40; ++step) {
            clock.advance(70);
            if (tree) {
                CXArray* animations = tree->getAllAnimations();
                for (int i = 0; i < animations->getCount(); ++i) static_cast<CAnimo*>(animations->at(i))->next();
                delete animations;
            } else if (CAnimo* animation = root->getAnimation()) {
                animation->next();
            }
            if (tree) root->next();
            if (step == 10) root->play(CXString("GO"));
            if (step == 20) root->seek(CSequencedPlayable::kSeekFirst);
            if (step == 25) root->seek(CPlayable::kSeekForward);
            if (step == 30) root->pause();
            if (step == 32) root->resume();
        }
        if (tree) {
            tree->getPlaying();
            tree->getLastPlayedEvent(CXString("SEQ"));
            tree->get(CXString("1A2"));
            tree->getBoundingBox(1);
            delete tree->getAllOfType(1);
        }
        root->stop(true);
        for (const auto& [playable, alive] : made.playables)
            if (*alive && playable->getGenericNotifier() == &observer) playable->setGenericNotifier(nullptr);
        if (!made.rootShared) delete root;
    }
    scene->unload();
    unit->done(scene, nullptr);
    window->setCurrentUnit(nullptr);
    delete scene;
    fuzz::applicationStep();
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    return 0;
}
