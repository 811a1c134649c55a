// The screen canvas: the graphics object on which every visible object is registered
// with a drawing priority. Registration lives here; the dirty region, the background and
// the frame's redraw come with the host shell.
#pragma once
#include <memory>

#include "graphics/core/CGraphicsObject.h"

class CValidationQuene;

class CRefreshScreen : public CGraphicsObject {
public:
    // The canvas draws into surfaces, so the pixel buffer of the base is released at once.
    CRefreshScreen(CWindow* window, CXSize size, int bpp);
    ~CRefreshScreen() override;
    CRefreshScreen(const CRefreshScreen&) = delete;
    CRefreshScreen& operator=(const CRefreshScreen&) = delete;

    // Registers g (once) and invalidates its area.
    void put(CGraphicsObject* g, int priority);
    CRefreshScreen& operator<<(CGraphicsObject* g);
    // Takes g out without invalidating its area.
    CRefreshScreen& operator>>(CGraphicsObject* g);
    // The priority, or -1 when g is not registered.
    int GetPriority(CGraphicsObject* g);
    int getIndex(CGraphicsObject* g);
    CValidationQuene* getQueue() const { return m_queue; }

    // Loads the picture by its extension (image, JPEG or PSD) and keeps it in place of
    // the previous one; a picture that loaded becomes the background.
    void SetBackground(CXString name);
    CGraphicsObject* getBackgroundImage() const { return m_backgroundImage.get(); }

protected:
    CValidationQuene* m_queue = nullptr;
    std::unique_ptr<CGraphicsObject> m_backgroundImage;
};
