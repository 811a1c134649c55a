// PSD layers: a loaded file has its layers selected and drawn; a failed one has none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/CFile.h"
#include "graphics/image/CPSD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    CPSD image(nullptr);
    if (image.Load(&stream) != 0) {
        if (image.getLayerCount() != 0 || image.getSelectedLayer()) std::abort();
        return 0;
    }
    CGraphicsObject target(nullptr, CXSize(16, 16), 16);
    for (int i = 0; i < image.getLayerCount() && i < 8; ++i) {
        image.SelectLayer(i);
        image.SetPosition(CXPoint(i - 2, 1 - i));
        image.redraw(&target);
        image.SelectLayer(image.GetLayerName(i));
    }
    return 0;
}
