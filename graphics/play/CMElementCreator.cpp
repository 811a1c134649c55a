#include "graphics/play/CMElementCreator.h"

CXObject* CMElementCreator::createObject(CWindow*, CMElement*) { return nullptr; }

CPlayable* CMElementCreator::createPlayable(CWindow*, CMElement*) { return nullptr; }
