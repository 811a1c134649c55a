// One frame of the network protocol: a 32-bit little-endian type code, the frame's
// total length (header included) and the body laid out by type. CNetMessage is the
// raw frame (and the goodbye, which has no body); CNetMessages.h holds one class per
// typed body, each with a building constructor (for sending) and a parsing one.
//
// Received frames are checked with isWellFormed before any parsing constructor
// reads a field: the parsers trust what they read.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXString.h"

class CXSocket;

class CNetMessage {
public:
    enum : int32_t {
        kCommand = 1,
        kVariable = 2,
        kBehaviour = 3,
        kGoodbye = 4,
        kText = 5,
        kPing = 6,
        kHello = 7,
        kFileRequest = 8,
        kFileResponse = 9,
        kFileData = 10,
    };
    static constexpr int32_t kHeaderSize = 8;
    // The largest frame sent or accepted.
    static constexpr int32_t kMaxFrame = 1 << 20;
    static constexpr int32_t kPingSize = 1024;
    static constexpr int32_t kFileResponseSize = 24;
    static constexpr int32_t kFileDataHeader = 28;
    static constexpr int32_t kMaxChunk = 10240;

    // An empty message (no frame) on the socket.
    explicit CNetMessage(CXSocket* socket);
    // A header-only frame of the type (the goodbye).
    CNetMessage(CXSocket* socket, int type);
    // A copy of a whole frame whose length field the caller has checked against the
    // bytes present.
    CNetMessage(CXSocket* socket, const char* frame);
    // A copy of a raw message's frame and socket, taking the sender name.
    CNetMessage(CXString sender, CNetMessage* raw);
    virtual ~CNetMessage();
    CNetMessage(const CNetMessage&) = delete;
    CNetMessage& operator=(const CNetMessage&) = delete;

    int getType() const { return m_type; }
    int getBufferLen() const { return m_length; }
    char* getBuffer() const { return m_buffer.get(); }
    CXSocket* getHandle() const { return m_socket; }
    CXString getSenderName() const { return m_sender; }
    void setSender(CXString sender) { m_sender = sender; }

    // Whether a received frame of `length` bytes holds what its type's reader reads:
    // texts end inside the frame, fixed sizes match, a chunk's n lies in 0..10240 and
    // fills the frame, variable bytes hold the whole form of their tag. Codes without
    // a typed reader (the goodbye, unknown ones) need only the header.
    static bool isWellFormed(const char* frame, int32_t length);

    static void putInt32(char* at, int32_t value);
    static int32_t getInt32(const char* at);

protected:
    // Allocates a frame of `length` bytes (zeroed) and writes the header.
    void allocate(int type, int32_t length);
    // A frame of the type whose body is the text and its NUL; none when too large.
    void buildText(int type, const CXString& text);
    int32_t intAt(int offset) const { return getInt32(m_buffer.get() + offset); }

    int32_t m_type = 0;
    int32_t m_length = 0;
    std::unique_ptr<char[]> m_buffer;
    CXSocket* m_socket = nullptr;
    CXString m_sender;
};
