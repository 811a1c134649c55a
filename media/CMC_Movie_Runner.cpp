#include "media/CMC_Movie_Runner.h"

#include "graphics/play/CMoviePlayable.h"
#include "media/CMC_Movie.h"
#include "script/CMC_Bool.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kMovie, []() -> CMC_Runner* { return new CMC_Movie_Runner(); });

CMC_Variable* boolResult(bool value) {
    CMC_Bool* result = CMC_VariableFactory::allocBool();
    if (result) result->setValue(value);
    return result;
}

constexpr int64_t kUnitsPerMs = 10000;

}  // namespace

void CMC_Movie_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("LOAD", kLoad);
    putMethod("SETPOSITION", kSetPosition);
    putMethod("PLAY", kPlay);
    putMethod("STOP", kStop);
    putMethod("SETLOOP", kSetLoop);
    putMethod("SEEK", kSeek);
    putMethod("ISPLAYING", kIsPlaying);
    putMethod("PAUSE", kPause);
    putMethod("RESUME", kResume);
}

CMC_Variable* CMC_Movie_Runner::load(CMoviePlayable* movie, CXVector* arguments) {
    return boolResult(movie->load(getParameterText(arguments, 0)));
}

CMC_Variable* CMC_Movie_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Movie*>(target);
    if (!object || id < kLoad || id > kResume) return CMC_Runner::run(id, target, container, arguments);
    CMoviePlayable* movie = object->getMovie();
    if (!movie) return id == kLoad || id == kIsPlaying ? boolResult(false) : nullptr;
    switch (id) {
    case kLoad: return load(movie, arguments);
    case kSetPosition:
        movie->CGraphicsObject::Invalidate();
        movie->CGraphicsObject::SetPosition(parameterInt(arguments, 0), parameterInt(arguments, 1));
        return nullptr;
    case kPlay: movie->play(); return nullptr;
    case kStop: movie->stop(argumentCount(arguments) >= 1 ? parameterBool(arguments, 0) : true); return nullptr;
    case kSetLoop:
        if (argumentCount(arguments) >= 2)
            movie->setLoop(parameterInt(arguments, 0), parameterInt(arguments, 1));
        else
            movie->setLoop(0, -1);
        return nullptr;
    // Milliseconds to 100 ns units in 64 bits: a 32-bit product would wrap past 214,748 ms.
    case kSeek: movie->seekTime(static_cast<int64_t>(parameterInt(arguments, 0)) * kUnitsPerMs); return nullptr;
    case kIsPlaying: return boolResult(movie->isPlaying());
    case kPause: movie->pause(); return nullptr;
    case kResume: movie->resume(); return nullptr;
    default: return nullptr;
    }
}
