// The video layer over bytes in memory: the input opens as a video (the first byte
// chooses the pixel layout and whether sound is decoded), then frames are read and the
// stream seeks where the input's last bytes say. Every frame has the video's size, the
// sound never exceeds what was asked, and nothing hangs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/Video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    const auto layout = flags & 1 ? platform::PixelLayout::Rgb555 : platform::PixelLayout::Rgb565;
    const platform::VideoAudioFormat audio = flags & 2 ? platform::VideoAudioFormat{22050, 2}
                                                       : platform::VideoAudioFormat{0, 0};
    platform::LibavVideoSystem system;
    auto video = system.open(std::make_unique<platform::MemoryVideoInput>("fuzz", data + 1, size - 1), layout, audio);
    if (!video) return 0;
    const int32_t width = video->width(), height = video->height();
    if (width <= 0 || height <= 0 || width > platform::kVideoMaxSide || height > platform::kVideoMaxSide) std::abort();
    // Small pictures keep the runs short; a large one is only checked once.
    const int frames = static_cast<int64_t>(width) * height > 320 * 240 ? 1 : 40;
    platform::VideoFrame frame;
    std::vector<int16_t> samples(2 * 4096);
    const uint8_t seekByte = data[size - 1];
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < frames && video->nextFrame(&frame); ++i) {
            if (frame.pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) std::abort();
            if (video->readAudio(samples.data(), 4096) > 4096) std::abort();
        }
        // A seek from the last byte: tenths of a second, or far past any end.
        video->seek(seekByte == 0xFF ? INT64_C(1) << 40 : int64_t{seekByte} * platform::kVideoSecond / 10);
    }
    return 0;
}
