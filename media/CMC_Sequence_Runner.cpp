#include "media/CMC_Sequence_Runner.h"

#include <string>
#include <vector>

#include "graphics/play/CSequencedPlayable.h"
#include "media/CMC_Sequence.h"
#include "media/CMC_Sound.h"
#include "media/sequence/CMultimediaSequenceCreator.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kSequence, []() -> CMC_Runner* { return new CMC_Sequence_Runner(); });

CMC_Variable* boolResult(bool value) {
    CMC_Bool* result = CMC_VariableFactory::allocBool();
    if (result) result->setValue(value);
    return result;
}

CMC_Variable* stringResult(const CXString& value) {
    CMC_String* result = CMC_VariableFactory::allocString();
    if (result) result->setValue(value);
    return result;
}

int intOf(CMC_Variable* value) {
    if (!value) return 0;
    auto* converted = dynamic_cast<CMC_Integer*>(value->convert(CMC_Variable::kInteger));
    return converted ? converted->getValue() : 0;
}

}  // namespace

void CMC_Sequence_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("PLAY", kPlay);
    putMethod("STOP", kStop);
    putMethod("PAUSE", kPause);
    putMethod("RESUME", kResume);
    putMethod("SHOW", kShow);
    putMethod("HIDE", kHide);
    putMethod("ISPLAYING", kIsPlaying);
    putMethod("SETVOLUME", kSetVolume);
    putMethod("SETPAN", kSetPan);
    putMethod("SETFREQ", kSetFreq);
    putMethod("GETEVENTNAME", kGetEventName);
    putMethod("GETPLAYING", kGetPlaying);
}

CXString CMC_Sequence_Runner::fillPattern(CXString pattern, const int* values, int count) {
    std::string text(pattern.c_str(), static_cast<size_t>(pattern.getLength()));
    int k = 0;
    for (int i = 0; i < count && i < static_cast<int>(text.size()); ++i) {
        char& c = text[static_cast<size_t>(i)];
        if (c != 'x' && c != 'X') continue;
        c = CMultimediaSequenceCreator::getParameter(values[k++]);
    }
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

CMC_Variable* CMC_Sequence_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Sequence*>(target);
    if (!object || id < kPlay || id > kGetPlaying) return CMC_Runner::run(id, target, container, arguments);
    CPlayable* sequence = object->getSequence();
    if (!sequence) {
        if (id == kIsPlaying) return boolResult(false);
        if (id == kGetEventName || id == kGetPlaying) return stringResult(CXString());
        return nullptr;
    }
    switch (id) {
    case kPlay: {
        const int count = argumentCount(arguments);
        if (count == 0) return nullptr;
        const CXString event = getParameterText(arguments, 0);
        if (count == 1) {
            sequence->play(event);
            return nullptr;
        }
        const CXString source = getParameterText(arguments, 1);
        CXString parameter = source;
        CMC_Object* named = container ? container->getObject(source) : nullptr;
        if (auto* array = dynamic_cast<CMC_Array*>(named)) {
            const CXString pattern = sequence->getParameter(event);
            const int size = array->getSize();
            const int used = size < pattern.getLength() ? size : pattern.getLength();
            std::vector<int> values;
            for (int k = 0; k < used; ++k) values.push_back(intOf(array->get(k)));
            parameter = fillPattern(pattern, values.data(), used);
        }
        sequence->setParameter(event, parameter);
        sequence->play(event);
        return nullptr;
    }
    case kStop:
        if (sequence->isPlaying()) sequence->stop(argumentCount(arguments) >= 1 ? parameterBool(arguments, 0) : true);
        return nullptr;
    case kPause: sequence->pause(); return nullptr;
    case kResume: sequence->resume(); return nullptr;
    case kShow: sequence->show(); return nullptr;
    case kHide: sequence->hide(); return nullptr;
    case kIsPlaying: return boolResult(sequence->isPlaying());
    case kSetVolume: sequence->setVolume(CMC_Sound::convertVolume(parameterInt(arguments, 0))); return nullptr;
    case kSetPan: sequence->setPanning(CMC_Sound::convertPan(parameterInt(arguments, 0))); return nullptr;
    case kSetFreq: sequence->setFrequency(parameterInt(arguments, 0)); return nullptr;
    case kGetEventName: {
        if (argumentCount(arguments) == 0) return stringResult(sequence->getLastPlayedEvent());
        auto* tree = dynamic_cast<CSequencedPlayable*>(sequence);
        return stringResult(tree ? tree->getLastPlayedEvent(getParameterText(arguments, 0)) : CXString());
    }
    case kGetPlaying: {
        CPlayable* playing = sequence->getPlaying();
        return stringResult(playing ? playing->getName() : CXString());
    }
    default: return nullptr;
    }
}
