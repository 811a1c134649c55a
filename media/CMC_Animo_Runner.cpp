#include "media/CMC_Animo_Runner.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "foundation/CRLECompression.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CFrame.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kAnimo, []() -> CMC_Runner* { return new CMC_Animo_Runner(); });

struct MethodName {
    const char* name;
    int id;
};

using R = CMC_Animo_Runner;
constexpr MethodName kMethods[] = {
    {"SHOW", R::kShow},
    {"HIDE", R::kHide},
    {"PAUSE", R::kPause},
    {"RESUME", R::kResume},
    {"SETPOSITION", R::kSetPosition},
    {"MOVE", R::kMove},
    {"LOAD", R::kLoad},
    {"CLEARCLIPPING", R::kClearClipping},
    {"SETCLIPPING", R::kSetClipping},
    {"PLAY", R::kPlay},
    {"SETFRAME", R::kSetFrame},
    {"STOP", R::kStop},
    {"ISPLAYING", R::kIsPlaying},
    {"GETPOSITIONX", R::kGetPositionX},
    {"GETPOSITIONY", R::kGetPositionY},
    {"GETWIDTH", R::kGetWidth},
    {"GETHEIGHT", R::kGetHeight},
    {"GETFRAME", R::kGetFrame},
    {"GETFRAMENAME", R::kGetFrameName},
    {"GETFRAMENO", R::kGetFrameNo},
    {"GETEVENTNAME", R::kGetEventName},
    {"ISNEAR", R::kIsNear},
    {"ISINSIDE", R::kIsInside},
    {"PLAYRAND", R::kPlayRand},
    {"MONITORCOLLISION", R::kMonitorCollision},
    {"REMOVEMONITORCOLLISION", R::kRemoveMonitorCollision},
    {"SETFORWARD", R::kSetForward},
    {"SETBACKWARD", R::kSetBackward},
    {"NEXTFRAME", R::kNextFrame},
    {"PREVFRAME", R::kPrevFrame},
    {"SETPRIORITY", R::kSetPriority},
    {"GETALPHA", R::kGetAlpha},
    {"GETPIXEL", R::kGetPixel},
    {"SETFPS", R::kSetFPS},
    {"MERGEALPHA", R::kMergeAlpha},
    {"INVALIDATE", R::kInvalidate},
    {"GETCURRFRAMEPOSX", R::kGetCurrFramePosX},
    {"GETCURRFRAMEPOSY", R::kGetCurrFramePosY},
    {"GETCENTERX", R::kGetCenterX},
    {"GETCENTERY", R::kGetCenterY},
    {"GETNOE", R::kGetNOE},
    {"GETNOF", R::kGetNOF},
    {"GETNOFINEVENT", R::kGetNOFInEvent},
    {"GETMAXWIDTH", R::kGetMaxWidth},
    {"GETMAXHEIGHT", R::kGetMaxHeight},
    {"ISVISIBLE", R::kIsVisible},
    {"GETCFRAMEINEVENT", R::kGetCFrameInEvent},
    {"SETASBUTTON", R::kSetAsButton},
    {"SETONFF", R::kSetOnFF},
    {"SETOPACITY", R::kSetOpacity},
    {"SETVOLUME", R::kSetVolume},
    {"SETPAN", R::kSetPan},
    {"SETFREQ", R::kSetFreq},
    {"SETANCHOR", R::kSetAnchor},
    {"SETFRAMENAME", R::kSetFrameName},
    {"GETPRIORITY", R::kGetPriority},
    {"FLIPH", R::kFlipH},
    {"FLIPV", R::kFlipV},
    {"RESETFLIPS", R::kResetFlips},
    {"DRAWONTO", R::kDrawOnto},
    {"PLAYREVERSE", R::kPlayReverse},
    {"NPLAY", R::kNPlay},
    {"ISAT", R::kIsAt},
    {"GETOPACITY", R::kGetOpacity},
    {"GETANCHOR", R::kGetAnchor},
    {"GETEVENTNUMBER", R::kGetEventNumber},
    {"GETFPS", R::kGetFPS},
    {"REPLACECOLOR", R::kReplaceColor},
    {"GETENDX", R::kGetEndX},
    {"GETENDY", R::kGetEndY},
};
static_assert(sizeof(kMethods) / sizeof(kMethods[0]) == 70);

int32_t saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

CMC_Variable* integer(int value) { return CMC_VariableFactory::newInteger(value); }
CMC_Variable* boolean(bool value) { return CMC_VariableFactory::newBool(value); }
CMC_Variable* text(const CXString& value) { return CMC_VariableFactory::newString(value); }

// The 16-bit pixel at an index of a frame, read through its packing.
int16_t framePixel(CGraphicsObject* frame, int64_t index) {
    if (!frame || index < 0 || (frame->GetBpp() != 15 && frame->GetBpp() != 16)) return 0;
    const int size = frame->GetDataSize();
    if ((index + 1) * 2 > size) return 0;
    int16_t value = 0;
    if (frame->GetCompression() == COMPRESSION_NONE) {
        if (frame->GetDataPtr()) std::memcpy(&value, frame->GetDataPtr() + index * 2, 2);
        return value;
    }
    if (frame->GetCompression() != COMPRESSION_RLE || !frame->GetDataPtr()) return 0;
    std::unique_ptr<char[]> plain(CRLECompression::__decompress(frame->GetDataPtr(), frame->getPackedSize(), size));
    if (plain) std::memcpy(&value, plain.get() + index * 2, 2);
    return value;
}

}  // namespace

int CMC_Animo_Runner::volumeValue(int volume) {
    const int32_t value = saturate((static_cast<int64_t>(volume) - 800) * 3200 / 800);
    return value <= -3100 ? -10000 : value;
}

int CMC_Animo_Runner::panValue(int pan) {
    const int32_t value = saturate((static_cast<int64_t>(pan) - 400) * 3200 / 800 / 2);
    if (value <= -3100) return -10000;
    if (value >= 3100) return 10000;
    return value;
}

int CMC_Animo_Runner::packColor(int bpp, int r, int g, int b) {
    if (bpp == 15) return ((r >> 3) & 31) << 10 | ((g >> 3) & 31) << 5 | ((b >> 3) & 31);
    return static_cast<int>(static_cast<uint32_t>(r >> 3) << 11) | ((g >> 2) & 63) << 5 | ((b >> 3) & 31);
}

void CMC_Animo_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    for (const MethodName& m : kMethods) putMethod(m.name, m.id);
}

CMC_Variable* CMC_Animo_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Animo*>(target);
    if (!object || id < kShow || id > kGetEndY) return CMC_Runner::run(id, target, container, arguments);
    CAnimo6* animo = object->getAnimo();
    const int count = argumentCount(arguments);
    CWindow* window = container ? container->getWindow() : nullptr;
    CRefreshScreen* screen = window ? window->GetRefreshScreenInterface() : nullptr;

    // The empty result of each method: none, FALSE, 0 or "".
    auto empty = [id]() -> CMC_Variable* {
        switch (id) {
        case kIsPlaying: case kIsPaused: case kIsNear: case kIsInside: case kIsVisible: case kIsAt:
            return boolean(false);
        case kGetFrameName: case kGetEventName:
            return text(CXString());
        case kGetPositionX: case kGetPositionY: case kGetWidth: case kGetHeight: case kGetFrame:
        case kGetFrameNo: case kGetAlpha: case kGetPixel: case kGetCurrFramePosX: case kGetCurrFramePosY:
        case kGetCenterX: case kGetCenterY: case kGetNOE: case kGetNOF: case kGetNOFInEvent:
        case kGetMaxWidth: case kGetMaxHeight: case kGetCFrameInEvent: case kGetPriority: case kGetOpacity:
        case kGetEventNumber: case kGetFPS: case kGetEndX: case kGetEndY:
            return integer(0);
        default:
            return nullptr;
        }
    };
    // Methods that need no animation to answer.
    if (id == kLoad) {
        if (count >= 1) object->load(getParameterText(arguments, 0), true);
        return nullptr;
    }
    if (id == kSetAsButton) {
        if (count >= 2) object->setAsButton(parameterBool(arguments, 0), parameterBool(arguments, 1));
        return nullptr;
    }
    if (id == kSetOnFF) {
        object->setOnFirstFrame(count >= 1 ? parameterBool(arguments, 0) : true);
        return nullptr;
    }
    if (!animo) return empty();

    // A raw argument: an INTEGER's number, else the text.
    auto isInteger = [&](int i) { return dynamic_cast<CMC_Integer*>(getParameter(arguments, i)) != nullptr; };
    auto int_ = [&](int i) { return parameterInt(arguments, i); };
    auto text_ = [&](int i) { return getParameterText(arguments, i); };
    // An event named or numbered by a raw argument; -1 stands for the current one.
    // `byName` turns a name into a number. False for a number below -1.
    auto rawEvent = [&](int i, int (*byName)(CAnimo6*, const CXString&), int* event) {
        if (isInteger(i)) {
            *event = int_(i);
            return *event >= -1;
        }
        *event = byName(animo, text_(i));
        return true;
    };
    auto eventNo = [](CAnimo6* a, const CXString& name) { return a->GetEventNo(name); };
    auto eventNoOrFirst = [](CAnimo6* a, const CXString& name) { return a->getFrameNo(name); };

    switch (id) {
    case kShow: animo->show(); return nullptr;
    case kHide: animo->hide(); return nullptr;
    case kPause: animo->pause(); return nullptr;
    case kResume: animo->resume(); return nullptr;
    case kSetPosition:
        if (count < 2) return nullptr;
        animo->Invalidate();
        animo->setPosition(int_(0), int_(1));
        animo->Invalidate();
        return nullptr;
    case kMove:
        if (count >= 2) animo->Move(int_(0), int_(1));
        return nullptr;
    case kClearClipping: animo->SetClippingRect(CXRect(0, 0, 0, 0)); return nullptr;
    case kSetClipping:
        if (count == 1) {
            CGraphicsObject* g = container ? container->getGraphicsObject(text_(0)) : nullptr;
            animo->SetClippingRect(g ? g->GetBoundingBox() : CXRect(0, 0, 0, 0));
        } else if (count >= 4) {
            animo->SetClippingRect(CXRect(int_(0), int_(1), int_(2), int_(3)));
        }
        return nullptr;
    case kPlay:
        if (count >= 1) {
            const CXString name = text_(0);
            animo->addNotifier(object);
            animo->Play(name, 0, 15);
        } else {
            animo->play();
        }
        return nullptr;
    case kSetFrame:
        if (count == 2) {
            int event = 0;
            if (!rawEvent(0, eventNoOrFirst, &event)) return nullptr;
            if (isInteger(1)) {
                const int position = int_(1);
                if (position >= -1) animo->SetEventFrame(event, position);
            } else {
                animo->SetEventFrame(event, text_(1));
            }
        } else {
            animo->SetFrame(count >= 1 ? int_(0) : 0);
        }
        return nullptr;
    case kStop: animo->stop(count >= 1 ? parameterBool(arguments, 0) : true); return nullptr;
    case kIsPlaying: {
        bool playing = animo->isPlaying();
        if (playing && count >= 1) {
            const CXString name = isInteger(0) ? animo->GetEventName(int_(0) < -1 ? animo->GetNOE() : int_(0)) : text_(0);
            playing = animo->getCurrentEventName().equalsIgnoreCase(name);
        }
        return boolean(playing);
    }
    case kIsPaused: return boolean((animo->getStatus() & 2) != 0);
    case kGetPositionX: return integer(count >= 1 ? animo->getPosition().x : animo->GetPosition().x);
    case kGetPositionY: return integer(count >= 1 ? animo->getPosition().y : animo->GetPosition().y);
    case kGetWidth: return integer(animo->Width());
    case kGetHeight: return integer(animo->Height());
    case kGetFrame: return integer(animo->Current());
    case kGetFrameName: {
        if (count == 0) return text(animo->getFrameName(-1, -1));
        if (count < 2) return empty();
        int event = -1;
        if (!rawEvent(0, eventNo, &event)) return empty();
        const int position = int_(1);
        if (position < -1) return empty();
        return text(animo->getFrameName(event, position));
    }
    case kGetFrameNo: {
        if (count == 0) return integer(animo->GetFrameNo());
        if (count < 2) return empty();
        int event = -1;
        if (!rawEvent(0, eventNo, &event)) return empty();
        if (isInteger(1)) return integer(animo->GetFrameNo(event, int_(1)));
        return integer(animo->GetFrameNo(event, text_(1)));
    }
    case kGetEventName:
        if (count == 1) {
            const int event = int_(0);
            return text(event < -1 ? CXString() : animo->GetEventName(event));
        }
        return text(animo->getCurrentEventName());
    case kIsNear:
        if (count == 2) {
            CGraphicsObject* g = container ? container->getGraphicsObject(text_(0)) : nullptr;
            return boolean(g && animo->isNear(g, int_(1)));
        }
        if (count < 5) return empty();
        return boolean(animo->isNear(CXRect(int_(0), int_(1), int_(2), int_(3)), int_(4)));
    case kIsInside:
        if (count < 3) return empty();
        return boolean(animo->isInside(int_(0), int_(1), parameterBool(arguments, 2)));
    case kPlayRand:
        if (count < 3) return nullptr;
        if (CUnit6* unit = CMC_Scene::getDefUnit())
            unit->addRandomPlayable(animo, static_cast<double>(int_(1)), int_(2), text_(0));
        return nullptr;
    case kMonitorCollision: {
        if (count < 1) return nullptr;
        auto* scene = dynamic_cast<CMC_Scene*>(container);
        if (!scene && container) scene = dynamic_cast<CMC_Scene*>(container->getScene());
        if (scene) scene->monitorCollisions(animo, parameterBool(arguments, 0), object);
        animo->setMonitorCollisions(true);
        return nullptr;
    }
    case kRemoveMonitorCollision:
        object->removeCollisionsMonitoring();
        animo->setMonitorCollisions(false);
        return nullptr;
    case kSetForward: animo->SetDirection(DIRECTION_FORWARD); return nullptr;
    case kSetBackward: animo->SetDirection(DIRECTION_BACKWARD); return nullptr;
    case kNextFrame: animo->Next(); return nullptr;
    case kPrevFrame: animo->Prev(); return nullptr;
    case kSetPriority:
        if (count >= 1 && screen) screen->SetPriority(animo, int_(0));
        return nullptr;
    case kGetAlpha:
    case kGetPixel: {
        if (count < 2) return empty();
        const int x = int_(0);
        const int y = int_(1);
        const CXPoint at = animo->GetPosition();
        const int w = animo->Width();
        const int h = animo->Height();
        const int64_t dx = static_cast<int64_t>(x) - at.x;
        const int64_t dy = static_cast<int64_t>(y) - at.y;
        if (dx < 0 || dy < 0 || dx >= w || dy >= h) return integer(0);
        CFrame* frame = animo->GetFrame(-1);
        if (!frame) return integer(0);
        if (id == kGetAlpha)
            return integer(static_cast<int8_t>(
                frame->GetPixel(CHANNEL_ALPHA, CXPoint(static_cast<int>(dx), static_cast<int>(dy)))));
        return integer(framePixel(frame, dy * w + dx));
    }
    case kSetFPS:
        if (count >= 1) animo->SetFPS(int_(0));
        return nullptr;
    case kMergeAlpha: {
        if (count < 3) return nullptr;
        CGraphicsObject* g = container ? container->getGraphicsObject(text_(2)) : nullptr;
        if (g) animo->mergeAlpha(CXPoint(int_(0), int_(1)), g);
        return nullptr;
    }
    case kInvalidate: animo->Invalidate(); return nullptr;
    case kGetCurrFramePosX: return integer(animo->getCurrFramePosition().x);
    case kGetCurrFramePosY: return integer(animo->getCurrFramePosition().y);
    case kGetCenterX: return integer(animo->GetPosition().x + animo->Width() / 2);
    case kGetCenterY: return integer(animo->GetPosition().y + animo->Height() / 2);
    case kGetNOE: return integer(animo->GetNOE());
    case kGetNOF: return integer(animo->GetNOF());
    case kGetNOFInEvent:
        if (count == 0) return integer(0);
        if (isInteger(0)) return integer(int_(0) < -1 ? 0 : animo->GetNOFInEvent(int_(0)));
        return integer(animo->GetNOFInEvent(text_(0)));
    case kGetMaxWidth: return integer(animo->GetMaxWidth());
    case kGetMaxHeight: return integer(animo->GetMaxHeight());
    case kIsVisible: return boolean(animo->isVisible());
    case kGetCFrameInEvent: return integer(animo->GetCurrentFrameInSequence());
    case kSetOpacity:
        if (count >= 1) animo->SetOpacity(static_cast<uint8_t>(int_(0) % 257));
        return nullptr;
    case kSetVolume:
        if (count >= 1) animo->setVolume(volumeValue(int_(0)));
        return nullptr;
    case kSetPan:
        if (count >= 1) animo->setPanning(panValue(int_(0)));
        return nullptr;
    case kSetFreq:
        if (count >= 1) animo->setFrequency(int_(0));
        return nullptr;
    case kSetAnchor: {
        if (count == 1) {
            const CXString word = text_(0);
            const CXPoint p = animo->GetPosition();
            const int w = animo->Width();
            const int h = animo->Height();
            struct Anchor {
                const char* word;
                int x, y;
            };
            const Anchor anchors[] = {
                {"CENTER", p.x + w / 2, p.y + h / 2}, {"LEFTUPPER", p.x, p.y},
                {"RIGHTUPPER", p.x + w, p.y},          {"LEFTLOWER", p.x, p.y + h},
                {"RIGHTLOWER", p.x + w, p.y + h},      {"LEFT", p.x, p.y + h / 2},
                {"RIGHT", p.x + w, p.y + h / 2},       {"TOP", p.x + w / 2, p.y},
                {"BOTTOM", p.x + w / 2, p.y + h},
            };
            CXPoint anchor(0, 0);
            for (const Anchor& a : anchors)
                if (word.equals(a.word)) {
                    anchor = CXPoint(a.x, a.y);
                    break;
                }
            animo->setAnchor(anchor);
        } else if (count >= 2) {
            animo->setAnchor(CXPoint(int_(0), int_(1)));
        }
        return nullptr;
    }
    case kSetFrameName: {
        if (count < 3) return nullptr;
        int event = 0;
        if (!rawEvent(0, eventNoOrFirst, &event)) return nullptr;
        if (_anmFrameInfo3* record = animo->GetOrAddFrameInfo(event, int_(1))) {
            record->name = text_(2);
            record->hasName = true;
        }
        return nullptr;
    }
    case kGetPriority: return integer(screen ? screen->GetPriority(animo) : -1);
    case kFlipH: animo->FlipH(); animo->Invalidate(); return nullptr;
    case kFlipV: animo->FlipV(); animo->Invalidate(); return nullptr;
    case kResetFlips: animo->resetFlips(); animo->Invalidate(); return nullptr;
    case kDrawOnto: {
        if (count < 1) return nullptr;
        CGraphicsObject* g = container ? container->getGraphicsObject(text_(0)) : nullptr;
        if (g) g->addObject(animo, count == 2 ? int_(1) : 0);
        return nullptr;
    }
    case kPlayReverse: {
        if (count < 1) return nullptr;
        CMC_Variable* event = getParameter(arguments, 0);
        CXString name;
        if (isInteger(0)) {
            if (int_(0) < -1) return nullptr;
            name = animo->GetEventName(animo->GetEventNo(int_(0)));
        } else if (dynamic_cast<CMC_String*>(event)) {
            name = text_(0);
        } else {
            return nullptr;
        }
        animo->playReverse(name, count >= 2 ? int_(1) : -1);
        return nullptr;
    }
    case kNPlay: {
        if (count < 1 || int_(0) < -1) return nullptr;
        const CXString name = animo->GetEventName(animo->GetEventNo(int_(0)));
        const int start = count >= 2 ? int_(1) : -1;
        animo->Play(name, start == -1 ? 0 : start, 0);
        return nullptr;
    }
    case kIsAt:
        if (count < 3) return empty();
        return boolean(animo->isAt(CXPoint(int_(0), int_(1)), parameterBool(arguments, 2)));
    case kGetOpacity: return integer(animo->GetOpacity());
    case kGetAnchor: {
        if (count < 1) return nullptr;
        auto* array = dynamic_cast<CMC_Array*>(container ? container->getObject(text_(0)) : nullptr);
        if (!array) return nullptr;
        const CXPoint anchor = animo->getAnchor();
        array->add(integer(anchor.x));
        array->add(integer(anchor.y));
        return nullptr;
    }
    case kGetEventNumber:
        if (count == 1) return integer(animo->GetEventNo(text_(0)));
        return integer(animo->GetCurrentEvent());
    case kGetFPS: return integer(animo->GetFPS());
    case kReplaceColor: {
        if (count < 6) return nullptr;
        const int bpp = screen ? screen->GetBpp() : 16;
        const int from = packColor(bpp, int_(0), int_(1), int_(2));
        const int to = packColor(bpp, int_(3), int_(4), int_(5));
        animo->replace_color(static_cast<short>(from & 0xFFFF), static_cast<short>(to & 0xFFFF));
        return nullptr;
    }
    case kGetEndX:
        return integer((count >= 1 ? animo->getPosition().x : animo->GetPosition().x) + animo->Width());
    case kGetEndY:
        return integer((count >= 1 ? animo->getPosition().y : animo->GetPosition().y) + animo->Height());
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
