#include "script/CScriptWindowServices.h"

namespace {

// Constant-initialised, so a registration made during static initialisation holds.
CScriptWindowServices::Resolver g_resolver = nullptr;

}  // namespace

bool CScriptWindowServices::registerResolver(Resolver resolver) {
    g_resolver = resolver;
    return true;
}

CScriptWindowServices* CScriptWindowServices::of(CWindow* window) {
    return window && g_resolver ? g_resolver(window) : nullptr;
}
