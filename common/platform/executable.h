// The running program: where its file is, its arguments, the user's data folder.
#pragma once

#include <string>
#include <vector>

// The folder of the running executable (links resolved), without a trailing separator; empty
// when the system cannot tell.
std::string ExecutableFolder();

// The program's arguments after its own name, as UTF-8 (Windows hands them over in the ANSI
// code page; its wide command line is read instead). On Windows the console is also told that
// the program writes UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The folder where the user's own data files go: $XDG_DATA_HOME or ~/.local/share on Linux,
// %LOCALAPPDATA% on Windows.
std::string UserDataFolder();
