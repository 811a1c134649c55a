#include "net/CNetMessage.h"

#include <cstring>

namespace {

// End (one past the NUL) of the text at `from`, or -1.
int32_t textEnd(const char* frame, int32_t from, int32_t length) {
    if (from >= length) return -1;
    const void* nul = std::memchr(frame + from, 0, static_cast<size_t>(length - from));
    return nul ? static_cast<int32_t>(static_cast<const char*>(nul) - frame) + 1 : -1;
}

// The net form of a variable: its tag and the value that tag needs.
bool variableFits(const char* bytes, int32_t size) {
    if (size < 4) return false;
    switch (CNetMessage::getInt32(bytes)) {
    case 1: return size >= 8;
    case 2: return std::memchr(bytes + 4, 0, static_cast<size_t>(size - 4)) != nullptr;
    case 3: return size >= 5;
    case 4: return size >= 12;
    default: return true;  // no variable comes of it
    }
}

} // namespace

void CNetMessage::putInt32(char* at, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    at[0] = static_cast<char>(v & 0xFF);
    at[1] = static_cast<char>((v >> 8) & 0xFF);
    at[2] = static_cast<char>((v >> 16) & 0xFF);
    at[3] = static_cast<char>((v >> 24) & 0xFF);
}

int32_t CNetMessage::getInt32(const char* at) {
    const auto* b = reinterpret_cast<const unsigned char*>(at);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

CNetMessage::CNetMessage(CXSocket* socket) : m_socket(socket) {}

CNetMessage::CNetMessage(CXSocket* socket, int type) : m_socket(socket) { allocate(type, kHeaderSize); }

CNetMessage::CNetMessage(CXSocket* socket, const char* frame) : m_socket(socket) {
    m_type = getInt32(frame);
    m_length = getInt32(frame + 4);
    if (m_length < kHeaderSize) m_length = kHeaderSize;
    m_buffer = std::make_unique<char[]>(static_cast<size_t>(m_length));
    std::memcpy(m_buffer.get(), frame, static_cast<size_t>(m_length));
}

CNetMessage::CNetMessage(CXString sender, CNetMessage* raw) : m_sender(std::move(sender)) {
    if (!raw) return;
    m_socket = raw->m_socket;
    m_type = raw->m_type;
    m_length = raw->m_length;
    if (raw->m_buffer && m_length > 0) {
        m_buffer = std::make_unique<char[]>(static_cast<size_t>(m_length));
        std::memcpy(m_buffer.get(), raw->m_buffer.get(), static_cast<size_t>(m_length));
    }
}

CNetMessage::~CNetMessage() = default;

void CNetMessage::allocate(int type, int32_t length) {
    m_type = type;
    m_length = length;
    m_buffer = std::make_unique<char[]>(static_cast<size_t>(length));
    putInt32(m_buffer.get(), type);
    putInt32(m_buffer.get() + 4, length);
}

void CNetMessage::buildText(int type, const CXString& text) {
    const int64_t total = static_cast<int64_t>(kHeaderSize) + text.getLength() + 1;
    if (total > kMaxFrame) return;
    allocate(type, static_cast<int32_t>(total));
    if (text.getLength() > 0) std::memcpy(m_buffer.get() + kHeaderSize, text.c_str(), static_cast<size_t>(text.getLength()));
}

bool CNetMessage::isWellFormed(const char* frame, int32_t length) {
    if (!frame || length < kHeaderSize || length > kMaxFrame) return false;
    if (getInt32(frame + 4) != length) return false;
    switch (getInt32(frame)) {
    case kCommand:
    case kBehaviour:
    case kText:
    case kHello:
        // The command's arguments follow it up to the end, so the last byte ends them all.
        return length > kHeaderSize && frame[length - 1] == 0;
    case kVariable: {
        const int32_t data = textEnd(frame, kHeaderSize, length);
        return data > 0 && variableFits(frame + data, length - data);
    }
    case kPing: return length == kPingSize;
    case kFileRequest: {
        int32_t at = 16;
        for (int i = 0; i < 3 && at > 0; ++i) at = textEnd(frame, at, length);
        return at > 0;
    }
    case kFileResponse: return length == kFileResponseSize;
    case kFileData: {
        if (length < kFileDataHeader) return false;
        const int32_t n = getInt32(frame + 24);
        return n >= 0 && n <= kMaxChunk && length == kFileDataHeader + n;
    }
    default: return true;
    }
}
