#include "foundation/CWindowServices.h"

namespace {
CWindowServicesResolver g_resolver = nullptr;
}

bool registerWindowServicesResolver(CWindowServicesResolver resolver) {
    g_resolver = resolver;
    return true;
}

CWindowServices* windowServices(CWindow* window) { return window && g_resolver ? g_resolver(window) : nullptr; }
