// The script's LIFO (type id 2019): a queue of script values that POP takes newest first.
#pragma once

#include "script/CMC_Quene.h"

class CMC_Lifo : public CMC_Quene {
public:
    static constexpr int kType = 2019;

    // The object part and handlers from the element, over an empty queue.
    CMC_Lifo(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp", owned by the container.
    explicit CMC_Lifo(CMC_ObjectsContainer* container);
    ~CMC_Lifo() override;
};
