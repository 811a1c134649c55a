// The receiving side of file transfer: each transfer sends a file request under its
// own id, takes the response (the size) and the data chunks in any order, and when
// every byte has come hands the file to the listener or saves it as
// folder\subfolder\name below the current folder.
//
// Received fields are not trusted: a size outside 0 .. kMaxFileSize refuses the
// transfer (and only it: the connection and its other transfers go on), chunks
// before the response or outside the announced size are ignored, and a byte that
// comes twice counts once. A transfer's buffer grows with the chunks to the farthest
// byte received; a chunk more than kMaxAhead beyond the bytes received so far
// refuses the transfer instead of reserving its distance. The buffers are not
// counted against the connection's bound on frames waiting for the tick: this side
// asked for the file. Refusals are logged with the file's name. Transfers go with
// their connection: the manager drops those whose connection closed at its next
// call. A connection has at most kMaxTransfers at once.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "net/CXSocket.h"

class CNetMessage;
class CFileReceiver_Entry;

class CFileReceiver_Listener {
public:
    virtual ~CFileReceiver_Listener() = default;
    // True when the listener took care of the completed file; false lets the manager save it.
    virtual bool onFileReceived(CFileReceiver_Entry* entry) = 0;
};

class CFileReceiver_Entry : public CXObject {
public:
    CFileReceiver_Entry(CXSocket* socket, int id, CXString folder, CXString subfolder, CXString file);
    CFileReceiver_Entry(const CFileReceiver_Entry&) = delete;
    CFileReceiver_Entry& operator=(const CFileReceiver_Entry&) = delete;

    int getHashcode() override { return m_id; }
    bool equals(CXObject* other) override;

    // Takes a response or a data message; true while the transfer is incomplete.
    bool received(CNetMessage* message);
    // Whether the transfer ended unfinished: a size out of range, or a chunk too
    // far beyond the bytes received.
    bool isRefused() const { return m_refused; }
    // Whether its connection closed.
    bool isAbandoned() const { return m_account && m_account->isClosed(); }
    // Writes the file as folder\subfolder\name, making the folders; the current
    // folder stays.
    bool save_file();

    int getId() const { return m_id; }
    int getSenderId() const { return m_senderId; }
    CXSocket* getSocket() const { return m_socket; }
    CXString getFolder() const { return m_folder; }
    CXString getSubfolder() const { return m_subfolder; }
    CXString getFileName() const { return m_file; }
    int getFileSize() const { return m_fileSize; }
    int getBytesToTransfer() const { return m_toTransfer; }
    int getReceived() const { return m_received; }
    const std::vector<char>& getBuffer() const { return m_buffer; }

private:
    // Ends the transfer unfinished and logs why, with the file's name.
    void refuse(const CXString& reason);

    CXSocket* m_socket;
    // Outlives the socket: tells whether the connection closed.
    std::shared_ptr<CXSocket::Account> m_account;
    int32_t m_id;
    int32_t m_senderId = -1;
    CXString m_folder;
    CXString m_subfolder;
    CXString m_file;
    int32_t m_fileSize = 0;
    int32_t m_toTransfer = 0;
    bool m_announced = false;
    bool m_refused = false;
    std::vector<char> m_buffer;
    std::vector<bool> m_have;
    int32_t m_received = 0;
};

class CFileReceiver_Manager {
public:
    static constexpr int32_t kMaxFileSize = 64 * 1024 * 1024;
    // Transfers one connection may have at once.
    static constexpr int kMaxTransfers = 4;
    // How far a chunk may end beyond the bytes received so far (room for chunks that
    // come out of order).
    static constexpr int32_t kMaxAhead = 1024 * 1024;

    explicit CFileReceiver_Manager(CFileReceiver_Listener* listener = nullptr);
    ~CFileReceiver_Manager();
    CFileReceiver_Manager(const CFileReceiver_Manager&) = delete;
    CFileReceiver_Manager& operator=(const CFileReceiver_Manager&) = delete;

    // Starts a transfer: sends its request on the socket; its id, or 0 (nothing
    // sent) when the socket has kMaxTransfers already.
    int add_file(CXSocket* socket, CXString folder, CXString subfolder, CXString file);
    // Feeds a typed file response or data message to the transfer of its receiver id.
    void received(CNetMessage* message);
    // Drops the transfers whose connection closed.
    void dropClosed();
    void remove_file(int id);
    CFileReceiver_Entry* getEntry(int id);
    int getCount() const { return static_cast<int>(m_table.size()); }

    static int unique_id;

private:
    std::map<int, std::unique_ptr<CFileReceiver_Entry>> m_table;
    CFileReceiver_Listener* m_listener;
};

// The path folder\subfolder\name of the non-empty parts; empty when a part names a
// drive, starts at the root or climbs with "..".
CXString fileTransferPath(const CXString& folder, const CXString& subfolder, const CXString& file);
