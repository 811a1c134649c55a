// The common base of the script's FIFO (type id 2018) and LIFO (type id 2019): an
// object that holds a queue of script values and raises "ONEMPTY" when POP finds it
// empty. The kind of queue (oldest or newest first) is what tells the two apart.
//
// The queue owns what it holds: PUSH stores private copies of INTEGER, STRING, BOOL
// and DOUBLE values (never pooled temporaries, which are freed at every application
// step) and an empty entry for anything else; take() hands an entry over to the
// caller. Deleting the object deletes the entries left. The contents are never
// stored in a scene archive (only the object's common part).
#pragma once

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXQuene;
class CMElement;
class CMC_ObjectsContainer;
class CMC_Variable;

class CMC_Quene : public CMC_Object {
public:
    // Named, owned by (not registered in) the container; no queue until the derived
    // class sets one.
    CMC_Quene(CMC_ObjectsContainer* container, CXString name, int type);
    // Deletes the entries left and the queue.
    ~CMC_Quene() override;
    CMC_Quene(const CMC_Quene&) = delete;
    CMC_Quene& operator=(const CMC_Quene&) = delete;

    // "ONINIT", "ONDONE", "ONSIGNAL", "ONEMPTY".
    CXString** getBehavioursList() override;

    // The queue (entries are owned CMC_Variable* or null for an empty entry).
    virtual CXQuene* getQuene();

    // Stores a copy of the value (an empty entry for null or a value of another type).
    void push(CMC_Variable* value);
    // Takes the next entry out; the caller owns it. Null for an empty entry and for an
    // empty queue (tell them apart with getSize first).
    CMC_Variable* take();
    int getSize();
    bool isEmpty() { return getSize() == 0; }

protected:
    // The object part from the element (handlers not yet attached).
    CMC_Quene(CMC_ObjectsContainer* container, CMElement* element, int type);
    // Takes ownership; set once by the derived constructor.
    void setQuene(CXQuene* queue);

private:
    CXQuene* m_queue = nullptr;
};
