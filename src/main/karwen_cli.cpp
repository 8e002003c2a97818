// karwen-cli: the window's batch conversion from a shell.
#include "convert_command.h"

int main(int argc, char** argv) { return karwen::cli::runCommandLine(argc, argv); }
