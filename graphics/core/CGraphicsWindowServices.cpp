#include "graphics/core/CGraphicsWindowServices.h"

namespace {
CGraphicsWindowServices::Resolver g_resolver = nullptr;
}

bool CGraphicsWindowServices::registerResolver(Resolver resolver) {
    g_resolver = resolver;
    return true;
}

CGraphicsWindowServices* CGraphicsWindowServices::of(CWindow* window) {
    return window && g_resolver ? g_resolver(window) : nullptr;
}
