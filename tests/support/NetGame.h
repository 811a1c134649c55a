// A game folder for network runs: NETSERVER and NETCLIENT have no definition-file
// form, so they reach a game only through its scene images. writeNetGame writes an
// application with one episode and one scene from definition text, turns it into
// binary images the engine's way ("-2bin"), then loads the scene's definitions again,
// adds the network object with its handlers and writes the scene's image over the first.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace test {

struct NetGame {
    std::string folder;       // native path of the game folder (made when missing)
    std::string application;  // the APPLICATION's name; the episode is this + "EP"
    std::string scene;        // the one scene, in the data folder's subfolder of its name
    std::string definitions;  // the scene's definition file
    int netType = 0;          // 2011 (NETSERVER) or 2012 (NETCLIENT)
    // Events of the network object and the scene's behaviours that handle them
    // ("ONCOMMAND^JUMP" -> "ONJUMP").
    std::vector<std::pair<std::string, std::string>> handlers;
};

// True when every image was written; otherwise `why` tells what failed.
bool writeNetGame(const NetGame& game, std::string* why);

}  // namespace test
