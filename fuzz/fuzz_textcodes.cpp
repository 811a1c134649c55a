// Formatted text from untrusted bytes: a multi-line text over a two-font collection and
// a unit that records its edit boxes is wrapped, drawn and asked about its words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "graphics/core/CGraphicsUnit.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CMultilineText6.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

struct RecordingUnit : CGraphicsUnit {
    bool isActive() override { return true; }
    bool wasInitiallyUpdated() override { return true; }
    void onTimer(intptr_t) override {}
    bool onInitialUpdate() override { return true; }
    void onCanvasRefreshed() override {}
    CEditBox6* addEditBox(std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority, CXString text) override {
        ++live;
        return new CEditBox6(nullptr, this, font, rect, priority, text);
    }
    void removeEditBox(CEditBox6*) override { --live; }
    void activateEditBox(CEditBox6*) override {}
    bool onStartDragging(CGraphicsObject*, CXPoint, CControl*) override { return false; }
    bool isDragging() override { return false; }
    void setRetCode(int) override {}
    int live = 0;
};

std::shared_ptr<CFontCollection> collection() {
    static std::shared_ptr<CFontCollection> fonts = [] {
        auto c = std::make_shared<CFontCollection>(nullptr);
        c->addFont(textfix::loadFont(textfix::blockFont(textfix::textLetters(), 4, 6), "F", "STANDARD", 1));
        c->addFont(textfix::loadFont(textfix::blockFont(textfix::textLetters(), 5, 7, true), "F", "BOLD", 1));
        return c;
    }();
    return fonts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RecordingUnit unit;
    {
        CMultilineText6 text(nullptr, false, &unit);
        CGraphicsObject target(nullptr, CXSize(64, 64), 16);
        text.setJustify(CXRect(2, 3, 60, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
        text.setFont(collection());
        text.setText(CXString(reinterpret_cast<const char*>(data), static_cast<int>(size)));
        text.SetDestiny(&target);
        text.Redraw();
        const int words = text.getNumWords();
        for (int i = -1; i <= words; ++i) {
            text.getWordAt(i);
            text.getWordWidth(i);
            text.getWordPosition(i);
            text.setWordColor(i, 0x1234);
        }
        text.SetClippingRect(CXRect(5, 2, 40, 9));
        text.Redraw();
        for (int y = 0; y < 64; y += 5)
            for (int x = 0; x < 64; x += 3) text.getWordAtXY(CXPoint(x, y));
        text.search(text.getWordAt(0), 0);
        text.setColor(0x0F0F);
        text.Move(1, 1);
    }
    if (unit.live != 0) std::abort();
    return 0;
}
