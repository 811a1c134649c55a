// NETCLIENT (type 2012): the script's connection to a NETSERVER of another game.
// It owns the client singleton; its events are "ONCONNECTED", "ONCOMMAND" and
// "ONCONNECTIONCLOSED" (raised when the connection ends without DISCONNECT).
#pragma once
#include <memory>

#include "net/CMC_NetPeer.h"

class CNetworkClient;

class CMC_NetClient : public CMC_NetPeer {
public:
    static constexpr int kType = 2012;

    CMC_NetClient(CWindow* window, CMC_Application* application);
    // Disconnects saying goodbye.
    ~CMC_NetClient() override;

    CXString** getBehavioursList() override;
    void sendCmd(CXString player, CXString command, CXArray* arguments) override;
    void sendVar(CXString player, CMC_Variable* variable) override;
    void sendText(CXString player, CXString text) override;
    void sendBehaviour(CXString player, CMC_Behaviour* behaviour) override;
    bool canSendVariables() override { return isConnected(); }
    void onConnected(CXString host) override;
    void onConnectionClosed() override;

    void connect(CXString host);
    void disconnect();
    bool isConnected() const;
    CNetworkClient* getClient() const { return m_client.get(); }

private:
    // Sends the message when connected; destroys it otherwise.
    void sendMessage(CNetMessage* message);

    std::unique_ptr<CNetworkClient> m_client;
};

class CMC_NetClient_Runner : public CMC_NetPeer_Runner {
public:
    enum : int { kConnect = 1, kDisconnect = 2, kIsConnected = 3 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
