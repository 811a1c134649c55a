// TEXT and EDITBOX objects read back from a scene's binary image draw their texts as
// they did from the definition file: the FONT they draw with comes back with its
// letters.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/CXArchive.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"
#include "media/CMC_Font.h"
#include "platform/Presenter.h"
#include "scene/CMC_Scene.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "support/DefaultUnitStage.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

class SceneImageText : public ::testing::Test {
protected:
    SceneImageText() {
        EXPECT_TRUE(world.enableDisplay());
        world.dir().write("std.fnt", textfix::blockFont(textfix::textLetters(), 5, 8));
        stage = std::make_unique<test::DefaultUnitStage>(world);
    }

    // Pixels of the front buffer inside the rectangle that differ from the one at (0, 0).
    int inkIn(int left, int top, int right, int bottom) {
        platform::RgbFrame frame;
        if (!platform::readPng(world.frontBufferPng("ink.png"), frame)) return -1;
        auto at = [&frame](int x, int y) {
            const size_t i = (static_cast<size_t>(y) * frame.width + x) * 3;
            return (frame.rgb[i] << 16) | (frame.rgb[i + 1] << 8) | frame.rgb[i + 2];
        };
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) ink += at(x, y) != at(0, 0);
        return ink;
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    std::unique_ptr<test::DefaultUnitStage> stage;
};

TEST_F(SceneImageText, TextAndEditBoxReadBackDrawTheirTexts) {
    world.writeDefinition("SC.cnv", {"OBJECT=F", "F:TYPE=FONT", "F:DEF_A_STANDARD_10=std.fnt",
                                     "F:DEF_A_BOLD_10=std.fnt", "OBJECT=T", "T:TYPE=TEXT", "T:FONT=F",
                                     "T:RECT=10,10,200,40", "T:HJUSTIFY=LEFT", "T:VJUSTIFY=TOP",
                                     "T:TOCANVAS=TRUE", "T:VISIBLE=TRUE", "T:PRIORITY=4", "T:TEXT=abc",
                                     "OBJECT=E", "E:TYPE=EDITBOX", "E:FONT=F", "E:RECT=10,100,200,140",
                                     "E:TEXT=abc"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    world.frames(2);
    const uint64_t fromDefinition = world.frontBufferHash();
    const int textInk = inkIn(10, 10, 200, 40);
    const int boxInk = inkIn(10, 100, 200, 140);
    ASSERT_GT(textInk, 0);
    ASSERT_GT(boxInk, 0);
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    scene.reset();
    world.applicationStep();
    world.window()->Invalidate();
    world.frames(2);
    ASSERT_EQ(inkIn(10, 10, 200, 140), 0);

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    auto* font = dynamic_cast<CMC_Font*>(copy->getObject(CXString("F")));
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->getFontsList().size(), 2u);
    EXPECT_EQ(font->getFontsList()[1]->getStyle(), CXString("BOLD"));
    EXPECT_EQ(font->getFontsList()[1]->getLetterCount(), static_cast<int>(textfix::textLetters().size()));
    world.frames(2);
    EXPECT_EQ(inkIn(10, 10, 200, 40), textInk);
    EXPECT_EQ(inkIn(10, 100, 200, 140), boxInk);
    EXPECT_EQ(world.frontBufferHash(), fromDefinition);
    // The copy writes the same image.
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->writeImage(&a); }), bytes);
    copy.reset();
    world.frames(2);
}

// The font files follow the records; an image without them (or with a damaged block)
// reads every record as before, with fonts that have their labels and no letters.
TEST_F(SceneImageText, ImagesWithoutTheFontFilesReadAsBefore) {
    world.writeDefinition("SC.cnv", {"OBJECT=F", "F:TYPE=FONT", "F:DEF_A_STANDARD_10=std.fnt", "OBJECT=T",
                                     "T:TYPE=TEXT", "T:FONT=F", "T:RECT=10,10,200,40", "T:TEXT=abc"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    const std::string block = test::le32(0) + test::le32(1) + test::archiveString("std.fnt");
    const std::string footer = test::le32(1) + test::le32(static_cast<int>(block.size())) + "SUPPLMNT";
    ASSERT_EQ(bytes.substr(bytes.size() - block.size() - footer.size()), block + footer);
    const std::string records = bytes.substr(0, bytes.size() - block.size() - footer.size());
    auto patched = [&](size_t at, const std::string& with) {
        std::string b = bytes;
        b.replace(bytes.size() - footer.size() + at, with.size(), with);
        return b;
    };
    struct Case {
        const char* what;
        std::string image;
        int letters;
    };
    const int all = static_cast<int>(textfix::textLetters().size());
    for (const Case& c : {Case{"whole", bytes, all}, Case{"records only", records, 0},
                          Case{"other tag", patched(8, "SUPPLMNX"), 0},
                          Case{"length past the records", patched(4, test::le32(1 << 20)), 0},
                          Case{"length short of the entries", patched(4, test::le32(8)), 0},
                          Case{"more entries than fit", patched(0, test::le32(3)), 0}}) {
        auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
        test::readArchive(c.image, [&](CXArchive& a) { copy->readImage(&a); });
        EXPECT_EQ(copy->getElementsNo(), scene->getElementsNo()) << c.what;
        auto* font = dynamic_cast<CMC_Font*>(copy->getObject(CXString("F")));
        ASSERT_NE(font, nullptr) << c.what;
        ASSERT_EQ(font->getFontsList().size(), 1u) << c.what;
        EXPECT_EQ(font->getFontsList()[0]->getStyle(), CXString("STANDARD")) << c.what;
        EXPECT_EQ(font->getFontsList()[0]->getLetterCount(), c.letters) << c.what;
        copy.reset();
        world.applicationStep();
    }
}

}  // namespace
