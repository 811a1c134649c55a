#include "net/CMC_NetPeer.h"

#include <atomic>

#include "foundation/CXArray.h"
#include "net/CNetMessages.h"
#include "net/CNetworkClient.h"
#include "net/CNetworkServer.h"
#include "scene/CMC_Application.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

std::atomic<int> g_port{CMC_NetPeer::kDefaultPort};

} // namespace

CMC_NetPeer::CMC_NetPeer(CXString name, int type, CWindow* window, CMC_Application* application)
    : CMC_Object(name, type), m_window(window), m_application(application) {}

void CMC_NetPeer::setPort(int port) { g_port = port; }
int CMC_NetPeer::getPort() { return g_port; }

void CMC_NetPeer::tickPeers() {
    if (CNetworkClient* client = CNetworkClient::getInstance()) client->tick();
    if (CNetworkServer* server = CNetworkServer::getInstance()) server->tick();
}

CMC_ObjectsContainer* CMC_NetPeer::currentScene() {
    // An object made outside an application (a host's own, a test's) answers in the
    // container that holds it.
    if (!m_application) return getScene();
    CMC_Scene* scene = m_application->getCurrentScene();
    if (scene && scene->getCurrentScene()) scene = scene->getCurrentScene();
    return scene;
}

void CMC_NetPeer::onMessage(CNetMessage* message) {
    CMC_ObjectsContainer* scene = currentScene();
    if (!message || !scene) return;
    // The processor hands typed messages for these codes; anything else is passed over.
    if (auto* command = dynamic_cast<CNetCmdMessage*>(message)) {
        const CXString key = CXString("ONCOMMAND^") + command->getCommand();
        if (command->getParams())
            onSignal(key, command->getParams());
        else
            onSignal(key);
    } else if (auto* variableMessage = dynamic_cast<CNetVariableMessage*>(message)) {
        auto* variable = dynamic_cast<CMC_Variable*>(scene->getObject(variableMessage->getVariableName()));
        CMC_Variable* incoming = variable ? variableMessage->getVariable() : nullptr;
        if (!incoming) return;
        variable->onNetChange(incoming);
        CMC_Object::flush(incoming);
    } else if (auto* code = dynamic_cast<CNetBehaviourMessage*>(message)) {
        auto* behaviour = new CMC_Behaviour(scene, CXString("temp"), CXString(code->getCode()));
        behaviour->init();
        behaviour->run(this, nullptr, false);
        CMC_Object::destroy(behaviour);
    } else if (auto* text = dynamic_cast<CNetTextMessage*>(message)) {
        m_latestText = CXString("Received text message: '") + text->getText() + "' from " + message->getSenderName() +
                       ".\n";
        onSignal(CXString("ONTEXT"));
    }
}

// ---- runner ----------------------------------------------------------------------------

void CMC_NetPeer_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("SENDCMD", kSendCmd);
    putMethod("SENDVARIABLE", kSendVariable);
    putMethod("SENDTEXT", kSendText);
    putMethod("SENDBEHAVIOUR", kSendBehaviour);
    putMethod("GETLATESTTEXT", kGetLatestText);
}

CMC_Variable* CMC_NetPeer_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                      CXVector* arguments) {
    auto* peer = dynamic_cast<CMC_NetPeer*>(target);
    if (!peer) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    // [player,] payload
    auto payload = [&](CXString* player) {
        if (count >= 2) *player = getParameterText(arguments, 0);
        return getParameterText(arguments, count >= 2 ? 1 : 0);
    };
    switch (id) {
    case kSendCmd: {
        if (count < 1) return nullptr;
        const CXString command = getParameterText(arguments, 0);
        CXArray list(count - 1, 0.75f);
        for (int i = 1; i < count; ++i) list.add(new CXString(getParameterText(arguments, i)));
        peer->sendCmd(CXString(), command, &list);
        for (int i = 0; i < list.getCount(); ++i) delete list.stringAt(i);
        return nullptr;
    }
    case kSendVariable:
    case kSendBehaviour: {
        if (count < 1) return nullptr;
        CXString player;
        const CXString name = payload(&player);
        CMC_Object* object = container ? container->getObject(name) : nullptr;
        if (id == kSendVariable) {
            if (auto* variable = dynamic_cast<CMC_Variable*>(object)) peer->sendVar(player, variable);
        } else if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(object)) {
            peer->sendBehaviour(player, behaviour);
        }
        return nullptr;
    }
    case kSendText: {
        if (count < 1) return nullptr;
        CXString player;
        const CXString text = payload(&player);
        peer->sendText(player, text);
        return nullptr;
    }
    case kGetLatestText: {
        CMC_String* result = CMC_VariableFactory::allocString();
        if (result) result->setValue(peer->getLatestText());
        return result;
    }
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}
