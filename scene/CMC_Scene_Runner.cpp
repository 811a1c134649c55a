#include "scene/CMC_Scene_Runner.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/play/CAnimationManager.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectGroup.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CApplication.h"
#include "shell/CBackgroundMusic.h"
#include "shell/CSndStream.h"
#include "shell/CSoundManager.h"
#include "shell/CWindow.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kScene, []() -> CMC_Runner* { return new CMC_Scene_Runner(); });

constexpr int kGroupType = 3000;
constexpr float kListLoadFactor = 0.75f;

int clamp32(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The GROUP of that name, looked up in the scene; null for any other object.
CMC_ObjectGroup* groupNamed(CMC_Scene* scene, const CXString& name) {
    CMC_Object* object = scene->getObject(name);
    return object && object->getType() == kGroupType ? dynamic_cast<CMC_ObjectGroup*>(object) : nullptr;
}

CMC_Array* arrayNamed(CMC_Scene* scene, const CXString& name) {
    CMC_Object* object = scene->getObject(name);
    return object && object->getType() == CMC_Array::kType ? dynamic_cast<CMC_Array*>(object) : nullptr;
}

CSoundManager* soundManager(CWindow* window) {
    CApplication* application = window ? window->GetApplicationInterface() : nullptr;
    return application ? application->getSoundManager() : nullptr;
}

// The music's stream when it has a buffer to set.
CSndStream* musicStream(CWindow* window) {
    CBackgroundMusic* music = window ? window->getMusicInterface() : nullptr;
    CSndStream* stream = music ? music->getStream() : nullptr;
    return stream && stream->getBuffer() ? stream : nullptr;
}

}  // namespace

void CMC_Scene_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("STARTMUSIC", kStartMusic);
    putMethod("STOPMUSIC", kStopMusic);
    putMethod("GETDRAGGEDNAME", kGetDraggedName);
    putMethod("GETPLAYINGSEQ", kGetPlayingSeq);
    putMethod("RUN", kRun);
    putMethod("RUNCLONES", kRunClones);
    putMethod("CREATEOBJECT", kCreateObject);
    putMethod("REMOVE", kRemove);
    putMethod("REMOVECLONES", kRemoveClones);
    putMethod("SETMUSICVOLUME", kSetMusicVolume);
    putMethod("GETMUSICVOLUME", kGetMusicVolume);
    putMethod("SETMUSICPAN", kSetMusicPan);
    putMethod("SETMUSICFREQ", kSetMusicFreq);
    putMethod("PAUSE", kPause);
    putMethod("RESUME", kResume);
    putMethod("SETMINHSPRIORITY", kSetMinHsPriority);
    putMethod("SETMAXHSPRIORITY", kSetMaxHsPriority);
    putMethod("GETELEMENTSNO", kGetElementsNo);
    putMethod("TOTIME", kToTime);
    putMethod("ISPAUSED", kIsPaused);
    putMethod("GETPLAYINGANIMO", kGetPlayingAnimo);
    putMethod("RESUMEONLY", kResumeOnly);
    putMethod("RESUMESEQONLY", kResumeSeqOnly);
    putMethod("GETMINHSPRIORITY", kGetMinHsPriority);
    putMethod("GETMAXHSPRIORITY", kGetMaxHsPriority);
    putMethod("GETRUNNINGTIMER", kGetRunningTimer);
    putMethod("GETOBJECTS", kGetObjects);
}

int CMC_Scene_Runner::musicVolume(int value) {
    const int64_t volume = (static_cast<int64_t>(value) - 800) * 4;
    return volume <= -3100 ? -10000 : clamp32(volume);
}

int CMC_Scene_Runner::scriptVolume(int volume) { return clamp32(static_cast<int64_t>(volume) / 4 + 800); }

int CMC_Scene_Runner::musicPan(int value) {
    const int64_t pan = (static_cast<int64_t>(value) - 400) * 2;
    if (pan <= -3100) return -10000;
    if (pan >= 3100) return 10000;
    return static_cast<int>(pan);
}

CXString CMC_Scene_Runner::toTime(int seconds) {
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    CXString text;
    for (int part : {minutes / 10, minutes % 10, rest / 10, rest % 10}) {
        CXString piece;
        piece.Format("%d", part);
        text += piece;
    }
    return text;
}

void CMC_Scene_Runner::runClones(CMC_Scene* scene, CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (count < 4) return;
    const CXString base = getParameterText(arguments, 0);
    CMC_Object* object = scene->getObject(base);
    if (!object) return;
    int first = 1;
    int last = object->getClonesNo();
    const int firstArgument = parameterInt(arguments, 1);
    const int lastArgument = parameterInt(arguments, 2);
    const CXString code = getParameterText(arguments, 3);
    auto* behaviour = dynamic_cast<CMC_Behaviour*>(scene->getObject(code));
    CMC_Behaviour* made = nullptr;
    if (!behaviour) {
        // Not a behaviour's name: the text is the code of a behaviour of no container.
        made = new CMC_Behaviour(scene, CXString("temp"), code);
        made->init();
        behaviour = made;
    }
    if (firstArgument > 0) first = firstArgument;
    if (lastArgument > 0) last = lastArgument;
    std::vector<CXString> extra;
    for (int i = 4; i < count; ++i) extra.push_back(getParameterText(arguments, i));
    // The clones are named, never looked up: a handler may remove them as it goes.
    for (int64_t k = first; k <= last && CMC_StepBudget::take(); ++k) {
        CXArray list(101, kListLoadFactor);
        CXString name = base;
        CXString number;
        number.Format("_%d", static_cast<int>(k));
        name += number;
        list.add(new CXString(name));
        for (const CXString& text : extra) list.add(new CXString(text));
        behaviour->run(scene, &list, false);
        for (int i = 0; i < list.getCount(); ++i) delete static_cast<CXString*>(list.at(i));
    }
    if (made) CMC_Object::dispose(made);
}

void CMC_Scene_Runner::removeClones(CMC_Scene* scene, CXVector* arguments) {
    if (argumentCount(arguments) < 3) return;
    CMC_Object* object = scene->getObject(getParameterText(arguments, 0));
    int first = parameterInt(arguments, 1);
    int last = parameterInt(arguments, 2);
    if (!object) return;
    const CXString base = object->getName();
    if (first == -1) first = 1;
    if (last == -1) last = object->getClonesNo();
    for (int64_t k = first; k <= last && CMC_StepBudget::take(); ++k) {
        CXString name = base;
        CXString number;
        number.Format("_%d", static_cast<int>(k));
        name += number;
        // Only what the scene itself holds; "ONDONE" now, deletion at the next step.
        scene->deleteObject(scene->getObject(name), true);
    }
}

void CMC_Scene_Runner::pause(CMC_Scene* scene, CXVector* arguments) {
    if (m_paused) return;
    m_paused = true;
    CWindow* window = scene->getWindow();
    if (CAnimationManager* animations = window ? window->getAnimationManager() : nullptr) animations->pause();
    if (CSoundManager* sounds = soundManager(window)) sounds->pause();
    CWindow::pause();
    const bool keep = argumentCount(arguments) >= 1 ? parameterBool(arguments, 0) : false;
    if (!keep && window && window->GetTimerInterface()) window->GetTimerInterface()->pause();
    CXTimer::enable(keep);
}

void CMC_Scene_Runner::resume(CMC_Scene* scene, CXVector* arguments, bool only) {
    if (!m_paused) return;
    m_paused = false;
    CWindow* window = scene->getWindow();
    const int count = argumentCount(arguments);
    CMC_ObjectGroup* group = nullptr;
    if (only) {
        group = groupNamed(scene, getParameterText(arguments, 0));
    }
    if (CAnimationManager* animations = window ? window->getAnimationManager() : nullptr) {
        // The group test the media layer installs takes the GROUP object itself, whose
        // first base is this interface.
        animations->resume(reinterpret_cast<CMC_Groupped*>(group));
    }
    if (CSoundManager* sounds = soundManager(window)) sounds->resume();
    CWindow::resume();
    bool kept = true;
    if (only) {
        if (count > 1) kept = parameterBool(arguments, 1);
    } else if (count >= 1) {
        kept = parameterBool(arguments, 0);
    }
    if (!kept && window && window->GetTimerInterface()) window->GetTimerInterface()->resume();
    CXTimer::enable(kept);
}

CMC_Variable* CMC_Scene_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* scene = dynamic_cast<CMC_Scene*>(target);
    if (!scene) return CMC_Runner::run(id, target, container, arguments);
    CWindow* window = scene->getWindow();
    const int count = argumentCount(arguments);
    switch (id) {
    case kStartMusic:
        if (count >= 1) {
            const CXString name = getParameterText(arguments, 0);
            scene->startMusic(name.c_str(), true);
        } else {
            scene->startMusic(nullptr, true);
        }
        return nullptr;
    case kStopMusic: scene->stopMusic(); return nullptr;
    case kGetDraggedName: return CMC_VariableFactory::newString(scene->getDraggedName());
    case kGetPlayingSeq:
        if (count >= 1) scene->getPlayingSeq(arrayNamed(scene, getParameterText(arguments, 0)));
        return nullptr;
    case kRun: return CMC_Application_Runner::runMethod(this, scene, scene, arguments, true);
    case kRunClones: runClones(scene, arguments); return nullptr;
    case kCreateObject:
        if (count >= 2) scene->createObject(getParameterText(arguments, 0), getParameterText(arguments, 1));
        return nullptr;
    case kRemove:
        // Only an object the scene itself holds goes (applications, episodes and scenes
        // never), with no "ONDONE"; deleted at the next application step.
        if (count >= 1) scene->deleteObject(scene->getObject(getParameterText(arguments, 0)), false);
        return nullptr;
    case kRemoveClones: removeClones(scene, arguments); return nullptr;
    case kSetMusicVolume:
        if (count >= 1 && musicStream(window)) window->setMusicVolume(musicVolume(parameterInt(arguments, 0)));
        return nullptr;
    case kGetMusicVolume:
        return CMC_VariableFactory::newInteger(musicStream(window) ? scriptVolume(window->getMusicVolume()) : 800);
    case kSetMusicPan:
        if (count >= 1 && musicStream(window)) window->setMusicPan(musicPan(parameterInt(arguments, 0)));
        return nullptr;
    case kSetMusicFreq:
        if (count >= 1 && musicStream(window)) window->setMusicFreq(parameterInt(arguments, 0));
        return nullptr;
    case kPause: pause(scene, arguments); return nullptr;
    case kResume: resume(scene, arguments, false); return nullptr;
    case kResumeOnly: resume(scene, arguments, true); return nullptr;
    case kSetMinHsPriority:
        if (count >= 1) CHotSpot::setMinPriority(parameterInt(arguments, 0));
        return nullptr;
    case kSetMaxHsPriority:
        if (count >= 1) CHotSpot::setMaxPriority(parameterInt(arguments, 0));
        return nullptr;
    case kGetMinHsPriority: return CMC_VariableFactory::newInteger(CHotSpot::getMinPriority());
    case kGetMaxHsPriority: return CMC_VariableFactory::newInteger(CHotSpot::getMaxPriority());
    case kGetElementsNo: return CMC_VariableFactory::newInteger(scene->getElementsNo());
    case kToTime:
        if (count < 1) return nullptr;
        return CMC_VariableFactory::newString(toTime(parameterInt(arguments, 0)));
    case kIsPaused: return CMC_VariableFactory::newBool(m_paused);
    case kGetPlayingAnimo:
        if (count >= 1) scene->getPlayingAnimo(groupNamed(scene, getParameterText(arguments, 0)));
        return nullptr;
    case kGetRunningTimer:
        if (count >= 1) scene->getRunningTimers(groupNamed(scene, getParameterText(arguments, 0)));
        return nullptr;
    case kGetObjects:
        if (count >= 2)
            scene->getObjects(getParameterText(arguments, 0), groupNamed(scene, getParameterText(arguments, 1)));
        return nullptr;
    case kResumeSeqOnly:
        if (count >= 1) scene->resumeExcept(arrayNamed(scene, getParameterText(arguments, 0)));
        return nullptr;
    default: return CMC_Runner::run(id, scene, scene, arguments);
    }
}
