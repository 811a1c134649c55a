#include "net/CFileReceiver.h"

#include <algorithm>
#include <cstring>

#include "foundation/CEngineEnv.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"
#include "platform/FileSystem.h"

int CFileReceiver_Manager::unique_id = 0;

namespace {

// Whether a path part may be served or written: no drive, no root, no "..".
bool isRelativePart(const CXString& part) {
    const char* s = part.c_str();
    if (s[0] == '\\' || s[0] == '/' || std::strchr(s, ':')) return false;
    const char* piece = s;
    for (const char* p = s;; ++p) {
        if (*p == '\\' || *p == '/' || *p == 0) {
            if (p - piece == 2 && piece[0] == '.' && piece[1] == '.') return false;
            if (*p == 0) break;
            piece = p + 1;
        }
    }
    return true;
}

} // namespace

CXString fileTransferPath(const CXString& folder, const CXString& subfolder, const CXString& file) {
    if (!file.IsString() || !isRelativePart(folder) || !isRelativePart(subfolder) || !isRelativePart(file))
        return CXString();
    CXString path;
    for (const CXString* part : {&folder, &subfolder}) {
        if (!part->IsString()) continue;
        path += *part;
        path += "\\";
    }
    path += file;
    return path;
}

// ---- entry -----------------------------------------------------------------------------

CFileReceiver_Entry::CFileReceiver_Entry(CXSocket* socket, int id, CXString folder, CXString subfolder,
                                         CXString file)
    : m_socket(socket), m_account(socket ? socket->account() : nullptr), m_id(id), m_folder(folder),
      m_subfolder(subfolder), m_file(file) {}

void CFileReceiver_Entry::refuse(const CXString& reason) {
    m_refused = true;
    CXString name = fileTransferPath(m_folder, m_subfolder, m_file);
    if (!name.IsString()) name = m_file;
    CEngineEnv::logFailure("transfer", name, CXString("transfer: ") + name + " refused, " + reason);
}

bool CFileReceiver_Entry::equals(CXObject* other) {
    auto* entry = dynamic_cast<CFileReceiver_Entry*>(other);
    return entry && entry->m_id == m_id;
}

bool CFileReceiver_Entry::received(CNetMessage* message) {
    if (!message) return true;
    if (auto* response = dynamic_cast<CNetFileResponseMessage*>(message)) {
        if (m_announced) return true;
        const int32_t size = response->getBytesToTransfer();
        if (size < 0 || size > CFileReceiver_Manager::kMaxFileSize) {
            CXString reason;
            reason.Format("%d bytes announced, at most %d are taken", static_cast<int>(size),
                          static_cast<int>(CFileReceiver_Manager::kMaxFileSize));
            refuse(reason);
            return true;
        }
        m_announced = true;
        m_senderId = response->getSenderId();
        m_fileSize = response->getFileSize();
        m_toTransfer = size;
        m_received = 0;
        return m_toTransfer > 0;
    }
    if (auto* data = dynamic_cast<CNetFileDataMessage*>(message)) {
        const int64_t offset = data->getOffset();
        const int64_t n = data->getSize();
        if (!m_announced) return true;
        if (offset < 0 || n < 0 || offset + n > m_toTransfer) return m_received < m_toTransfer;
        const auto end = static_cast<size_t>(offset + n);
        if (end > m_buffer.capacity()) {
            // The buffer and its bitmap (a bit a byte) grow, doubling, towards the
            // chunk's end, which may not lie far beyond what has come: memory follows
            // the bytes the peer sent, not the size it announced.
            if (static_cast<int64_t>(end) > m_received + n + CFileReceiver_Manager::kMaxAhead) {
                CXString reason;
                reason.Format("a chunk ends at byte %d, after only %d have come", static_cast<int>(end),
                              static_cast<int>(m_received));
                refuse(reason);
                return true;
            }
            const size_t capacity =
                std::min(std::max(end, 2 * m_buffer.capacity()), static_cast<size_t>(m_toTransfer));
            m_buffer.reserve(capacity);
            m_have.reserve(capacity);
        }
        if (end > m_buffer.size()) {
            m_buffer.resize(end, 0);
            m_have.resize(end, false);
        }
        for (int64_t i = 0; i < n; ++i) {
            const auto at = static_cast<size_t>(offset + i);
            m_buffer[at] = data->getData()[i];
            if (!m_have[at]) {
                m_have[at] = true;
                ++m_received;
            }
        }
        return m_received < m_toTransfer;
    }
    return true;
}

bool CFileReceiver_Entry::save_file() {
    const CXString path = fileTransferPath(m_folder, m_subfolder, m_file);
    if (!path.IsString()) return false;
    CXString folder;
    for (const CXString* part : {&m_folder, &m_subfolder}) {
        if (!part->IsString()) continue;
        folder += *part;
        if (!platform::isDirectory(folder.c_str())) platform::makeDirectory(folder.c_str());
        folder += "\\";
    }
    return platform::writeFileAtomically(path.c_str(), m_buffer.data(), m_buffer.size());
}

// ---- manager ---------------------------------------------------------------------------

CFileReceiver_Manager::CFileReceiver_Manager(CFileReceiver_Listener* listener) : m_listener(listener) {}

CFileReceiver_Manager::~CFileReceiver_Manager() = default;

int CFileReceiver_Manager::add_file(CXSocket* socket, CXString folder, CXString subfolder, CXString file) {
    dropClosed();
    if (socket) {
        int open = 0;
        for (const auto& [id, entry] : m_table)
            if (entry->getSocket() == socket) ++open;
        if (open >= kMaxTransfers) return 0;
    }
    const int id = ++unique_id;
    m_table[id] = std::make_unique<CFileReceiver_Entry>(socket, id, folder, subfolder, file);
    if (socket) socket->send(new CNetFileRequestMessage(socket, id, folder, subfolder, file));
    return id;
}

CFileReceiver_Entry* CFileReceiver_Manager::getEntry(int id) {
    auto found = m_table.find(id);
    return found == m_table.end() ? nullptr : found->second.get();
}

void CFileReceiver_Manager::received(CNetMessage* message) {
    if (!message) return;
    dropClosed();
    // Typed messages only: a raw frame of these codes has no fields read yet.
    int id;
    if (auto* response = dynamic_cast<CNetFileResponseMessage*>(message))
        id = response->getReceiverId();
    else if (auto* data = dynamic_cast<CNetFileDataMessage*>(message))
        id = data->getReceiverId();
    else
        return;
    CFileReceiver_Entry* entry = getEntry(id);
    if (!entry) return;
    if (entry->received(message)) {
        if (entry->isRefused()) remove_file(id);
        return;
    }
    if (!m_listener || !m_listener->onFileReceived(entry)) entry->save_file();
    remove_file(id);
}

void CFileReceiver_Manager::remove_file(int id) { m_table.erase(id); }

void CFileReceiver_Manager::dropClosed() {
    for (auto at = m_table.begin(); at != m_table.end();) {
        if (at->second->isAbandoned())
            at = m_table.erase(at);
        else
            ++at;
    }
}
