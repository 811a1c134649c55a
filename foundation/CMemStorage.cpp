#include "foundation/CMemStorage.h"

#include <cstring>

CMemStorage::CMemStorage(int blockSize) : m_blockSize(blockSize > 0 ? blockSize : kDefaultBlockSize) {
    addBlock(m_blockSize);
}

CMemStorage::~CMemStorage() {
    for (Block& b : m_blocks) delete[] b.data;
}

void CMemStorage::addBlock(int capacity) { m_blocks.push_back(Block{new char[capacity], capacity, 0}); }

void CMemStorage::put(void* data, int n) {
    if (n <= 0 || !data || n > INT32_MAX - m_total) return;
    Block* last = &m_blocks.back();
    if (n > last->capacity - last->used) {
        addBlock(n > m_blockSize ? n : m_blockSize);
        last = &m_blocks.back();
    }
    std::memcpy(last->data + last->used, data, static_cast<size_t>(n));
    last->used += n;
    m_total += n;
}

void CMemStorage::copy(void* target) {
    auto* out = static_cast<char*>(target);
    for (const Block& b : m_blocks) {
        if (b.used > 0) std::memcpy(out, b.data, static_cast<size_t>(b.used));
        out += b.used;
    }
}

char* CMemStorage::getBuffer(int i) {
    return i >= 0 && i < getBlockCount() ? m_blocks[static_cast<size_t>(i)].data : nullptr;
}

int CMemStorage::getDataSize(int i) {
    return i >= 0 && i < getBlockCount() ? m_blocks[static_cast<size_t>(i)].used : 0;
}
