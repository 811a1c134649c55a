// Builds an animation file from PNG frames and a text manifest.
//
// The manifest is read line by line; '#' starts a comment, words are separated
// by blanks. Numbers are decimal or 0x hexadecimal.
//
//   fps N                    frames per second of the animation (default 15)
//   flags N                  animation flags (0x40000 no interruption, 0x80000 keep
//                            the frame sound on stop, 0x800000 chain events)
//   opacity N                0-255 (default 255)
//   author TEXT...           the rest of the line
//   description TEXT...
//   frame FILE.png [X Y]     appends a frame (offsets default 0); the file is
//                            relative to the manifest's folder
//   event NAME               starts an event; its lines follow up to "end":
//     frames N N ...         frame numbers (from 0, in "frame" order)
//     loop START END [COUNT] loop positions; END 0: no loop; COUNT 0: for ever
//     fps N                  event's frames per second (default 15)
//     flags N                0x100 hide on stop, 0x20000 ping-pong, 0x40000 no
//                            interruption, 0x80000 keep sound, 0x100000 loop
//                            while the sound plays
//     opacity N              event opacity (default 255)
//     position P [name=TEXT] [step=DX,DY] [sound=FILE] [opacity=N]
//                            settings of position P of the event
//   end
//
// Pixels become 5-6-5 (depth 16) or 5-5-5 (depth 15) words; the PNG's alpha
// becomes the frame's alpha plane.
#pragma once
#include <string>

namespace tools {

struct AnimationOptions {
    // Compression of the frames written: 0 plain, 4 run-length.
    int code = 0;
    int depth = 16;
};

// Writes the file under a temporary name and renames it into place. False with
// a message naming the manifest line or file at fault.
bool buildAnimation(const std::string& manifestPath, const std::string& outputPath, const AnimationOptions& options,
                    std::string* error);

}  // namespace tools
