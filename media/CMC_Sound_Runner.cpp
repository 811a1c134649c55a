#include "media/CMC_Sound_Runner.h"

#include "media/CMC_Sound.h"
#include "script/CMC_Bool.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CSound4.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kSound, []() -> CMC_Runner* { return new CMC_Sound_Runner(); });

CMC_Variable* boolResult(bool value) {
    CMC_Bool* result = CMC_VariableFactory::allocBool();
    if (result) result->setValue(value);
    return result;
}

bool isOwnMethod(int id) {
    return (id >= CMC_Sound_Runner::kPlay && id <= CMC_Sound_Runner::kResume) ||
           (id >= CMC_Sound_Runner::kLoad && id <= CMC_Sound_Runner::kIsPlaying);
}

}  // namespace

void CMC_Sound_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("PLAY", kPlay);
    putMethod("STOP", kStop);
    putMethod("PAUSE", kPause);
    putMethod("RESUME", kResume);
    putMethod("LOAD", kLoad);
    putMethod("SETVOLUME", kSetVolume);
    putMethod("SETPAN", kSetPan);
    putMethod("SETFREQ", kSetFreq);
    putMethod("ISPLAYING", kIsPlaying);
}

CMC_Variable* CMC_Sound_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Sound*>(target);
    if (!object || !isOwnMethod(id)) return CMC_Runner::run(id, target, container, arguments);
    CSound4* sound = object->getSound();
    if (!sound) return boolResult(false);
    switch (id) {
    case kPlay: sound->play(); return nullptr;
    case kStop: sound->stop(argumentCount(arguments) >= 1 ? parameterBool(arguments, 0) : true); return nullptr;
    case kPause: sound->pause(); return nullptr;
    case kResume: sound->resume(); return nullptr;
    case kLoad: return boolResult(sound->Load(getParameterText(arguments, 0)));
    case kSetVolume: sound->setVolume(CMC_Sound::convertVolume(parameterInt(arguments, 0))); return nullptr;
    case kSetPan: sound->setPanning(CMC_Sound::convertPan(parameterInt(arguments, 0))); return nullptr;
    case kSetFreq: sound->setFrequency(parameterInt(arguments, 0)); return nullptr;
    case kIsPlaying: return boolResult(sound->isPlaying());
    default: return nullptr;
    }
}
