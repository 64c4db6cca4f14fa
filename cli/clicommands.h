// The commands of pelmora-cli, apart from the process around them (testable in-process).
//
//   pelmora-cli [--home DIR] search --csv   one search as the manager's window runs it
//   pelmora-cli [--home DIR] list FILE --csv   every row of a device book or device-list file
//   pelmora-cli [--home DIR] params ...       a terminal's parameters (cli/paramscommands.h)
//   pelmora-cli [--home DIR] books ...        the address books (cli/bookscommands.h) and
//                                             their downloads (cli/booksdownload.h)
//   pelmora-cli --help | --version
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a file that cannot be read, no device-access library, a failed
                                 // search
constexpr int kExitUsage = 2;

// Thrown by a command's argument parsing: the command line cannot be run as given.
struct TCliUsageError {
    std::string text;
};

// Thrown when the command line is well formed but cannot be run: an unknown name, a value that
// does not fit its form, a target that is neither an address nor a MAC. One line, no usage.
struct TCliError {
    std::string text;
};

// The frame of a command with its own usage text: --help prints the usage to out; a
// TCliUsageError from run prints the error and the usage to err, a TCliError only the error;
// both give kExitUsage.
int RunWithUsage(const std::vector<std::string>& args, const char* usage, std::ostream& out,
                 std::ostream& err, const std::function<int()>& run);

// Runs the command of args (argv without the program name). programFolder is the folder of the
// executable, used unless --home names another; the device-access library is looked for in the
// --home folder first and then in programFolder, as the window does. The CSV goes to out,
// messages to err.
// Nothing is created or rewritten: a missing "devdb.dat" simply gives no Books rows.
// --lang picks the language of the messages (English by default); a --home folder must exist.
int RunCli(std::vector<std::string> args, const std::string& programFolder, std::ostream& out,
           std::ostream& err);
