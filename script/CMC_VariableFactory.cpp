#include "script/CMC_VariableFactory.h"

#include <algorithm>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_Variable.h"

namespace {

// Plain arrays, so the pools stay reachable until done() even while the
// program's static objects are destroyed.
struct Pool {
    CMC_Variable** values = nullptr;
    uint8_t* inUse = nullptr;
    int32_t size = 0;
};

// Pools in the order BOOL, DOUBLE, INTEGER, STRING.
enum PoolId { kBoolPool, kDoublePool, kIntegerPool, kStringPool, kPoolCount };

bool g_initialized = false;
Pool g_pools[kPoolCount];
// Position handed out last; kept across initialize, done and clearPool.
int32_t g_cursors[kPoolCount] = {0, 0, 0, 0};
uint32_t g_generation = 0;

int poolOfType(int type) {
    switch (type) {
    case CMC_Variable::kInteger: return kIntegerPool;
    case CMC_Variable::kString: return kStringPool;
    case CMC_Variable::kBool: return kBoolPool;
    case CMC_Variable::kDouble: return kDoublePool;
    default: return -1;
    }
}

int32_t le32(const void* p) { return static_cast<int32_t>(byteorder::readLE32(p)); }

CMC_Variable* makeValue(int pool, int index) {
    const CXString name("f");
    switch (pool) {
    case kBoolPool: return new CMC_Bool(name, index);
    case kDoublePool: return new CMC_Double(name, index);
    case kIntegerPool: return new CMC_Integer(name, index);
    default: return new CMC_String(name, index);
    }
}

// Adds `count` new free values at the end of the pool.
void fill(int pool, int count) {
    Pool& p = g_pools[pool];
    const int32_t size = p.size + count;
    CMC_Variable** values = new CMC_Variable*[static_cast<size_t>(size)];
    uint8_t* inUse = new uint8_t[static_cast<size_t>(size)]();
    for (int32_t i = 0; i < p.size; ++i) {
        values[i] = p.values[i];
        inUse[i] = p.inUse[i];
    }
    for (int32_t i = p.size; i < size; ++i) values[i] = makeValue(pool, i);
    delete[] p.values;
    delete[] p.inUse;
    p.values = values;
    p.inUse = inUse;
    p.size = size;
}

CMC_Variable* allocate(int pool) {
    CMC_VariableFactory::initialize();
    Pool& p = g_pools[pool];
    int32_t& cursor = g_cursors[pool];
    const int32_t size = p.size;
    for (int32_t step = 0; step < size; ++step) {
        cursor = (cursor + 1 >= size) ? 0 : cursor + 1;
        if (!p.inUse[cursor]) {
            p.inUse[cursor] = 1;
            return p.values[cursor];
        }
    }
    // Every value is in use: the pool grows and hands out its first new value.
    fill(pool, CMC_VariableFactory::kPoolSize);
    cursor = size;
    p.inUse[cursor] = 1;
    return p.values[cursor];
}

}  // namespace

void CMC_VariableFactory::initialize() {
    if (g_initialized) return;
    g_initialized = true;
    for (int pool = 0; pool < kPoolCount; ++pool) fill(pool, kPoolSize);
}

void CMC_VariableFactory::done() {
    if (!g_initialized) return;
    ++g_generation;
    for (Pool& p : g_pools) {
        for (int32_t i = 0; i < p.size; ++i) delete p.values[i];
        delete[] p.values;
        delete[] p.inUse;
        p = Pool();
    }
    g_initialized = false;
}

bool CMC_VariableFactory::isInitialized() { return g_initialized; }

CMC_Bool* CMC_VariableFactory::allocBool() { return static_cast<CMC_Bool*>(allocate(kBoolPool)); }
CMC_Double* CMC_VariableFactory::allocDouble() { return static_cast<CMC_Double*>(allocate(kDoublePool)); }
CMC_Integer* CMC_VariableFactory::allocInteger() { return static_cast<CMC_Integer*>(allocate(kIntegerPool)); }
CMC_String* CMC_VariableFactory::allocString() { return static_cast<CMC_String*>(allocate(kStringPool)); }

namespace {
template <class T, class V>
T* allocSet(T* value, const V& content) {
    value->setValue(content);
    return value;
}
}  // namespace

CMC_Bool* CMC_VariableFactory::newBool(bool value) { return allocSet(allocBool(), value); }
CMC_Double* CMC_VariableFactory::newDouble(double value) { return allocSet(allocDouble(), value); }
CMC_Integer* CMC_VariableFactory::newInteger(int32_t value) { return allocSet(allocInteger(), value); }
CMC_String* CMC_VariableFactory::newString(const CXString& value) { return allocSet(allocString(), value); }

void CMC_VariableFactory::free(CMC_Variable* value) {
    if (!value || !g_initialized) return;
    const int pool = poolOfType(value->getType());
    const int index = value->getPoolIndex();
    if (pool < 0 || index < 0) return;
    Pool& p = g_pools[pool];
    // Only the pool's own value at that index is released.
    if (index < p.size && p.values[index] == value) p.inUse[index] = 0;
}

CMC_Variable* CMC_VariableFactory::copyVariable(CMC_Variable* value) {
    if (!value) return nullptr;
    const int pool = poolOfType(value->getType());
    if (pool < 0) return nullptr;
    CMC_Variable* copy = allocate(pool);
    copy->set(value);
    return copy;
}

CMC_Variable* CMC_VariableFactory::restore(CXArchive* archive) {
    if (!archive) return nullptr;
    int tag = 0;
    *archive >> &tag;
    const int pool = poolOfType(tag);
    if (pool < 0) return nullptr;
    CMC_Variable* value = allocate(pool);
    value->restore(archive);
    return value;
}

bool CMC_VariableFactory::recordFits(CFile* file) {
    const int64_t left = static_cast<int64_t>(file->Length()) - file->Tell();
    if (left < 8) return false;
    unsigned char head[8];
    const int start = file->Tell();
    const int got = file->Read(head, 8);
    file->Seek(start, 0);
    if (got != 8) return false;
    switch (le32(head)) {
    case CMC_Variable::kInteger:
    case CMC_Variable::kBool:
    case CMC_Variable::kDouble: return true;
    case CMC_Variable::kString: {
        const int32_t length = le32(head + 4);
        return length >= 0 && 8 + static_cast<int64_t>(length) <= left;
    }
    default: return false;
    }
}

CMC_Variable* CMC_VariableFactory::netrestore(void* buffer) {
    if (!buffer) return nullptr;
    const int pool = poolOfType(le32(buffer));
    if (pool < 0) return nullptr;
    CMC_Variable* value = allocate(pool);
    value->netrestore(buffer);
    return value;
}

CMC_Variable* CMC_VariableFactory::netrestore(const void* buffer, int32_t size) {
    if (!buffer || size < 4) return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    switch (le32(bytes)) {
    case CMC_Variable::kInteger:
        if (size < 8) return nullptr;
        break;
    case CMC_Variable::kBool:
        if (size < 5) return nullptr;
        break;
    case CMC_Variable::kDouble:
        if (size < 12) return nullptr;
        break;
    case CMC_Variable::kString:
        if (!std::memchr(bytes + 4, 0, static_cast<size_t>(size - 4))) return nullptr;
        break;
    default: return nullptr;
    }
    return netrestore(const_cast<unsigned char*>(bytes));
}

uint32_t CMC_VariableFactory::generation() { return g_generation; }

void CMC_VariableFactory::clearPool() {
    ++g_generation;
    for (Pool& p : g_pools)
        if (p.inUse) std::fill(p.inUse, p.inUse + p.size, 0);
}

int CMC_VariableFactory::poolSize(int type) {
    const int pool = poolOfType(type);
    return pool < 0 ? 0 : g_pools[pool].size;
}

int CMC_VariableFactory::inUseCount(int type) {
    const int pool = poolOfType(type);
    if (pool < 0) return 0;
    int n = 0;
    for (int32_t i = 0; i < g_pools[pool].size; ++i) n += g_pools[pool].inUse[i];
    return n;
}
