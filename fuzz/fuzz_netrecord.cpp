// A network value record from untrusted bytes through the bounded restore. A value
// it gives must store to a record that restores to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ScriptFuzzSupport.h"
#include "script/CMC_Variable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    std::vector<uint8_t> bytes(data, data + size);
    CMC_Variable* value = CMC_VariableFactory::netrestore(bytes.data(), static_cast<int32_t>(bytes.size()));
    if (value) {
        const int length = value->getBufferLen();
        if (length < 4) std::abort();
        std::vector<uint8_t> record(static_cast<size_t>(length));
        value->netstore(record.data());
        CMC_Variable* back = CMC_VariableFactory::netrestore(record.data(), length);
        if (!back || back->getType() != value->getType() || back->toString() != value->toString()) std::abort();
    }
    fuzz::applicationStep();
    return 0;
}
