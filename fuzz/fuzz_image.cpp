// Image-file reader, every layout: the first byte picks the magic put before the
// rest ("PIK", "NVI" or none, the older layout). A loaded image is drawn and
// unpacked; a failed one must be empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/CFile.h"
#include "graphics/image/CImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kMagic[] = {"PIK", "NVI", ""};
    std::string bytes = kMagic[data[0] % 3];
    if (!bytes.empty()) bytes += '\0';
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    CImage image(nullptr);
    if (image.Load(&stream) != 0) {
        if (image.Width() != 0 || image.GetDataPtr() || image.AlphaChannel()) std::abort();
        return 0;
    }
    CGraphicsObject target(nullptr, CXSize(16, 16), 16);
    image.unpack();
    image.SetPosition(-1, -1);
    image.redraw(&target);
    return 0;
}
