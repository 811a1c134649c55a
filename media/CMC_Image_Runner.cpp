#include "media/CMC_Image_Runner.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "foundation/CXVector.h"
#include "graphics/image/CImage.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Image.h"
#include "media/CSharedImage.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kImage, []() -> CMC_Runner* { return new CMC_Image_Runner(); });

// How many arguments each method reads at least; 0 for the others.
int requiredArguments(int id) {
    switch (id) {
    case CMC_Image_Runner::kLoad:
    case CMC_Image_Runner::kMonitorCollision:
    case CMC_Image_Runner::kSetPriority:
    case CMC_Image_Runner::kLink:
    case CMC_Image_Runner::kSetOpacity:
    case CMC_Image_Runner::kSave:
    case CMC_Image_Runner::kSetAnchor:
    case CMC_Image_Runner::kDrawOnto:
    case CMC_Image_Runner::kSetClipping: return 1;
    case CMC_Image_Runner::kSetPosition:
    case CMC_Image_Runner::kMove:
    case CMC_Image_Runner::kIsNear:
    case CMC_Image_Runner::kGetAlpha:
    case CMC_Image_Runner::kGetPixel:
    case CMC_Image_Runner::kSetAsButton:
    case CMC_Image_Runner::kSetResetPosition:
    case CMC_Image_Runner::kGetColorRAt:
    case CMC_Image_Runner::kGetColorGAt:
    case CMC_Image_Runner::kGetColorBAt: return 2;
    case CMC_Image_Runner::kIsInside:
    case CMC_Image_Runner::kIsAt:
    case CMC_Image_Runner::kMergeAlpha:
    case CMC_Image_Runner::kMergeAlpha2:
    case CMC_Image_Runner::kGetColorAt: return 3;
    case CMC_Image_Runner::kGetSlideComps: return 5;
    case CMC_Image_Runner::kReplaceColor: return 7;
    default: return 0;
    }
}

// The empty result of a method: FALSE, 0 (-1 for GETPRIORITY), or none.
CMC_Variable* emptyResult(int id) {
    switch (id) {
    case CMC_Image_Runner::kIsNear:
    case CMC_Image_Runner::kIsInside:
    case CMC_Image_Runner::kIsVisible:
    case CMC_Image_Runner::kIsAt: return CMC_VariableFactory::newBool(false);
    case CMC_Image_Runner::kGetPositionX:
    case CMC_Image_Runner::kGetPositionY:
    case CMC_Image_Runner::kGetWidth:
    case CMC_Image_Runner::kGetHeight:
    case CMC_Image_Runner::kGetAlpha:
    case CMC_Image_Runner::kGetPixel:
    case CMC_Image_Runner::kGetCenterX:
    case CMC_Image_Runner::kGetCenterY:
    case CMC_Image_Runner::kGetOpacity:
    case CMC_Image_Runner::kGetColorRAt:
    case CMC_Image_Runner::kGetColorGAt:
    case CMC_Image_Runner::kGetColorBAt: return CMC_VariableFactory::newInteger(0);
    case CMC_Image_Runner::kGetPriority: return CMC_VariableFactory::newInteger(-1);
    default: return nullptr;
    }
}

CMC_Variable* integer(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
    return CMC_VariableFactory::newInteger(static_cast<int32_t>(value));
}

CMC_Variable* boolean(bool value) { return CMC_VariableFactory::newBool(value); }

// Toward zero, held inside the 32-bit range (NaN gives 0).
int64_t truncated(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int64_t>(std::trunc(value));
}

int clampInt(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int>(value);
}

CRefreshScreen* screenOf(CMC_ObjectsContainer* container, CMC_Image* object) {
    CWindow* window = container && container->getWindow() ? container->getWindow() : object->getWindow();
    return window ? window->GetRefreshScreenInterface() : nullptr;
}

void invalidateAndPlace(CImage* image, int x, int y) {
    image->Invalidate();
    image->SetPosition(x, y);
    image->Invalidate();
}

// The point in image coordinates of a screen point, when it lies on the image.
bool imagePoint(CImage* image, int x, int y, int* ix, int* iy) {
    const CXPoint position = image->GetPosition();
    const int64_t dx = static_cast<int64_t>(x) - position.x;
    const int64_t dy = static_cast<int64_t>(y) - position.y;
    if (dx < 0 || dy < 0 || dx >= image->Width() || dy >= image->Height()) return false;
    *ix = static_cast<int>(dx);
    *iy = static_cast<int>(dy);
    return true;
}

bool alphaAtScreen(CImage* image, int x, int y, uint8_t* value) {
    *value = 0;
    int ix = 0, iy = 0;
    if (!imagePoint(image, x, y, &ix, &iy)) return false;
    if (auto* shared = dynamic_cast<CSharedImage*>(image)) return shared->alphaAt(ix, iy, value);
    *value = image->GetPixel(CHANNEL_ALPHA, CXPoint(ix, iy));
    return true;
}

bool pixelAtScreen(CImage* image, int x, int y, uint16_t* value) {
    *value = 0;
    int ix = 0, iy = 0;
    if (!imagePoint(image, x, y, &ix, &iy)) return false;
    if (auto* shared = dynamic_cast<CSharedImage*>(image)) return shared->pixelAt(ix, iy, value);
    return false;
}

}  // namespace

int CMC_Image_Runner::channelOf(uint16_t word, int channel, bool rgb555) {
    int value = 0;
    int bits = 5;
    switch (channel) {
    case 0: value = rgb555 ? (word >> 10) & 0x1F : (word >> 11) & 0x1F; break;
    case 1:
        if (rgb555) {
            value = (word >> 5) & 0x1F;
        } else {
            value = (word >> 5) & 0x3F;
            bits = 6;
        }
        break;
    default: value = word & 0x1F; break;
    }
    return bits == 5 ? (value << 3 | value >> 2) : (value << 2 | value >> 4);
}

void CMC_Image_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SHOW", kShow);
    putMethod("HIDE", kHide);
    putMethod("SETPOSITION", kSetPosition);
    putMethod("MOVE", kMove);
    putMethod("LOAD", kLoad);
    putMethod("CLEARCLIPPING", kClearClipping);
    putMethod("SETCLIPPING", kSetClipping);
    putMethod("GETPOSITIONX", kGetPositionX);
    putMethod("GETPOSITIONY", kGetPositionY);
    putMethod("GETWIDTH", kGetWidth);
    putMethod("GETHEIGHT", kGetHeight);
    putMethod("ISNEAR", kIsNear);
    putMethod("ISINSIDE", kIsInside);
    putMethod("MONITORCOLLISION", kMonitorCollision);
    putMethod("REMOVEMONITORCOLLISION", kRemoveMonitorCollision);
    putMethod("SETSCALEFACTOR", kSetScaleFactor);
    putMethod("SETPRIORITY", kSetPriority);
    putMethod("GETALPHA", kGetAlpha);
    putMethod("GETPIXEL", kGetPixel);
    putMethod("MERGEALPHA", kMergeAlpha);
    putMethod("INVALIDATE", kInvalidate);
    putMethod("GETCENTERX", kGetCenterX);
    putMethod("GETCENTERY", kGetCenterY);
    putMethod("ISVISIBLE", kIsVisible);
    putMethod("LINK", kLink);
    putMethod("SETASBUTTON", kSetAsButton);
    putMethod("SETOPACITY", kSetOpacity);
    putMethod("SAVE", kSave);
    putMethod("SETANCHOR", kSetAnchor);
    putMethod("FLIPH", kFlipH);
    putMethod("FLIPV", kFlipV);
    putMethod("RESETFLIPS", kResetFlips);
    putMethod("DRAWONTO", kDrawOnto);
    putMethod("RESETPOSITION", kResetPosition);
    putMethod("SETRESETPOSITION", kSetResetPosition);
    putMethod("ISAT", kIsAt);
    putMethod("GETOPACITY", kGetOpacity);
    putMethod("GETSLIDECOMPS", kGetSlideComps);
    putMethod("GETCOLORAT", kGetColorAt);
    putMethod("GETCOLORRAT", kGetColorRAt);
    putMethod("GETCOLORGAT", kGetColorGAt);
    putMethod("GETCOLORBAT", kGetColorBAt);
    putMethod("MERGEALPHA2", kMergeAlpha2);
    putMethod("REPLACECOLOR", kReplaceColor);
    putMethod("GETPRIORITY", kGetPriority);
}

CMC_Variable* CMC_Image_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Image*>(target);
    if (!object || id < kShow || id > kGetPriority || id == kSetScaleFactor)
        return CMC_Runner::run(id, target, container, arguments);
    if (argumentCount(arguments) < requiredArguments(id)) return emptyResult(id);

    // The methods that need no engine image.
    switch (id) {
    case kLoad: object->load(getParameterText(arguments, 0), true); return nullptr;
    case kSetAsButton:
        object->setAsButton(parameterBool(arguments, 0), parameterBool(arguments, 1));
        return nullptr;
    case kSetResetPosition:
        object->setResetPosition(parameterInt(arguments, 0), parameterInt(arguments, 1));
        return nullptr;
    default: break;
    }
    CImage* image = object->getImage();
    if (!image) return emptyResult(id);
    return runImage(id, object, image, container, arguments);
}

CMC_Variable* CMC_Image_Runner::runImage(int id, CMC_Image* object, CImage* image, CMC_ObjectsContainer* container,
                                         CXVector* arguments) {
    switch (id) {
    case kShow: image->Visible(true); return nullptr;
    case kHide: image->Visible(false); return nullptr;
    case kSetPosition:
        invalidateAndPlace(image, parameterInt(arguments, 0), parameterInt(arguments, 1));
        return nullptr;
    case kMove: image->Move(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    case kClearClipping: image->SetClippingRect(CXRect(0, 0, 0, 0)); return nullptr;
    case kSetClipping: setClipping(image, container, arguments); return nullptr;
    case kGetPositionX: return integer(image->GetPosition().x);
    case kGetPositionY: return integer(image->GetPosition().y);
    case kGetWidth: return integer(image->Width());
    case kGetHeight: return integer(image->Height());
    case kIsNear: return isNear(image, container, arguments);
    case kIsInside:
        return boolean(image->isInside(parameterInt(arguments, 0), parameterInt(arguments, 1),
                                       parameterBool(arguments, 2)));
    case kMonitorCollision:
        object->watchCollisions(parameterBool(arguments, 0));
        image->setMonitorCollisions(true);
        return nullptr;
    case kRemoveMonitorCollision:
        object->removeCollisionsMonitoring();
        image->setMonitorCollisions(false);
        return nullptr;
    case kSetPriority:
        if (CRefreshScreen* s = screenOf(container, object)) s->SetPriority(image, parameterInt(arguments, 0));
        return nullptr;
    case kGetAlpha: {
        uint8_t alpha = 0;
        alphaAtScreen(image, parameterInt(arguments, 0), parameterInt(arguments, 1), &alpha);
        return integer(static_cast<int8_t>(alpha));
    }
    case kGetPixel: {
        uint16_t word = 0;
        pixelAtScreen(image, parameterInt(arguments, 0), parameterInt(arguments, 1), &word);
        return integer(static_cast<int16_t>(word));
    }
    // An image is never merged with itself: its alpha plane would be copied onto itself.
    case kMergeAlpha:
        if (CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 2)) : nullptr)
            if (g != image) image->mergeAlpha(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)), g);
        return nullptr;
    case kMergeAlpha2:
        if (CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 2)) : nullptr) {
            if (g == image) return nullptr;
            const bool reset = argumentCount(arguments) > 3 && parameterBool(arguments, 3);
            image->mergeAlpha2(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)), g, reset);
        }
        return nullptr;
    case kInvalidate: image->Invalidate(); return nullptr;
    case kGetCenterX:
        return integer((static_cast<int64_t>(image->GetPosition().x) + image->Width()) / 2);
    case kGetCenterY:
        return integer((static_cast<int64_t>(image->GetPosition().y) + image->Height()) / 2);
    case kIsVisible: return boolean(image->CGraphicsObject::isVisible());
    case kLink: link(image, container, arguments); return nullptr;
    case kSetOpacity: image->SetOpacity(static_cast<uint8_t>(parameterInt(arguments, 0) & 0xFF)); return nullptr;
    case kSave: image->Save(getParameterText(arguments, 0), COMPRESSION_NONE); return nullptr;
    case kSetAnchor: setAnchor(image, arguments); return nullptr;
    case kFlipH:
        image->FlipH();
        image->Invalidate();
        return nullptr;
    case kFlipV:
        image->FlipV();
        image->Invalidate();
        return nullptr;
    case kResetFlips:
        image->resetFlips();
        image->Invalidate();
        return nullptr;
    case kDrawOnto:
        if (CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr) {
            const int n = argumentCount(arguments) == 2 ? parameterInt(arguments, 1) : 0;
            if (g != image) g->addObject(image, n);
        }
        return nullptr;
    case kResetPosition: {
        const CXPoint p = object->getResetPosition();
        invalidateAndPlace(image, p.x, p.y);
        return nullptr;
    }
    case kIsAt:
        return boolean(image->isAt(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)),
                                   parameterBool(arguments, 2)));
    case kGetOpacity: return integer(image->GetOpacity());
    case kGetSlideComps: getSlideComps(image, container, arguments); return nullptr;
    case kGetColorAt: getColorAt(image, container, arguments); return nullptr;
    case kGetColorRAt: return getColorChannelAt(image, 0, arguments);
    case kGetColorGAt: return getColorChannelAt(image, 1, arguments);
    case kGetColorBAt: return getColorChannelAt(image, 2, arguments);
    case kReplaceColor: replaceColor(image, container, arguments); return nullptr;
    case kGetPriority: {
        CRefreshScreen* s = screenOf(container, object);
        return integer(s ? s->GetPriority(image) : -1);
    }
    default: return CMC_Runner::run(id, object, container, arguments);
    }
}

CMC_Variable* CMC_Image_Runner::isNear(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (count == 2) {
        CGraphicsObject* other = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
        return boolean(other && image->isNear(other, parameterInt(arguments, 1)));
    }
    if (count < 5) return boolean(false);
    const CXRect box(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                     parameterInt(arguments, 3));
    return boolean(image->isNear(box, parameterInt(arguments, 4)));
}

void CMC_Image_Runner::setClipping(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (count == 1) {
        CGraphicsObject* other = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
        image->SetClippingRect(other ? other->GetBoundingBox() : CXRect(0, 0, 0, 0));
        return;
    }
    if (count < 4) return;
    image->SetClippingRect(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                                  parameterInt(arguments, 3)));
}

void CMC_Image_Runner::setAnchor(CImage* image, CXVector* arguments) {
    if (argumentCount(arguments) != 1) {
        if (argumentCount(arguments) < 2) return;
        image->setAnchor(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
        return;
    }
    const CXString keyword = getParameterText(arguments, 0);
    const CXPoint p = image->GetPosition();
    const int64_t x = p.x, y = p.y, w = image->Width(), h = image->Height();
    int64_t ax = 0, ay = 0;
    if (keyword == CXString("CENTER")) {
        ax = x + w / 2;
        ay = y + h / 2;
    } else if (keyword == CXString("LEFTUPPER")) {
        ax = x;
        ay = y;
    } else if (keyword == CXString("RIGHTUPPER")) {
        ax = x + w;
        ay = y;
    } else if (keyword == CXString("LEFTLOWER")) {
        ax = x;
        ay = y + h;
    } else if (keyword == CXString("RIGHTLOWER")) {
        ax = x + w;
        ay = y + h;
    } else if (keyword == CXString("LEFT")) {
        ax = x;
        ay = y + h / 2;
    } else if (keyword == CXString("RIGHT")) {
        ax = x + w;
        ay = y + h / 2;
    } else if (keyword == CXString("TOP")) {
        ax = x + w / 2;
        ay = y;
    } else if (keyword == CXString("BOTTOM")) {
        ax = x + w / 2;
        ay = y + h;
    }
    image->setAnchor(CXPoint(clampInt(ax), clampInt(ay)));
}

void CMC_Image_Runner::getSlideComps(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    const double dx = parameterDouble(arguments, 0);
    const double dy = parameterDouble(arguments, 1);
    const int x = parameterInt(arguments, 2);
    const int y = parameterInt(arguments, 3);
    auto* array = container ? dynamic_cast<CMC_Array*>(container->getObject(getParameterText(arguments, 4))) : nullptr;
    // The turn is the number 180/pi taken as radians, as the original search does.
    const double angle = 57.29577951307855;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double f = 0.8333333333333334;
    double ax = dx, ay = dy, bx = dx, by = dy;
    auto free = [&](double px, double py) {
        return !image->isAt(CXPoint(clampInt(x + truncated(px)), clampInt(y + truncated(py))), true);
    };
    double rx = ax, ry = ay;
    int counter = 0;
    for (;;) {
        ++counter;
        const double nax = (c * ax + s * ay) * f;
        const double nay = (c * ay - s * ax) * f;
        ax = nax;
        ay = nay;
        rx = ax;
        ry = ay;
        if (free(ax, ay)) break;
        const double nbx = (c * bx - s * by) * f;
        const double nby = (c * by + s * bx) * f;
        bx = nbx;
        by = nby;
        if (free(bx, by)) {
            rx = bx;
            ry = by;
            break;
        }
        if (!(counter < 90.0)) break;
    }
    if (!array) return;
    array->add(CMC_VariableFactory::newDouble(rx));
    array->add(CMC_VariableFactory::newDouble(ry));
}

void CMC_Image_Runner::getColorAt(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* array = container ? dynamic_cast<CMC_Array*>(container->getObject(getParameterText(arguments, 2))) : nullptr;
    if (!array) return;
    const int x = parameterInt(arguments, 0);
    const int y = parameterInt(arguments, 1);
    uint16_t word = 0;
    uint8_t alpha = 0;
    const bool inside = pixelAtScreen(image, x, y, &word);
    alphaAtScreen(image, x, y, &alpha);
    const bool rgb555 = image->GetBpp() == 15;
    for (int channel = 0; channel < 3; ++channel)
        array->add(CMC_VariableFactory::newInteger(inside ? channelOf(word, channel, rgb555) : 0));
    array->add(CMC_VariableFactory::newInteger(alpha));
}

CMC_Variable* CMC_Image_Runner::getColorChannelAt(CImage* image, int channel, CXVector* arguments) {
    uint16_t word = 0;
    if (!pixelAtScreen(image, parameterInt(arguments, 0), parameterInt(arguments, 1), &word)) return integer(0);
    return integer(channelOf(word, channel, image->GetBpp() == 15));
}

void CMC_Image_Runner::replaceColor(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    CRefreshScreen* s = container && container->getWindow() ? container->getWindow()->GetRefreshScreenInterface()
                                                             : nullptr;
    const bool rgb555 = s && s->GetBpp() == 15;
    auto pack = [&](int r, int g, int b) -> uint16_t {
        const int r5 = (r >> 3) & 0x1F;
        const int b5 = (b >> 3) & 0x1F;
        if (rgb555) return static_cast<uint16_t>(r5 << 10 | ((g >> 3) & 0x1F) << 5 | b5);
        return static_cast<uint16_t>(r5 << 11 | ((g >> 2) & 0x3F) << 5 | b5);
    };
    const uint16_t from = pack(parameterInt(arguments, 1), parameterInt(arguments, 2), parameterInt(arguments, 3));
    const uint16_t to = pack(parameterInt(arguments, 4), parameterInt(arguments, 5), parameterInt(arguments, 6));
    if (auto* shared = dynamic_cast<CSharedImage*>(image))
        shared->replaceColor(from, to);
    else
        image->replace_color(static_cast<short>(from), static_cast<short>(to));
}

void CMC_Image_Runner::link(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* other = container ? dynamic_cast<CMC_Image*>(container->getObject(getParameterText(arguments, 0))) : nullptr;
    auto* shared = dynamic_cast<CSharedImage*>(image);
    if (!other || !shared || !other->getImage() || other->getImage() == image) return;
    shared->link(other->getImage());
}
