#include "net/CFileSender.h"

#include "net/CFileReceiver.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"
#include "platform/FileSystem.h"

int CFileSender_Manager::unique_id = 0;

CFileSender_Entry::CFileSender_Entry(CXSocket* socket, int receiverId, int id, CXString folder, CXString subfolder,
                                     CXString file)
    : m_socket(socket), m_account(socket ? socket->account() : nullptr), m_receiverId(receiverId), m_id(id), m_folder(folder), m_subfolder(subfolder), m_name(file) {
    const CXString path = fileTransferPath(folder, subfolder, file);
    if (path.IsString() && !platform::isDirectory(path.c_str())) m_file = platform::fopen(path.c_str(), "rb");
}

CFileSender_Entry::~CFileSender_Entry() {
    if (m_file) std::fclose(m_file);
}

bool CFileSender_Entry::equals(CXObject* other) {
    auto* entry = dynamic_cast<CFileSender_Entry*>(other);
    return entry && entry->m_id == m_id;
}

CNetMessage* CFileSender_Entry::get_msg() {
    if (!m_announced) {
        if (!m_file) return nullptr;
        m_announced = true;
        int64_t size = -1;
        if (std::fseek(m_file, 0, SEEK_END) == 0) size = std::ftell(m_file);
        if (size < 0 || size > CFileReceiver_Manager::kMaxFileSize || std::fseek(m_file, 0, SEEK_SET) != 0)
            return nullptr;
        m_buffer.resize(static_cast<size_t>(size));
        if (size > 0 && std::fread(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) return nullptr;
        m_fileSize = m_total = static_cast<int32_t>(size);
        return new CNetFileResponseMessage(m_socket, m_receiverId, m_id, m_fileSize, m_total);
    }
    const int32_t remaining = m_total - m_sent;
    if (remaining < 1) return nullptr;
    const int32_t chunk = remaining > CNetMessage::kMaxChunk ? CNetMessage::kMaxChunk : remaining;
    auto* data = new CNetFileDataMessage(m_socket, m_receiverId, m_id, 0, m_sent, chunk, m_buffer.data() + m_sent);
    m_sent += chunk;
    return data;
}

bool CFileSender_Entry::send() {
    CNetMessage* message = get_msg();
    if (!message) return false;
    if (m_socket)
        m_socket->send(message);
    else
        delete message;
    return true;
}

CFileSender_Manager::CFileSender_Manager() = default;
CFileSender_Manager::~CFileSender_Manager() = default;

int CFileSender_Manager::add_file(CXSocket* socket, int receiverId, CXString folder, CXString subfolder,
                                  CXString file) {
    if (socket) {
        int open = 0;
        for (const auto& [id, entry] : m_table)
            if (entry->getSocket() == socket && !entry->isAbandoned()) ++open;
        if (open >= CFileReceiver_Manager::kMaxTransfers) return 0;
    }
    const int id = unique_id + 1;
    auto entry = std::make_unique<CFileSender_Entry>(socket, receiverId, id, folder, subfolder, file);
    if (!entry->isOpen()) return 0;
    unique_id = id;
    m_table[id] = std::move(entry);
    return id;
}

void CFileSender_Manager::tick() {
    std::vector<int> finished;
    for (auto& [id, entry] : m_table)
        if (entry->isAbandoned() || !entry->send()) finished.push_back(id);
    for (int id : finished) m_table.erase(id);
}

void CFileSender_Manager::remove_file(int id) { m_table.erase(id); }
