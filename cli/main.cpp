// pelmora-cli: the manager's search and device-list files on the command line.
#include <QCoreApplication>
#include <iostream>

#include "cli/clicommands.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // for the program folder and the settings stores
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunCli(args, QCoreApplication::applicationDirPath().toStdString(), std::cout, std::cerr);
}
