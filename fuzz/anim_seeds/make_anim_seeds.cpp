// Writes the starting inputs of the animation targets into a folder: the test
// fixtures of each family, with the first byte choosing the signature in the
// way the targets read it (the signature itself is dropped).
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/graphics/play/AnimationFixtures.h"

namespace {

void write(const std::string& folder, const std::string& name, int selector, const std::string& file) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << static_cast<char>(selector) << file.substr(4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: make_anim_seeds NEW_DIR PAK_DIR OLD_DIR\n", stderr);
        return 2;
    }
    write(argv[1], "nvi", 0, animfix::nv("NVI"));
    write(argv[1], "nvplus", 1, animfix::nv("NV+"));
    write(argv[1], "nvp", 2, animfix::nv("NVP"));
    write(argv[2], "pak0", 0, animfix::pak(false));
    write(argv[2], "pak2", 0, animfix::pak(true));
    write(argv[3], "pik", 0, animfix::pik());
    write(argv[3], "pi2", 1, animfix::pi2());
    write(argv[3], "pi3", 2, animfix::pi3());
    return 0;
}
