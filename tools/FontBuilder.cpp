#include "tools/FontBuilder.h"

#include <cerrno>

#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "graphics/text/CSimpleFont6.h"
#include "tools/Output.h"

namespace tools {

bool buildFont(const std::string& animationPath, const std::string& outputPath, std::string* error) {
    if (!checkInputFile(animationPath, error)) return false;
    CAnimo animation(nullptr, CXString(animationPath.c_str()));
    if (animation.LastError() != 0)
        return report(error, animationPath + ": not an animation file, or a damaged one (it does not load)");
    const int frames = animation.GetNOF();
    if (frames <= 0) return report(error, animationPath + ": no frames");
    if (frames > 256) return report(error, animationPath + ": more than 256 frames");
    CFrame* first = animation.GetFrame(0);
    for (int i = 0; i < frames; ++i) {
        CFrame* f = animation.GetFrame(i);
        if (!f || !first || f->Width() != first->Width() || f->Height() != first->Height())
            return report(error, animationPath + ": frames of several sizes");
    }
    const int named = animation.GetNOE() > 0 ? animation.GetNOFInEvent(0) : 0;
    for (int i = 0; i < frames; ++i)
        if (i >= named || !animation.getFrameName(0, i).IsString())
            return report(error, animationPath + ": frame " + std::to_string(i) + " has no letter name");

    const std::string temporary = temporaryFor(outputPath);
    if (temporary.empty()) return report(error, outputPath + ": cannot be written (" + writeFailure(errno) + ")");
    CSimpleFont6 font(nullptr);
    bool written = font.create(&animation, CXString(temporary.c_str()));
    if (written) {
        CSimpleFont6 back(nullptr, CXString(temporary.c_str()));
        const CSimpleFont6::Tables* a = font.tables();
        const CSimpleFont6::Tables* b = back.tables();
        written = back.LastError() == 0 && a && b && a->letters == b->letters && a->kerning == b->kerning &&
                  a->left == b->left && a->right == b->right && back.Width() == font.Width() &&
                  back.Height() == font.Height();
    }
    return finishOutput(temporary, outputPath, written, "the font could not be written", error);
}

}  // namespace tools
