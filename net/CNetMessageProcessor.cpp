#include "net/CNetMessageProcessor.h"

#include <memory>

#include "net/CNetListener.h"
#include "net/CNetMessages.h"
#include "net/CXSocket.h"

CNetMessage* CNetMessageProcessor::makeTyped(CNetMessage* raw) {
    const CXString sender = raw->getSenderName();
    switch (raw->getType()) {
    case CNetMessage::kCommand: return new CNetCmdMessage(sender, raw);
    case CNetMessage::kVariable: return new CNetVariableMessage(sender, raw);
    case CNetMessage::kBehaviour: return new CNetBehaviourMessage(sender, raw);
    case CNetMessage::kText: return new CNetTextMessage(sender, raw);
    case CNetMessage::kPing: return new CNetPingMessage(sender, raw);
    case CNetMessage::kHello: return new CNetHelloMessage(sender, raw);
    case CNetMessage::kFileRequest: return new CNetFileRequestMessage(sender, raw);
    case CNetMessage::kFileResponse: return new CNetFileResponseMessage(sender, raw);
    case CNetMessage::kFileData: return new CNetFileDataMessage(sender, raw);
    default: return nullptr;
    }
}

void CNetMessageProcessor::process(CNetMessage* raw, const std::vector<CNetListener*>* listeners) {
    if (!raw) return;
    std::unique_ptr<CNetMessage> typed(makeTyped(raw));
    if (raw->getType() == CNetMessage::kPing) {
        auto* ping = static_cast<CNetPingMessage*>(typed.get());
        if (!ping->isResponse() && raw->getHandle())
            raw->getHandle()->send(new CNetPingMessage(raw->getSenderName(), raw, true));
    }
    CNetMessage* message = typed ? typed.get() : raw;
    if (!listeners) return;
    for (size_t i = 0; i < listeners->size(); ++i) (*listeners)[i]->onMessage(message);
}
