// Pelmora's command line, read before any window or display is needed.
//
//   Pelmora [--home DIR] [DEVICE-TEXT]
//   Pelmora --help | --version
#pragma once

#include <string>
#include <vector>

// The text printed by --help.
extern const char* const kPelmoraUsage;

// "<program> <major>.<minor>.<build>", the text printed by --version.
std::string VersionLine(const std::string& program);

struct TPelmoraOptions {
    enum class TAction { Run, Help, Version, Refuse };
    TAction action = TAction::Run;
    std::string home;        // --home DIR (or --home=DIR)
    std::string deviceText;  // the argument that is not an option; "--" ends the options
    std::string error;       // Refuse: what is wrong
};

// Reads argv without the program name. Every argument beginning with "-" is an option: an
// unknown one, a second device text or --home without a folder is refused.
TPelmoraOptions ParsePelmoraOptions(const std::vector<std::string>& args);
