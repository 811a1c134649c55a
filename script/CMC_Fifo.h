// The script's FIFO (type id 2018): a queue of script values that POP takes oldest first.
#pragma once

#include "script/CMC_Quene.h"

class CMC_Fifo : public CMC_Quene {
public:
    static constexpr int kType = 2018;

    // The object part and handlers from the element, over an empty queue.
    CMC_Fifo(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp", owned by the container.
    explicit CMC_Fifo(CMC_ObjectsContainer* container);
    ~CMC_Fifo() override;
};
