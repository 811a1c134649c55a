// The program that owns the window and runs a game.
#include "host/Host.h"

int main(int argc, char** argv) { return host::run(argc, argv); }
