// The printer: the picture placed on the page with its proportions kept, the copy of
// the screen, the refusals that print nothing, and a real PDF document.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <cstdlib>
#include <string>

#include "graphics/core/CColor.h"
#include "graphics/screen/CSurface.h"
#include "platform/Presenter.h"
#include "platform/Print.h"
#include "shell/CPrinter.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

TEST(Printer, PlacesThePictureCentredWithItsProportions) {
    struct Case {
        int width, height, pageWidth, pageHeight;
        CXRect expected;
    };
    const Case cases[] = {
        {800, 600, 4000, 3000, CXRect(0, 0, 4000, 3000)},
        {300, 600, 4000, 3000, CXRect(1250, 0, 2750, 3000)},
        {1000, 100, 4000, 3000, CXRect(0, 1300, 4000, 1700)},
        {800, 600, 3508, 2480, CXRect(101, 0, 3407, 2480)},
    };
    for (const Case& c : cases) {
        const CXRect place = CPrinter::placeOnPage(c.width, c.height, c.pageWidth, c.pageHeight);
        EXPECT_EQ(place.left, c.expected.left) << c.width << "x" << c.height;
        EXPECT_EQ(place.top, c.expected.top);
        EXPECT_EQ(place.right, c.expected.right);
        EXPECT_EQ(place.bottom, c.expected.bottom);
    }
}

struct PrintWorld : ::testing::Test {
    PrintWorld() : scoped(recorder) {}
    void SetUp() override {
        ASSERT_TRUE(world.enableDisplay(CXSize(320, 200)));
        background = std::make_unique<CColor>(uint8_t{200}, uint8_t{40}, uint8_t{90});
        world.window()->SetBackground(background.get());
        world.frame();
    }
    void TearDown() override { world.window()->SetBackground(static_cast<CColor*>(nullptr)); }
    platform::RgbFrame screen() {
        platform::RgbFrame frame;
        EXPECT_TRUE(platform::readFrame(world.window()->GetSurface()->GetPrimaryBufferInterface(), frame));
        return frame;
    }

    test::ScriptWorld world;
    platform::RecordingPrinter recorder;
    platform::ScopedPrinter scoped;
    std::unique_ptr<CColor> background;
};

TEST_F(PrintWorld, ThePictureIsTheRectangleOfThePrimarySurface) {
    { CPrinter printer(world.window(), CXRect(10, 20, 110, 70)); }
    ASSERT_EQ(recorder.pages.size(), 1u);
    EXPECT_EQ(recorder.documents, 1);
    const platform::RecordingPrinter::Page& page = recorder.pages[0];
    EXPECT_EQ(page.document, "DocPrint");
    ASSERT_EQ(page.draws.size(), 1u);
    const auto& draw = page.draws[0];
    EXPECT_EQ(draw.picture.width, 100);
    EXPECT_EQ(draw.picture.height, 50);
    // 2:1 on 4:3: the full width, centred vertically.
    EXPECT_EQ(draw.x, 0);
    EXPECT_EQ(draw.y, 500);
    EXPECT_EQ(draw.width, 4000);
    EXPECT_EQ(draw.height, 2000);
    const platform::RgbFrame shown = screen();
    bool same = true;
    for (int row = 0; row < 50; ++row)
        for (int column = 0; column < 100 * 3; ++column)
            same &= draw.picture.rgb[static_cast<size_t>(row) * 300 + column] ==
                    shown.rgb[(static_cast<size_t>(row + 20) * 320 + 10) * 3 + column];
    EXPECT_TRUE(same);
    EXPECT_NE(draw.picture.rgb[0], 0);  // the background, not an empty picture
}

TEST_F(PrintWorld, TheRectangleIsClippedToTheScreenAndAnEmptyOnePrintsNothing) {
    { CPrinter printer(world.window(), CXRect(-10, -10, 50, 400)); }
    ASSERT_EQ(recorder.pages.size(), 1u);
    EXPECT_EQ(recorder.pages[0].draws[0].picture.width, 50);
    EXPECT_EQ(recorder.pages[0].draws[0].picture.height, 200);
    recorder.pages.clear();
    for (CXRect empty : {CXRect(10, 10, 10, 50), CXRect(400, 0, 500, 100), CXRect(50, 50, 10, 10)}) {
        CPrinter printer(world.window(), empty);
    }
    EXPECT_TRUE(recorder.pages.empty());
}

TEST_F(PrintWorld, RefusalsPrintNothing) {
    struct Case {
        const char* name;
        void (*set)(platform::RecordingPrinter&);
        int documents;
    };
    const Case cases[] = {
        {"cancel", [](platform::RecordingPrinter& p) { p.cancel = true; }, 0},
        {"no bitmaps", [](platform::RecordingPrinter& p) { p.bitmaps = false; }, 1},
        {"StartDoc", [](platform::RecordingPrinter& p) { p.failStartDocument = true; }, 0},
        {"StartPage", [](platform::RecordingPrinter& p) { p.failStartPage = true; }, 1},
    };
    for (const Case& c : cases) {
        platform::RecordingPrinter device;
        c.set(device);
        platform::ScopedPrinter use(device);
        { CPrinter printer(world.window(), CXRect(0, 0, 320, 200)); }
        EXPECT_TRUE(device.pages.empty()) << c.name;
        EXPECT_EQ(device.documents, c.documents) << c.name;
    }
}

TEST_F(PrintWorld, APdfDocumentHasOneLandscapePage) {
    const std::string folder = world.dir().path() + "/prints/sub";
    platform::PdfPrinter pdf(folder, "none", false);
    platform::ScopedPrinter use(pdf);
    { CPrinter printer(world.window(), CXRect(0, 0, 320, 200)); }
    ASSERT_EQ(pdf.lastFile(), folder + "/DocPrint-1.pdf");
    const std::string bytes = world.dir().read("prints/sub/DocPrint-1.pdf");
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    const size_t count = bytes.find("/Count ");
    ASSERT_NE(count, std::string::npos);
    EXPECT_EQ(std::atoi(bytes.c_str() + count + 7), 1);
    EXPECT_EQ(bytes.find("/Count ", count + 1), std::string::npos);
    const size_t box = bytes.find("/MediaBox [");
    ASSERT_NE(box, std::string::npos);
    double x = -1, y = -1, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(bytes.c_str() + box + 11, " %lf %lf %lf %lf", &x, &y, &width, &height), 4);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_NEAR(width, 841.9, 0.1);
    EXPECT_NEAR(height, 595.2, 0.1);
    // The next document takes the next number.
    { CPrinter printer(world.window(), CXRect(0, 0, 320, 200)); }
    EXPECT_EQ(pdf.lastFile(), folder + "/DocPrint-2.pdf");
}

}  // namespace
