// The typed messages of the network protocol. Each has a building constructor, which
// lays out a frame to send, and a parsing constructor (sender, raw), which copies a
// received frame that CNetMessage::isWellFormed accepted and reads its fields.
#pragma once
#include <cstdint>

#include "net/CNetMessage.h"

class CXArray;
class CMC_Behaviour;
class CMC_Variable;

// Type 1: a command text, then each argument text, each with its NUL.
class CNetCmdMessage : public CNetMessage {
public:
    // `params` holds CXString*; they are copied into the message's own list.
    CNetCmdMessage(CXSocket* socket, CXString command, CXArray* params);
    CNetCmdMessage(CXString sender, CNetMessage* raw);
    ~CNetCmdMessage() override;

    CXString getCommand() const { return m_command; }
    // The arguments (CXString*), or null for a received command without any.
    CXArray* getParams() const { return m_params; }

private:
    CXString m_command;
    CXArray* m_params = nullptr;
};

// Type 2: the variable's name and its net bytes.
class CNetVariableMessage : public CNetMessage {
public:
    CNetVariableMessage(CXSocket* socket, CMC_Variable* variable);
    CNetVariableMessage(CXString sender, CNetMessage* raw);

    const char* getVariableName() const { return m_buffer.get() + kHeaderSize; }
    int getVariableType() const { return intAt(m_dataOffset); }
    // A pooled temporary holding the sent value; null for an unknown tag. Host thread only.
    CMC_Variable* getVariable() const;
    int getDataOffset() const { return m_dataOffset; }

private:
    int32_t m_dataOffset = 0;
};

// Type 3: script code.
class CNetBehaviourMessage : public CNetMessage {
public:
    CNetBehaviourMessage(CXSocket* socket, CXString code);
    CNetBehaviourMessage(CXSocket* socket, CMC_Behaviour* behaviour);
    CNetBehaviourMessage(CXString sender, CNetMessage* raw);
    const char* getCode() const { return m_buffer.get() + kHeaderSize; }
};

// Type 5: a text.
class CNetTextMessage : public CNetMessage {
public:
    CNetTextMessage(CXSocket* socket, CXString text);
    CNetTextMessage(CXString sender, CNetMessage* raw);
    const char* getText() const { return m_buffer.get() + kHeaderSize; }
};

// Type 6: 1024 bytes; the time at 8 and the response flag at 12.
class CNetPingMessage : public CNetMessage {
public:
    CNetPingMessage(CXSocket* socket, int32_t time);
    CNetPingMessage(CXString sender, CNetMessage* raw);
    // The same frame with the response flag set as asked.
    CNetPingMessage(CXString sender, CNetMessage* raw, bool response);
    int32_t getTime() const { return intAt(8); }
    bool isResponse() const { return intAt(12) == 1; }
};

// Type 7: the player's name.
class CNetHelloMessage : public CNetMessage {
public:
    CNetHelloMessage(CXSocket* socket, CXString name);
    CNetHelloMessage(CXString sender, CNetMessage* raw);
    const char* getName() const { return m_buffer.get() + kHeaderSize; }
};

// Type 8: receiver id, sender id (-1), folder, subfolder and file name.
class CNetFileRequestMessage : public CNetMessage {
public:
    CNetFileRequestMessage(CXSocket* socket, int receiverId, CXString folder, CXString subfolder, CXString file);
    CNetFileRequestMessage(CXString sender, CNetMessage* raw);
    int getReceiverId() const { return m_receiverId; }
    int getSenderId() const { return m_senderId; }
    CXString getFolder() const { return m_folder; }
    CXString getSubfolder() const { return m_subfolder; }
    CXString getFileName() const { return m_file; }

private:
    int32_t m_receiverId = 0;
    int32_t m_senderId = -1;
    CXString m_folder;
    CXString m_subfolder;
    CXString m_file;
};

// Type 9: receiver id, sender id, file size and bytes to transfer.
class CNetFileResponseMessage : public CNetMessage {
public:
    CNetFileResponseMessage(CXSocket* socket, int receiverId, int senderId, int fileSize, int toTransfer);
    CNetFileResponseMessage(CXString sender, CNetMessage* raw);
    int getReceiverId() const { return m_receiverId; }
    int getSenderId() const { return m_senderId; }
    int getFileSize() const { return m_fileSize; }
    int getBytesToTransfer() const { return m_toTransfer; }

private:
    int32_t m_receiverId = 0;
    int32_t m_senderId = 0;
    int32_t m_fileSize = 0;
    int32_t m_toTransfer = 0;
};

// Type 10: receiver id, sender id, reserved, offset, n and n bytes of the file.
class CNetFileDataMessage : public CNetMessage {
public:
    CNetFileDataMessage(CXSocket* socket, int receiverId, int senderId, int reserved, int offset, int n,
                        const char* data);
    CNetFileDataMessage(CXString sender, CNetMessage* raw);
    int getReceiverId() const { return m_receiverId; }
    int getSenderId() const { return m_senderId; }
    int getReserved() const { return m_reserved; }
    int getOffset() const { return m_offset; }
    int getSize() const { return m_n; }
    const char* getData() const { return m_data; }

private:
    int32_t m_receiverId = 0;
    int32_t m_senderId = 0;
    int32_t m_reserved = 0;
    int32_t m_offset = 0;
    int32_t m_n = 0;
    const char* m_data = nullptr;
};
