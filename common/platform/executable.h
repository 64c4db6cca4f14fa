// Where the running program's file is.
#pragma once

#include <string>

// The folder of the running executable (links resolved), without a trailing separator; empty
// when the system cannot tell.
std::string ExecutableFolder();

#include <vector>

// The program's arguments after its own name, as UTF-8 (Windows hands them over in the ANSI
// code page; its wide command line is read instead). On Windows the console is also told that
// the program writes UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);
