// The animation tool's manifest: the input is the manifest text, read beside two PNG
// frames ("a.png" 3 x 2 with alpha, "b.png" 1 x 1) in a scratch folder; odd-sized
// inputs build 15-bit run-length frames, even ones 16-bit plain frames. A built
// animation must load again with its frames; a failed build leaves no output.
// Inputs naming paths outside the folder ("/") are passed over: they would read the
// machine's files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "graphics/play/CAnimo.h"
#include "platform/FileSystem.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

std::string folder() {
    static const std::string path = [] {
        const std::string dir = fuzz::scratchFolder("animmanifest");
        platform::PngPicture a{3, 2, 4, {}};
        for (int i = 0; i < 6; ++i)
            a.pixels.insert(a.pixels.end(), {uint8_t(40 * i), 200, uint8_t(255 - 30 * i), uint8_t(i * 51)});
        platform::PngPicture b{1, 1, 4, {9, 8, 7, 255}};
        std::string error;
        if (!platform::writePng(dir + "/a.png", a, &error) || !platform::writePng(dir + "/b.png", b, &error)) std::abort();
        return dir;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (std::memchr(data, '/', size)) return 0;
    const std::string dir = folder();
    const std::string manifest = dir + "/m.txt";
    const std::string output = dir + "/out.ann";
    {
        std::ofstream out(manifest, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::error_code ec;
    std::filesystem::remove(output, ec);
    tools::AnimationOptions options;
    options.code = size % 2 ? 4 : 0;
    options.depth = size % 2 ? 15 : 16;
    std::string error;
    if (!tools::buildAnimation(manifest, output, options, &error)) {
        if (error.empty() || std::filesystem::exists(output)) std::abort();
        return 0;
    }
    CAnimo animation(nullptr, CXString(platform::toEnginePath(output).c_str()));
    if (animation.LastError() != 0 || animation.GetNOF() < 1) std::abort();
    return 0;
}
