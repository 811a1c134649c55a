#include "foundation/CXObject.h"

#include <cstdint>

#include "foundation/CEngineEnv.h"
#include "foundation/CXString.h"

CXObject::CXObject() = default;

CXObject::~CXObject() = default;

bool CXObject::isToDelete() { return m_toDelete; }

void CXObject::setToDelete() { m_toDelete = true; }

int CXObject::getHashcode() {
    return static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this)));
}

bool CXObject::equals(CXObject* other) { return other == this; }

int CXObject::compare(CXObject* other) { return other == this ? 1 : 0; }

CXObject* CXObject::clone() { return nullptr; }

CXString CXObject::toString() { return CXString(); }

void CXObject::notifyMessageReceive(CMessage*) {}

int CXObject::processMessage(CMessage*) { return 0; }

void CXObject::log(const char* text, bool flag) { CEngineEnv::toLog(CXString(text), flag); }

int16_t CXObject::swap_word(int16_t v) {
    const auto u = static_cast<uint16_t>(v);
    return static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
}

int32_t CXObject::swap_dword(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return static_cast<int32_t>((u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) | (u << 24));
}

int absolute(int x) {
    if (x >= 0) return x;
    if (x == INT32_MIN) return INT32_MAX;
    return -x;
}
