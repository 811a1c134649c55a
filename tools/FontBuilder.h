// Builds a font file from an animation whose frames are the letters: the first
// event's frame names give the letters (vondrel-anim's "position P name=X").
#pragma once
#include <string>

namespace tools {

// Refuses, writing nothing, an animation that does not load, has no frames, mixes frame
// sizes or has a frame the first event does not name. The font is read back before it
// takes the output's name. False with a message on failure.
bool buildFont(const std::string& animationPath, const std::string& outputPath, std::string* error);

}  // namespace tools
