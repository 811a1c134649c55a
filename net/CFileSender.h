// The sending side of file transfer: each request becomes an entry under its own id
// that sends, one message per tick, the response announcing the size and then the
// file in chunks of at most 10240 bytes; an empty file is the response alone. Only
// relative names are served. Transfers go with their connection (dropped at the
// manager's next call once it closed), at most
// CFileReceiver_Manager::kMaxTransfers per connection at once.
#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "net/CXSocket.h"

class CNetMessage;

class CFileSender_Entry : public CXObject {
public:
    // Opens the file; isOpen tells whether it did.
    CFileSender_Entry(CXSocket* socket, int receiverId, int id, CXString folder, CXString subfolder, CXString file);
    ~CFileSender_Entry() override;
    CFileSender_Entry(const CFileSender_Entry&) = delete;
    CFileSender_Entry& operator=(const CFileSender_Entry&) = delete;

    int getHashcode() override { return m_id; }
    bool equals(CXObject* other) override;

    // Sends the next message; false when all have gone.
    bool send();
    bool isOpen() const { return m_file != nullptr; }
    // Whether its connection closed.
    bool isAbandoned() const { return m_account && m_account->isClosed(); }
    CXSocket* getSocket() const { return m_socket; }
    int getId() const { return m_id; }
    int getReceiverId() const { return m_receiverId; }
    int getSent() const { return m_sent; }

private:
    friend class CFileSender_Manager;
    // The next message, or null when all bytes have gone.
    CNetMessage* get_msg();

    CXSocket* m_socket;
    std::shared_ptr<CXSocket::Account> m_account;
    int32_t m_receiverId;
    int32_t m_id;
    CXString m_folder;
    CXString m_subfolder;
    CXString m_name;
    FILE* m_file = nullptr;
    bool m_announced = false;
    int32_t m_fileSize = 0;
    int32_t m_total = 0;
    std::vector<char> m_buffer;
    int32_t m_sent = 0;
};

class CFileSender_Manager {
public:
    CFileSender_Manager();
    ~CFileSender_Manager();
    CFileSender_Manager(const CFileSender_Manager&) = delete;
    CFileSender_Manager& operator=(const CFileSender_Manager&) = delete;

    // Registers a transfer for a request; its id, or 0 when the name is not relative,
    // the file does not open or the socket has the most transfers already (nothing
    // is registered then).
    int add_file(CXSocket* socket, int receiverId, CXString folder, CXString subfolder, CXString file);
    // Sends the next message of every transfer; drops the finished ones and those
    // whose connection closed.
    void tick();
    void remove_file(int id);
    int getCount() const { return static_cast<int>(m_table.size()); }

    static int unique_id;

private:
    std::map<int, std::unique_ptr<CFileSender_Entry>> m_table;
};
