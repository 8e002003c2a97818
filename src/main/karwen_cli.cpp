// karwen-cli: the window's batch conversion and the canopy measurement from a shell.
#include "command_line.h"

int main(int argc, char** argv) { return karwen::cli::runCommandLine(argc, argv); }
