// A sound effect built from a definition element.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CSoundManager.h"
#include "shell/CWAVFile.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

TEST(SoundElement, TakesItsFileFromTheEffectsFolderAndStaysOutOfTheSoundManager) {
    platform::ManualClock clock{0};
    platform::ScopedClock clockScope{clock};
    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::TempDir dir;
    dir.mkdir("wavs");
    {
        const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
        CWAVFile file;
        ASSERT_EQ(file.open(dir.native("wavs/hit.wav").c_str(), &format, 2), CWAVFile::kOk);
        const std::vector<uint8_t> samples(4410, 0x10);
        uint32_t written = 0;
        ASSERT_EQ(file.write(4410, samples.data(), &written), CWAVFile::kOk);
        ASSERT_EQ(file.close(), CWAVFile::kOk);
    }
    CWindow window;
    CApplication application(&window, CXString(), CXString(), nullptr);
    window.SetSoundFXPath(CXString(dir.engine("wavs").c_str()));

    std::unique_ptr<CMElement> full(test::makeElement(
        "S", {{"FILENAME", "hit.wav"}, {"PRELOAD", "TRUE"}, {"LOOP", "TRUE"}, {"FLUSHAFTERPLAYED", "TRUE"}}));
    CSound4 sound(&window, full.get());
    EXPECT_EQ(std::string(sound.GetFileName().c_str()), dir.engine("wavs") + "\\hit.wav");
    EXPECT_TRUE(sound.hasBuffer());
    EXPECT_TRUE(sound.getLoop());
    EXPECT_EQ(application.getSoundManager()->getCount(), 0);

    std::unique_ptr<CMElement> bare(test::makeElement("T", {{"PRELOAD", "TRUE"}}));
    CSound4 empty(&window, bare.get());
    EXPECT_EQ(std::string(empty.GetFileName().c_str()), dir.engine("wavs") + "\\");
    EXPECT_FALSE(empty.hasBuffer());
    EXPECT_FALSE(empty.getLoop());
    EXPECT_EQ(audio.callsStartingWith("device createBuffer 4410").size(), 1u);
}
