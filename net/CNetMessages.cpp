#include "net/CNetMessages.h"

#include <cstring>

#include "foundation/CXArray.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

namespace {

int64_t textSize(const CXString& text) { return static_cast<int64_t>(text.getLength()) + 1; }

// Copies the text and its NUL at `at`; the position after it.
int32_t putText(char* frame, int32_t at, const CXString& text) {
    const int32_t n = text.getLength();
    if (n > 0) std::memcpy(frame + at, text.c_str(), static_cast<size_t>(n));
    frame[at + n] = 0;
    return at + n + 1;
}

// A frame larger than any peer accepts is not built: the message stays empty and
// every send refuses it.
bool fits(int64_t total) { return total <= CNetMessage::kMaxFrame; }

} // namespace

// ---- command ---------------------------------------------------------------------------

CNetCmdMessage::CNetCmdMessage(CXSocket* socket, CXString command, CXArray* params) : CNetMessage(socket) {
    const int count = params ? params->getCount() : 0;
    m_params = new CXArray(count, 0.75f);
    int64_t total = kHeaderSize + textSize(command);
    for (int i = 0; i < count; ++i) {
        auto* argument = static_cast<CXString*>(params->at(i));
        auto* copy = new CXString(argument ? *argument : CXString());
        m_params->add(copy);
        total += textSize(*copy);
    }
    if (!fits(total)) return;
    allocate(kCommand, static_cast<int32_t>(total));
    int32_t at = putText(m_buffer.get(), kHeaderSize, command);
    for (int i = 0; i < m_params->getCount(); ++i) at = putText(m_buffer.get(), at, *m_params->stringAt(i));
}

CNetCmdMessage::CNetCmdMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {
    if (m_length <= kHeaderSize) return;
    const char* frame = m_buffer.get();
    m_command = CXString(frame + kHeaderSize);
    int32_t at = kHeaderSize + static_cast<int32_t>(std::strlen(frame + kHeaderSize)) + 1;
    while (at < m_length) {
        if (!m_params) m_params = new CXArray(101, 0.75f);
        const int32_t n = static_cast<int32_t>(strnlen(frame + at, static_cast<size_t>(m_length - at)));
        m_params->add(new CXString(frame + at, n));
        at += n + 1;
    }
}

CNetCmdMessage::~CNetCmdMessage() {
    if (!m_params) return;
    for (int i = 0; i < m_params->getCount(); ++i) delete m_params->stringAt(i);
    delete m_params;
}

// ---- variable --------------------------------------------------------------------------

CNetVariableMessage::CNetVariableMessage(CXSocket* socket, CMC_Variable* variable) : CNetMessage(socket) {
    if (!variable) return;
    const CXString name = variable->getName();
    const int32_t size = variable->getBufferLen();
    const int64_t total = kHeaderSize + textSize(name) + size;
    if (size < 4 || !fits(total)) return;
    allocate(kVariable, static_cast<int32_t>(total));
    m_dataOffset = putText(m_buffer.get(), kHeaderSize, name);
    variable->netstore(m_buffer.get() + m_dataOffset);
}

CNetVariableMessage::CNetVariableMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {
    if (m_length > kHeaderSize)
        m_dataOffset = kHeaderSize + static_cast<int32_t>(strnlen(m_buffer.get() + kHeaderSize,
                                                                  static_cast<size_t>(m_length - kHeaderSize))) + 1;
}

CMC_Variable* CNetVariableMessage::getVariable() const {
    if (m_dataOffset <= 0 || m_dataOffset >= m_length) return nullptr;
    return CMC_VariableFactory::netrestore(m_buffer.get() + m_dataOffset, m_length - m_dataOffset);
}

// ---- texts -----------------------------------------------------------------------------

CNetBehaviourMessage::CNetBehaviourMessage(CXSocket* socket, CXString code) : CNetMessage(socket) {
    buildText(kBehaviour, code);
}

CNetBehaviourMessage::CNetBehaviourMessage(CXSocket* socket, CMC_Behaviour* behaviour) : CNetMessage(socket) {
    const CXString code = behaviour ? behaviour->getCode() : CXString();
    buildText(kBehaviour, code);
}

CNetBehaviourMessage::CNetBehaviourMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {}

CNetTextMessage::CNetTextMessage(CXSocket* socket, CXString text) : CNetMessage(socket) {
    buildText(kText, text);
}

CNetTextMessage::CNetTextMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {}

CNetHelloMessage::CNetHelloMessage(CXSocket* socket, CXString name) : CNetMessage(socket) {
    buildText(kHello, name);
}

CNetHelloMessage::CNetHelloMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {}

// ---- ping ------------------------------------------------------------------------------

CNetPingMessage::CNetPingMessage(CXSocket* socket, int32_t time) : CNetMessage(socket) {
    allocate(kPing, kPingSize);
    putInt32(m_buffer.get() + 8, time);
    putInt32(m_buffer.get() + 12, 0);
}

CNetPingMessage::CNetPingMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {}

CNetPingMessage::CNetPingMessage(CXString sender, CNetMessage* raw, bool response)
    : CNetMessage(std::move(sender), raw) {
    if (m_length >= 16) putInt32(m_buffer.get() + 12, response ? 1 : 0);
}

// ---- file transfer ---------------------------------------------------------------------

CNetFileRequestMessage::CNetFileRequestMessage(CXSocket* socket, int receiverId, CXString folder,
                                               CXString subfolder, CXString file)
    : CNetMessage(socket), m_receiverId(receiverId) {
    const int64_t total = 16 + textSize(folder) + textSize(subfolder) + textSize(file);
    if (!fits(total)) return;
    allocate(kFileRequest, static_cast<int32_t>(total));
    putInt32(m_buffer.get() + 8, receiverId);
    putInt32(m_buffer.get() + 12, -1);
    int32_t at = putText(m_buffer.get(), 16, folder);
    at = putText(m_buffer.get(), at, subfolder);
    putText(m_buffer.get(), at, file);
}

CNetFileRequestMessage::CNetFileRequestMessage(CXString sender, CNetMessage* raw)
    : CNetMessage(std::move(sender), raw) {
    if (m_length < 19) return;
    const char* frame = m_buffer.get();
    m_receiverId = intAt(8);
    m_senderId = intAt(12);
    int32_t at = 16;
    CXString* texts[3] = {&m_folder, &m_subfolder, &m_file};
    for (CXString* text : texts) {
        if (at >= m_length) break;
        const int32_t n = static_cast<int32_t>(strnlen(frame + at, static_cast<size_t>(m_length - at)));
        *text = CXString(frame + at, n);
        at += n + 1;
    }
}

CNetFileResponseMessage::CNetFileResponseMessage(CXSocket* socket, int receiverId, int senderId, int fileSize,
                                                 int toTransfer)
    : CNetMessage(socket), m_receiverId(receiverId), m_senderId(senderId), m_fileSize(fileSize),
      m_toTransfer(toTransfer) {
    allocate(kFileResponse, kFileResponseSize);
    putInt32(m_buffer.get() + 8, receiverId);
    putInt32(m_buffer.get() + 12, senderId);
    putInt32(m_buffer.get() + 16, fileSize);
    putInt32(m_buffer.get() + 20, toTransfer);
}

CNetFileResponseMessage::CNetFileResponseMessage(CXString sender, CNetMessage* raw)
    : CNetMessage(std::move(sender), raw) {
    if (m_length < kFileResponseSize) return;
    m_receiverId = intAt(8);
    m_senderId = intAt(12);
    m_fileSize = intAt(16);
    m_toTransfer = intAt(20);
}

CNetFileDataMessage::CNetFileDataMessage(CXSocket* socket, int receiverId, int senderId, int reserved, int offset,
                                         int n, const char* data)
    : CNetMessage(socket), m_receiverId(receiverId), m_senderId(senderId), m_reserved(reserved), m_offset(offset),
      m_n(n < 0 ? 0 : n) {
    if (!fits(static_cast<int64_t>(kFileDataHeader) + m_n)) return;
    allocate(kFileData, kFileDataHeader + m_n);
    putInt32(m_buffer.get() + 8, receiverId);
    putInt32(m_buffer.get() + 12, senderId);
    putInt32(m_buffer.get() + 16, reserved);
    putInt32(m_buffer.get() + 20, offset);
    putInt32(m_buffer.get() + 24, m_n);
    if (m_n > 0 && data) std::memcpy(m_buffer.get() + kFileDataHeader, data, static_cast<size_t>(m_n));
    m_data = m_buffer.get() + kFileDataHeader;
}

CNetFileDataMessage::CNetFileDataMessage(CXString sender, CNetMessage* raw) : CNetMessage(std::move(sender), raw) {
    if (m_length < kFileDataHeader) return;
    m_receiverId = intAt(8);
    m_senderId = intAt(12);
    m_reserved = intAt(16);
    m_offset = intAt(20);
    m_n = intAt(24);
    if (m_n < 0 || m_n > m_length - kFileDataHeader) m_n = 0;
    m_data = m_buffer.get() + kFileDataHeader;
}
