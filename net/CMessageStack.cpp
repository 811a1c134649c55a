#include "net/CMessageStack.h"

#include "net/CNetMessage.h"

CMessageStack::CMessageStack(CXSocket* owner) : m_socket(owner) {}

void CMessageStack::push(const char* data, int n) {
    if (!data || n <= 0 || m_broken) return;
    // Drop what was cut off the front once it is most of the buffer.
    if (m_start > 0 && m_start >= m_buffer.size() / 2) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), data, data + n);
}

CNetMessage* CMessageStack::get() {
    if (m_broken) return nullptr;
    const size_t count = m_buffer.size() - m_start;
    if (count < static_cast<size_t>(CNetMessage::kHeaderSize)) {
        if (count == 0) {
            m_buffer.clear();
            m_start = 0;
        }
        return nullptr;
    }
    const char* front = m_buffer.data() + m_start;
    const int32_t length = CNetMessage::getInt32(front + 4);
    if (length < CNetMessage::kHeaderSize || length > CNetMessage::kMaxFrame) {
        m_broken = true;
        return nullptr;
    }
    if (static_cast<size_t>(length) > count) {
        // Room for the rest of the frame at once, so its pushes do not reallocate.
        m_buffer.reserve(m_start + static_cast<size_t>(length));
        return nullptr;
    }
    auto* message = new CNetMessage(m_socket, front);
    m_start += static_cast<size_t>(length);
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    }
    return message;
}
