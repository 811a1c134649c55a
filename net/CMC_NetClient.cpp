#include "net/CMC_NetClient.h"

#include "net/CNetMessages.h"
#include "net/CNetworkClient.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Bool.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registeredRunner = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kNetClient, []() -> CMC_Runner* { return new CMC_NetClient_Runner(); });
const bool registeredPrototype =
    CMC_SceneBinary::registerPrototype(CMC_NetClient::kType, [](CMC_Scene* scene) -> CMC_Object* {
        return new CMC_NetClient(scene ? scene->getWindow() : nullptr, scene ? scene->getMCApplication() : nullptr);
    });

} // namespace

CMC_NetClient::CMC_NetClient(CWindow* window, CMC_Application* application)
    : CMC_NetPeer(CXString("NETCLIENT"), kType, window, application),
      m_client(std::make_unique<CNetworkClient>(window, true, false)) {
    m_client->addNotifier(this);
    initializeBehaviours(nullptr, nullptr);
}

CMC_NetClient::~CMC_NetClient() {
    m_client->removeNotifier(this);
    m_client.reset();
}

CXString** CMC_NetClient::getBehavioursList() {
    return makeBehavioursList({"ONCONNECTED", "ONCOMMAND", "ONCONNECTIONCLOSED"});
}

void CMC_NetClient::connect(CXString host) { m_client->connect(host, getPort()); }
void CMC_NetClient::disconnect() { m_client->disconnect(true); }
bool CMC_NetClient::isConnected() const { return m_client->isConnected(); }

void CMC_NetClient::sendMessage(CNetMessage* message) {
    if (!m_client->send(message)) {
        // Without a socket the message stayed here; a socket's send consumed it.
        if (!m_client->getHandle()) delete message;
    }
}

void CMC_NetClient::sendCmd(CXString, CXString command, CXArray* arguments) {
    if (!isConnected()) return;
    sendMessage(new CNetCmdMessage(m_client->getHandle(), command, arguments));
}

void CMC_NetClient::sendVar(CXString, CMC_Variable* variable) {
    if (!isConnected() || !variable) return;
    sendMessage(new CNetVariableMessage(m_client->getHandle(), variable));
}

void CMC_NetClient::sendText(CXString, CXString text) {
    if (!isConnected()) return;
    sendMessage(new CNetTextMessage(m_client->getHandle(), text));
}

void CMC_NetClient::sendBehaviour(CXString, CMC_Behaviour* behaviour) {
    if (!isConnected() || !behaviour) return;
    sendMessage(new CNetBehaviourMessage(m_client->getHandle(), behaviour));
}

void CMC_NetClient::onConnected(CXString) { onSignal(CXString("ONCONNECTED")); }
void CMC_NetClient::onConnectionClosed() { onSignal(CXString("ONCONNECTIONCLOSED")); }

// ---- runner ----------------------------------------------------------------------------

void CMC_NetClient_Runner::prepareMthHashSet() {
    CMC_NetPeer_Runner::prepareMthHashSet();
    putMethod("CONNECT", kConnect);
    putMethod("DISCONNECT", kDisconnect);
    putMethod("ISCONNECTED", kIsConnected);
}

CMC_Variable* CMC_NetClient_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* client = dynamic_cast<CMC_NetClient*>(target);
    if (!client) return CMC_NetPeer_Runner::run(id, target, container, arguments);
    switch (id) {
    case kConnect: client->connect(getParameterText(arguments, 0)); return nullptr;
    case kDisconnect: client->disconnect(); return nullptr;
    case kIsConnected: {
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        if (result) result->setValue(client->isConnected());
        return result;
    }
    default: return CMC_NetPeer_Runner::run(id, target, container, arguments);
    }
}
