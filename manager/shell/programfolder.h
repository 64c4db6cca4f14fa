// Where Pelmora and pelmora-cli keep their files.
//
// The program folder is the executable's folder unless --home names another. An installed
// program's folder cannot be written (it belongs to the system), so the device book and the
// settings go to a folder of the user's own instead; the files shipped with the programs
// (language file, catalogue) are then read from beside the executable.
#pragma once

#include <string>

// The folder of the user's own files: $XDG_DATA_HOME/Pelmora, or ~/.local/share/Pelmora
// (%LOCALAPPDATA%\Pelmora on Windows).
std::string UserProgramFolder();

// home when given; otherwise executableFolder when it can be written; otherwise
// UserProgramFolder() (the caller creates it when it writes there).
std::string WorkFolder(const std::string& home, const std::string& executableFolder);

// The shipped file name (for example "license.dat" or "lang/Pelmora.xml") in the work folder when
// it is there, otherwise beside the executable.
std::string ShippedFile(const std::string& workFolder, const std::string& executableFolder,
                        const std::string& name);
