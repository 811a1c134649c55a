// The script's network objects, NETCLIENT and NETSERVER: a script object that
// listens to its network peer and sends commands, variables, texts and code. What
// arrives becomes script events, variable updates and code run at once in the
// application's current scene; messages that come while there is no current scene
// are dropped. Everything here runs on the host thread: the host's frame step ticks
// the peers (tickPeers), which is where received messages are dispatched.
#pragma once
#include "foundation/CXString.h"
#include "net/CNetListener.h"
#include "script/CMC_Object.h"
#include "script/CMC_Runner.h"
#include "script/CMC_Variable.h"

class CMC_Application;
class CMC_Behaviour;
class CMC_ObjectsContainer;
class CWindow;
class CXArray;

class CMC_NetPeer : public CMC_Object, public CNetListener, public CMC_VariableSender {
public:
    static constexpr int kDefaultPort = 4661;

    CMC_NetPeer(CXString name, int type, CWindow* window, CMC_Application* application);

    // A player name applies to the server only; empty means every player.
    virtual void sendCmd(CXString player, CXString command, CXArray* arguments) = 0;
    void sendVar(CXString player, CMC_Variable* variable) override = 0;
    virtual void sendText(CXString player, CXString text) = 0;
    virtual void sendBehaviour(CXString player, CMC_Behaviour* behaviour) = 0;

    void onMessage(CNetMessage* message) override;
    CXString getLatestText() const { return m_latestText; }

    // The port of CONNECT and START (4661 unless the host sets another).
    static void setPort(int port);
    static int getPort();
    // Dispatches what the client and server singletons received; once per frame.
    static void tickPeers();

protected:
    // The current scene of the application's current episode (or the scene entered
    // directly); null when none. Without an application, the object's own container.
    CMC_ObjectsContainer* currentScene();

    CWindow* m_window;
    CMC_Application* m_application;
    CXString m_latestText;
};

class CMC_NetPeer_Runner : public CMC_Runner {
public:
    enum : int { kSendCmd = 257, kSendVariable = 258, kSendText = 259, kSendBehaviour = 260, kGetLatestText = 261 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
