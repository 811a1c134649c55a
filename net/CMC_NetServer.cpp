#include "net/CMC_NetServer.h"

#include "net/CNetMessages.h"
#include "net/CNetPlayerInfo.h"
#include "net/CNetworkServer.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registeredRunner = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kNetServer, []() -> CMC_Runner* { return new CMC_NetServer_Runner(); });
const bool registeredPrototype =
    CMC_SceneBinary::registerPrototype(CMC_NetServer::kType, [](CMC_Scene* scene) -> CMC_Object* {
        return new CMC_NetServer(scene ? scene->getWindow() : nullptr, scene ? scene->getMCApplication() : nullptr);
    });

} // namespace

CMC_NetServer::CMC_NetServer(CWindow* window, CMC_Application* application)
    : CMC_NetPeer(CXString("NETSERVER"), kType, window, application),
      m_server(std::make_unique<CNetworkServer>(window, false)) {
    m_server->addNotifier(this);
    initializeBehaviours(nullptr, nullptr);
}

CMC_NetServer::~CMC_NetServer() {
    m_server->removeNotifier(this);
    m_server.reset();
}

CXString** CMC_NetServer::getBehavioursList() {
    return makeBehavioursList({"ONNEWPLAYER", "ONDESTROYPLAYER", "ONCOMMAND", "ONTEXT"});
}

void CMC_NetServer::start() { m_server->start(getPort()); }
void CMC_NetServer::stop() { m_server->stop(true); }
bool CMC_NetServer::isStarted() const { return m_server->isStarted(); }
int CMC_NetServer::getPlayersNo() { return m_server->getPlayersNo(); }

CXString CMC_NetServer::getPlayer(int index) {
    CNetPlayerInfo* player = m_server->getPlayer(index);
    return player ? player->getName() : CXString();
}

void CMC_NetServer::sendEach(const CXString& player, const std::function<CNetMessage*(CXSocket*)>& build) {
    if (player.IsString()) {
        if (CNetPlayerInfo* found = m_server->find(player)) m_server->sendTo(found, build(found->getHandle()));
        return;
    }
    for (CNetPlayerInfo* each : m_server->getClients()) m_server->sendTo(each, build(each->getHandle()));
}

void CMC_NetServer::sendCmd(CXString player, CXString command, CXArray* arguments) {
    sendEach(player, [&](CXSocket* socket) { return new CNetCmdMessage(socket, command, arguments); });
}

void CMC_NetServer::sendVar(CXString player, CMC_Variable* variable) {
    if (!variable) return;
    sendEach(player, [&](CXSocket* socket) { return new CNetVariableMessage(socket, variable); });
}

void CMC_NetServer::sendText(CXString player, CXString text) {
    sendEach(player, [&](CXSocket* socket) { return new CNetTextMessage(socket, text); });
}

void CMC_NetServer::sendBehaviour(CXString player, CMC_Behaviour* behaviour) {
    if (!behaviour) return;
    sendEach(player, [&](CXSocket* socket) { return new CNetBehaviourMessage(socket, behaviour); });
}

void CMC_NetServer::onMessage(CNetMessage* message) {
    if (!message) return;
    if (message->getType() == CNetMessage::kGoodbye) {
        if (CNetPlayerInfo* player = m_server->findBySocket(message->getHandle())) m_server->removePlayer(player);
        return;
    }
    if (auto* hello = dynamic_cast<CNetHelloMessage*>(message)) {
        if (CNetPlayerInfo* player = m_server->findBySocket(message->getHandle())) {
            player->setName(CXString(hello->getName()));
            m_server->newPlayer(player);
        }
        return;
    }
    CMC_NetPeer::onMessage(message);
}

void CMC_NetServer::onNewPlayer(CNetPlayerInfo* player) {
    m_loggedPlayerName = player ? player->getName() : CXString();
    onSignal(CXString("ONNEWPLAYER"));
}

void CMC_NetServer::onDestroyPlayer(CNetPlayerInfo*) { onSignal(CXString("ONDESTROYPLAYER")); }

// ---- runner ----------------------------------------------------------------------------

void CMC_NetServer_Runner::prepareMthHashSet() {
    CMC_NetPeer_Runner::prepareMthHashSet();
    putMethod("START", kStart);
    putMethod("STOP", kStop);
    putMethod("ISSTARTED", kIsStarted);
    putMethod("GETLOGGEDPLAYERNAME", kGetLoggedPlayerName);
    putMethod("GETPLAYERSNO", kGetPlayersNo);
    putMethod("GETPLAYERNAME", kGetPlayerName);
}

CMC_Variable* CMC_NetServer_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* server = dynamic_cast<CMC_NetServer*>(target);
    if (!server) return CMC_NetPeer_Runner::run(id, target, container, arguments);
    switch (id) {
    case kStart: server->start(); return nullptr;
    case kStop: server->stop(); return nullptr;
    case kIsStarted: {
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        if (result) result->setValue(server->isStarted());
        return result;
    }
    case kGetLoggedPlayerName:
    case kGetPlayerName: {
        CMC_String* result = CMC_VariableFactory::allocString();
        if (result)
            result->setValue(id == kGetLoggedPlayerName ? server->getLoggedPlayerName()
                                                        : server->getPlayer(parameterInt(arguments, 0)));
        return result;
    }
    case kGetPlayersNo: {
        CMC_Integer* result = CMC_VariableFactory::allocInteger();
        if (result) result->setValue(server->getPlayersNo());
        return result;
    }
    default: return CMC_NetPeer_Runner::run(id, target, container, arguments);
    }
}
