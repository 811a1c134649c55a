#include "shell/CPrinter.h"

#include <algorithm>

#include "graphics/screen/CSurface.h"
#include "platform/Print.h"
#include "shell/CWindow.h"

CPrinter::CPrinter(CWindow* window, CXRect rect) : m_window(window) {
    platform::IPrinter& device = platform::printer();
    if (!device.chooseDevice()) return;
    if (!device.startDocument("DocPrint")) return;
    print(rect);
    device.endDocument();
}

CXRect CPrinter::placeOnPage(int width, int height, int pageWidth, int pageHeight) {
    int outWidth = pageWidth;
    int outHeight = pageHeight;
    if (width > 0 && height > 0 && pageWidth > 0 && pageHeight > 0) {
        const double r = static_cast<double>(width) / height;
        const double q = static_cast<double>(pageWidth) / pageHeight;
        if (r <= q)
            outWidth = static_cast<int>(pageHeight * r);
        else
            outHeight = static_cast<int>(pageWidth / r);
    }
    const int x = (pageWidth - outWidth) / 2;
    const int y = (pageHeight - outHeight) / 2;
    return CXRect(x, y, x + outWidth, y + outHeight);
}

void CPrinter::print(CXRect rect) {
    if (!m_window) return;
    const CXSize screen = m_window->GetScreenSize();
    rect.Set(std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, screen.cx),
             std::min(rect.bottom, screen.cy));
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    platform::IPrinter& device = platform::printer();
    if (!device.canDrawBitmaps()) return;
    platform::RgbFrame picture;
    if (!getImageBitmap(picture, rect)) return;
    if (!device.startPage()) return;
    const CXRect place = placeOnPage(rect.Width(), rect.Height(), device.pageWidth(), device.pageHeight());
    device.drawPicture(picture, place.left, place.top, place.Width(), place.Height());
    device.endPage();
}

bool CPrinter::getImageBitmap(platform::RgbFrame& picture, CXRect rect) {
    m_window->Invalidate();
    m_window->Redraw(true);
    CSurface* surface = m_window->GetSurface();
    platform::IDisplaySurface* primary = surface ? surface->GetPrimaryBufferInterface() : nullptr;
    platform::RgbFrame screen;
    if (!primary || !platform::readFrame(primary, screen)) return false;
    const int right = std::min(rect.right, screen.width);
    const int bottom = std::min(rect.bottom, screen.height);
    if (right <= rect.left || bottom <= rect.top) return false;
    picture.width = right - rect.left;
    picture.height = bottom - rect.top;
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    for (int row = 0; row < picture.height; ++row) {
        const uint8_t* from = screen.rgb.data() + (static_cast<size_t>(rect.top + row) * screen.width + rect.left) * 3;
        std::copy(from, from + static_cast<size_t>(picture.width) * 3,
                  picture.rgb.data() + static_cast<size_t>(row) * picture.width * 3);
    }
    return true;
}
