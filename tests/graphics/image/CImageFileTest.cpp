#include "graphics/image/CImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "ImageTestSupport.h"
#include "graphics/image/CImage.h"
#include "graphics/image/CPSD.h"
#include "graphics/play/CAnimo.h"
#include "graphics/screen/CRefreshScreen.h"
#include "support/TempDir.h"

using namespace imgtest;

namespace {

enum Kind { kNone, kImage, kPsd, kAnimation };

Kind kindOf(CGraphicsObject* g) {
    if (!g) return kNone;
    if (dynamic_cast<CAnimo*>(g)) return kAnimation;
    if (dynamic_cast<CPSD*>(g)) return kPsd;
    if (dynamic_cast<CImage*>(g)) return kImage;
    return kNone;
}

// An 8-bit RGB PSD header with empty sections: no layers.
Bytes psdWithoutLayers() {
    Bytes b("8BPS");
    putBE16(b, 1);
    b += Bytes(6, '\0');
    putBE16(b, 3);
    putBE32(b, 1);
    putBE32(b, 1);
    putBE16(b, 8);
    putBE16(b, 3);
    for (int i = 0; i < 3; ++i) putBE32(b, 0);
    return b;
}

}  // namespace

TEST(CImageFile, ChoosesTheClassByExtension) {
    test::TempDir dir;
    dir.write("big.JPG", solidJpeg(3, 2, 255, 255, 255));
    dir.write("small.jpg", solidJpeg(1, 1, 255, 255, 255));
    dir.write("engine.IMG", pik(2, 1, 16, 4, 0, 0, 0, 0, words({1, 2}), ""));
    struct Case {
        const char* name;
        CImageFile::_filetype type;
        Kind kind;
        int error;
        int width;
    } cases[] = {
        {"big.JPG", CImageFile::FILETYPE_IMAGE, kImage, 0, 3},
        {"small.jpg", CImageFile::FILETYPE_IMAGE, kImage, 0, 1},
        {"engine.IMG", CImageFile::FILETYPE_IMAGE, kImage, 0, 2},
        {"missing.Psd", CImageFile::FILETYPE_PSD, kPsd, 2000, 0},
        {"walk.ann", CImageFile::FILETYPE_ANIMATION, kAnimation, CAnimo::kErrLoad, 0},
        {"notes.txt", CImageFile::FILETYPE_NONE, kNone, 0, 0},
        {"no-extension", CImageFile::FILETYPE_NONE, kNone, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageFile file(nullptr);
        EXPECT_EQ(file.Load(CXString(dir.engine(c.name).c_str())), c.type);
        std::unique_ptr<CGraphicsObject> object(file.getObject());
        EXPECT_EQ(kindOf(object.get()), c.kind);
        if (!object) continue;
        EXPECT_EQ(object->LastError(), c.error);
        EXPECT_EQ(object->Width(), c.width);
    }
}

TEST(CImageFile, SavesEngineImagesOnly) {
    test::TempDir dir;
    CGraphicsObject g(nullptr, CXSize(2, 1), 16);
    std::memcpy(g.GetDataPtr(), words({0xF800, 0x001F}).data(), 4);
    g.SetPosition(3, 4);
    for (const char* name : {"out.psd", "out.jpg", "out.PSD", "out.bmp"}) {
        SCOPED_TRACE(name);
        CImageFile file(nullptr);
        EXPECT_EQ(file.Save(&g, CXString(dir.engine(name).c_str()), COMPRESSION_NONE), CImageFile::FILETYPE_NONE);
        EXPECT_FALSE(dir.exists(name));
        EXPECT_EQ(file.getObject(), nullptr);
    }
    CImageFile file(nullptr);
    EXPECT_EQ(file.Save(&g, CXString(dir.engine("out.Img").c_str()), COMPRESSION_NONE), CImageFile::FILETYPE_IMAGE);
    std::unique_ptr<CGraphicsObject> copy(file.getObject());
    EXPECT_EQ(kindOf(copy.get()), kImage);
    EXPECT_EQ(dir.read("out.Img"), pik(2, 1, 16, 4, 0, 0, 3, 4, words({0xF800, 0x001F}), ""));
}

TEST(CImageFile, RefreshScreenKeepsTheBackgroundItLoads) {
    test::TempDir dir;
    dir.write("back.img", pik(2, 1, 16, 4, 0, 0, 0, 0, words({1, 2}), ""));
    dir.write("back.psd", psdWithoutLayers());
    CRefreshScreen screen(nullptr, CXSize(8, 8), 16);
    screen.SetBackground(CXString(dir.engine("back.img").c_str()));
    ASSERT_NE(screen.getBackgroundImage(), nullptr);
    EXPECT_EQ(screen.getBackgroundImage()->LastError(), 0);
    EXPECT_EQ(screen.getBackgroundImage()->Width(), 2);
    screen.SetBackground(CXString(dir.engine("missing.jpg").c_str()));
    ASSERT_NE(screen.getBackgroundImage(), nullptr);
    EXPECT_EQ(screen.getBackgroundImage()->LastError(), 2000);
    screen.SetBackground(CXString(dir.engine("back.psd").c_str()));
    EXPECT_EQ(kindOf(screen.getBackgroundImage()), kPsd);
    screen.SetBackground(CXString(dir.engine("back.txt").c_str()));
    EXPECT_EQ(screen.getBackgroundImage(), nullptr);
}
