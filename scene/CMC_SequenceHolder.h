// What the scene's sequence queries need of a SEQUENCE object (type 2004). The object
// itself lives above the scene's folder, so the scene reaches its playable through this.
#pragma once

class CPlayable;

class CMC_SequenceHolder {
public:
    virtual ~CMC_SequenceHolder() = default;
    // The sequenced playable the object plays; null while it has none.
    virtual CPlayable* getSequencedPlayable() = 0;
};
