// Where the user guide is: beside the programs (the build tree, a Windows folder) in guide/, or,
// for an installed program in <prefix>/lib/pelmora, in <prefix>/share/pelmora/guide. The guide
// is written in English and Simplified Chinese; the Chinese languages read the Chinese one.
#pragma once

#include <string>

// The guide's Markdown file for the language index, or the other language's file when that one
// is missing; "" when neither is found.
std::string GuideFile(const std::string& executableFolder, int languageIndex);
