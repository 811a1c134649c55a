// Writes uncompressed AVI files (one video stream of 24-bit BGR frames, with an index),
// as the fuzzers' starting inputs and the tests' hand-made videos need them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Each frame holds width × height pixels of blue, green and red bytes, top row first.
// The bytes of the file; empty when a frame has the wrong size or a side is not positive.
std::string rawAvi(int32_t width, int32_t height, int32_t fps, const std::vector<std::string>& frames);

}  // namespace tools
