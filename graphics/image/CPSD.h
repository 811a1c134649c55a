// The layers of a layered PSD image (8-bit RGB), each read into a graphics object of
// its own, placed at its layer's rectangle and named after the layer. The object's own
// bitmap stays empty: it draws its selected layer.
//
// What is read (big-endian): the header ("8BPS", version 1, 8-bit channels, RGB mode
// required), the colour-mode data and image resources (skipped by their lengths), the
// layer records and the layers' channel data, raw or PackBits rows. A channel in another
// compression is skipped by its stored length and left empty. Layers are converted to
// the screen's depth once their channels are joined.
#pragma once
#include <vector>

#include "graphics/core/CGraphicsObject.h"

// One layer as read from the file; owned by its CPSD.
struct CPSDLayer {
    struct Channel {
        int16_t id = 0;
        uint32_t length = 0;
    };
    CXRect rect;
    int32_t channelCount = 0;
    std::vector<Channel> channels;
    CXString name;
    CGraphicsObject* object = nullptr;
};

class CPSD : public CGraphicsObject {
public:
    static constexpr int kMaxSide = 8192;
    // The layers' pixels together; a file's channels may be compressed or absent,
    // so its length does not bound what its rectangles ask for.
    static constexpr int64_t kMaxTotalPixels = int64_t{kMaxSide} * kMaxSide;
    // A file whose content is not a readable layered RGB image.
    static constexpr int kErrBadFile = 2100;

    explicit CPSD(CWindow* window);
    CPSD(CWindow* window, CXString name);
    // An empty PSD image on the window; nothing is copied.
    CPSD(CWindow* window, CGraphicsObject* source);
    CPSD(CPSD& other);
    CPSD& operator=(const CPSD&) = delete;
    ~CPSD() override;

    CXObject* clone() override;
    using CGraphicsObject::Load;
    // Reads the named file; 2000 when it does not open.
    int Load(CXString name) override;
    int Load(CFile* file) override;
    using CGraphicsObject::SetPosition;
    // Moves the object and its selected layer to p; the selected layer's rectangle
    // takes p's coordinates that are not negative.
    void SetPosition(CXPoint p) override;
    // Draws the selected layer.
    void redraw(CGraphicsObject* destination) override;
    // The selected layer's rectangle on the destination, so that the screen
    // invalidates what is drawn.
    CXRect getRect() override;

    // An index out of range changes nothing.
    void SelectLayer(int index);
    // The first layer whose name equals the given one exactly; no change when none does.
    void SelectLayer(CXString name);
    // The layer's name; -1 means the selected one; "" for a missing layer.
    CXString GetLayerName(int index);
    CXRect GetLayerRect();
    int getLayerCount() const { return static_cast<int>(m_layers.size()); }
    int getSelectedIndex() const { return m_selected; }
    CGraphicsObject* getSelectedLayer() const { return m_selectedObject; }
    CGraphicsObject* getLayer(int index) const;

private:
    void releaseLayers();
    int fail(int code);

    std::vector<CPSDLayer*> m_layers;
    int32_t m_selected = 0;
    CGraphicsObject* m_selectedObject = nullptr;
};
