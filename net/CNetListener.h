// What a network peer tells its listeners: received messages and connection news.
// Every operation does nothing by default.
#pragma once
#include "foundation/CXString.h"

class CNetMessage;
class CNetPlayerInfo;

class CNetListener {
public:
    virtual ~CNetListener() = default;
    // A message arrived; it is destroyed after the call.
    virtual void onMessage(CNetMessage*) {}
    virtual void onConnected(CXString) {}
    virtual void onConnectionClosed() {}
    virtual void onNewPlayer(CNetPlayerInfo*) {}
    virtual void onDestroyPlayer(CNetPlayerInfo*) {}
};
