// NETSERVER (type 2011): the script's server for NETCLIENTs of other games. It owns
// the server singleton; its events are "ONNEWPLAYER" (a player's hello),
// "ONDESTROYPLAYER" (its goodbye, or its connection ending), "ONCOMMAND" and
// "ONTEXT". Players are found by their connection, so two players from one address
// keep their own records; a message to every player goes to each record's own socket.
#pragma once
#include <functional>
#include <memory>

#include "net/CMC_NetPeer.h"

class CNetPlayerInfo;
class CNetworkServer;
class CXSocket;

class CMC_NetServer : public CMC_NetPeer {
public:
    static constexpr int kType = 2011;

    CMC_NetServer(CWindow* window, CMC_Application* application);
    // Stops saying goodbye.
    ~CMC_NetServer() override;

    CXString** getBehavioursList() override;
    void sendCmd(CXString player, CXString command, CXArray* arguments) override;
    void sendVar(CXString player, CMC_Variable* variable) override;
    void sendText(CXString player, CXString text) override;
    void sendBehaviour(CXString player, CMC_Behaviour* behaviour) override;
    bool canSendVariables() override { return isStarted(); }
    void onMessage(CNetMessage* message) override;
    void onNewPlayer(CNetPlayerInfo* player) override;
    void onDestroyPlayer(CNetPlayerInfo* player) override;

    void start();
    void stop();
    bool isStarted() const;
    int getPlayersNo();
    CXString getPlayer(int index);
    CXString getLoggedPlayerName() const { return m_loggedPlayerName; }
    CNetworkServer* getServerIfc() const { return m_server.get(); }

private:
    // Builds and sends one message per addressed player: the first of the name, or
    // every player for an empty name.
    void sendEach(const CXString& player, const std::function<CNetMessage*(CXSocket*)>& build);

    std::unique_ptr<CNetworkServer> m_server;
    CXString m_loggedPlayerName;
};

class CMC_NetServer_Runner : public CMC_NetPeer_Runner {
public:
    enum : int {
        kStart = 1,
        kStop = 2,
        kIsStarted = 3,
        kGetLoggedPlayerName = 4,
        kGetPlayersNo = 5,
        kGetPlayerName = 6,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
