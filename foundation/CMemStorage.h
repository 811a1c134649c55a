// An append-only byte store made of fixed-size blocks.
#pragma once
#include <cstdint>
#include <vector>

class CMemStorage {
public:
    static constexpr int kDefaultBlockSize = 102400;

    // -1 (or any size below 1) means the default block size.
    explicit CMemStorage(int blockSize = -1);
    ~CMemStorage();

    CMemStorage(const CMemStorage&) = delete;
    CMemStorage& operator=(const CMemStorage&) = delete;

    // Appends n bytes; a put that does not fit the last block starts a new one,
    // at least n bytes long.
    void put(void* data, int n);
    // Writes every block's used bytes, in order, into target (getTotalSize bytes).
    void copy(void* target);

    char* getBuffer(int i);
    int getDataSize(int i);
    int getBlockCount() const { return static_cast<int>(m_blocks.size()); }
    int getTotalSize() const { return m_total; }

private:
    struct Block {
        char* data;
        int32_t capacity;
        int32_t used;
    };
    void addBlock(int capacity);

    int32_t m_blockSize;
    std::vector<Block> m_blocks;
    int32_t m_total = 0;
};
