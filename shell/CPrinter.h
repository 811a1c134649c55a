// Prints a rectangle of the game's screen on one landscape page of the platform's
// printer, scaled to fit the page with its proportions kept and centred. Making the
// printer does the whole job: the device is chosen (the user may cancel), the screen
// is redrawn, the rectangle of the primary surface (clipped to the screen) is copied
// and drawn as one page of the document "DocPrint". An empty rectangle, a cancelled
// dialog, a device without bitmaps or a refused document or page print nothing.
#pragma once

#include "foundation/CXRect.h"
#include "platform/Presenter.h"

class CWindow;

class CPrinter {
public:
    CPrinter(CWindow* window, CXRect rect);
    CPrinter(const CPrinter&) = delete;
    CPrinter& operator=(const CPrinter&) = delete;

    // The rectangle on the current document's new page.
    void print(CXRect rect);

    // Where a picture of width x height lands on a page: its size fitted to the page
    // with the proportions kept, centred.
    static CXRect placeOnPage(int width, int height, int pageWidth, int pageHeight);

private:
    // The rectangle as a 24-bit picture of the screen after a forced redraw; false
    // when the primary surface cannot be read.
    bool getImageBitmap(platform::RgbFrame& picture, CXRect rect);

    CWindow* m_window;
};
