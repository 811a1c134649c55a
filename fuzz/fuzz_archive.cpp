// Binary archive reads over an in-memory file: a mix of every primitive.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    CFile_Stream file(bytes.data(), static_cast<int>(bytes.size()));
    CXArchive archive(&file, false);
    int i = 0;
    int64_t l = 0;
    double d = 0;
    bool b = false;
    CXRect r;
    for (int round = 0; round < 64 && !file.eof(); ++round) {
        CXString s;
        char* c = nullptr;
        archive >> &i >> &s >> &c >> &d >> &l >> &b >> &r;
        delete[] c;
        archive.readShortString(&s);
        archive.FRead(s);
    }
    return 0;
}
