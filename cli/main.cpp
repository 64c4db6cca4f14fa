// pelmora-cli: the manager's search and device-list files on the command line.
#include <iostream>

#include "cli/clicommands.h"
#include "common/platform/executable.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = ProgramArguments(argc, argv);
    return RunCli(args, ExecutableFolder(), std::cout, std::cerr);
}
