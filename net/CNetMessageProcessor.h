// Dispatch of one received raw message: the typed message of its code goes to every
// listener (the raw one for the goodbye and unknown codes), and a ping that is not
// an answer is answered on its own socket before any listener hears it.
#pragma once
#include <vector>

class CNetListener;
class CNetMessage;

class CNetMessageProcessor {
public:
    CNetMessageProcessor() = delete;
    // The raw message stays the caller's. The list is read afresh before each call,
    // so a listener may add or remove listeners.
    static void process(CNetMessage* raw, const std::vector<CNetListener*>* listeners);
    // The typed message for a raw one of a known body type, or null.
    static CNetMessage* makeTyped(CNetMessage* raw);
};
