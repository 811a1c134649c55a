// Reassembly of the frames of one connection: received bytes are pushed in, whole
// frames come out in stream order as raw messages carrying the owning socket.
//
// The bytes wait in one growing buffer read from a moving start, so a frame that
// arrives in many small receives is copied about once, not once per receive. A
// header whose length lies outside 8 .. 1 MiB breaks the stack: nothing more comes
// out of it and the connection is to be closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class CNetMessage;
class CXSocket;

class CMessageStack {
public:
    explicit CMessageStack(CXSocket* owner);
    CMessageStack(const CMessageStack&) = delete;
    CMessageStack& operator=(const CMessageStack&) = delete;

    void push(const char* data, int n);
    // The next whole frame (the caller owns it), or null.
    CNetMessage* get();
    bool isBroken() const { return m_broken; }
    // Bytes buffered and not yet cut into frames.
    int getCount() const { return static_cast<int>(m_buffer.size() - m_start); }

private:
    CXSocket* m_socket;
    std::vector<char> m_buffer;
    size_t m_start = 0;
    bool m_broken = false;
};
