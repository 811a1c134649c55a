// Engine objects made straight from definition elements: which TYPE words make what,
// the file each loads and the visibility it starts with.
#include "graphics/play/CMElementCreator.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "graphics/image/CImage.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CSequencedPlayable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"
#include "tests/graphics/image/ImageTestSupport.h"
#include "tests/graphics/play/AnimationFixtures.h"

namespace {

using Properties = std::initializer_list<std::pair<const char*, const char*>>;

class ElementCreator : public ::testing::Test {
protected:
    ElementCreator() {
        dir.write("pic.img", imgtest::pik(2, 1, 16, 4, 0, 2, 3, 4, imgtest::words({0xF800, 0x001F}), "\xFF\x80"));
        dir.write("anim.ann", animfix::nv("NVP"));
    }
    // An element of the properties; "@" in a value stands for the temporary folder.
    std::unique_ptr<CMElement> element(Properties properties) {
        auto made = std::make_unique<CMElement>(CXString("E"));
        for (const auto& [key, value] : properties) {
            std::string text = value;
            if (!text.empty() && text[0] == '@') text = dir.engine(text.substr(1));
            made->addProperty(CXString(key), CXString(text.c_str()));
        }
        return made;
    }

    test::TempDir dir;
    CWindow window;
};

TEST_F(ElementCreator, ImagesComeFromCreateObjectOnly) {
    struct Case {
        const char* name;
        Properties properties;
        bool made;
        bool visible;
    };
    const Case cases[] = {
        {"visible absent", {{"TYPE", "IMAGE"}, {"FILENAME", "@pic.img"}}, true, false},
        {"visible TRUE", {{"TYPE", "IMAGE"}, {"FILENAME", "@pic.img"}, {"VISIBLE", "TRUE"}}, true, true},
        {"no file name", {{"TYPE", "IMAGE"}, {"VISIBLE", "TRUE"}}, false, false},
        {"empty file name", {{"TYPE", "IMAGE"}, {"FILENAME", ""}}, false, false},
        {"lower case", {{"TYPE", "image"}, {"FILENAME", "@pic.img"}}, false, false},
        {"animation", {{"TYPE", "ANIMO"}, {"FILENAME", "@anim.ann"}}, false, false},
        {"sequence", {{"TYPE", "SEQUENCE"}}, false, false},
        {"no type", {{"FILENAME", "@pic.img"}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = element(c.properties);
        std::unique_ptr<CXObject> made(CMElementCreator::createObject(&window, e.get()));
        auto* image = dynamic_cast<CImage*>(made.get());
        ASSERT_EQ(image != nullptr, c.made);
        if (!image) continue;
        EXPECT_EQ(image->LastError(), 0);
        EXPECT_EQ(image->Width(), 2);
        EXPECT_EQ(image->GetPosition(), CXPoint(3, 4));
        EXPECT_EQ(image->isVisible(), c.visible);
    }
    // A file that does not load still gives an image, with the file's error.
    auto missing = element({{"TYPE", "IMAGE"}, {"FILENAME", "@none.img"}});
    std::unique_ptr<CXObject> made(CMElementCreator::createObject(&window, missing.get()));
    ASSERT_NE(dynamic_cast<CImage*>(made.get()), nullptr);
    EXPECT_NE(made->LastError(), 0);
    EXPECT_EQ(CMElementCreator::createObject(&window, nullptr), nullptr);
}

TEST_F(ElementCreator, AnimationsAndSequencesComeFromCreatePlayable) {
    struct Case {
        const char* name;
        Properties properties;
        int type;  // of the playable made; 0 for none
        bool visible;
    };
    const Case cases[] = {
        {"visible absent", {{"TYPE", "ANIMO"}, {"FILENAME", "@anim.ann"}}, CAnimo::kPlayableType, false},
        {"visible TRUE", {{"TYPE", "ANIMO"}, {"FILENAME", "@anim.ann"}, {"VISIBLE", "TRUE"}}, CAnimo::kPlayableType,
         true},
        {"animation without a file", {{"TYPE", "ANIMO"}, {"VISIBLE", "TRUE"}}, 0, false},
        {"sequence without a file", {{"TYPE", "SEQUENCE"}}, CSequencedPlayable::kPlayableType, false},
        {"lower case", {{"TYPE", "animo"}, {"FILENAME", "@anim.ann"}}, 0, false},
        {"image", {{"TYPE", "IMAGE"}, {"FILENAME", "@pic.img"}}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = element(c.properties);
        std::unique_ptr<CPlayable> made(CMElementCreator::createPlayable(&window, e.get()));
        ASSERT_EQ(made ? made->getType() : 0, c.type);
        auto* animation = dynamic_cast<CAnimo6*>(made.get());
        if (c.type != CAnimo::kPlayableType) continue;
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(animation->GetNOF(), 2) << "the file is loaded";
        EXPECT_EQ(animation->isVisible(), c.visible);
    }
    EXPECT_EQ(CMElementCreator::createPlayable(&window, nullptr), nullptr);
}

}  // namespace
