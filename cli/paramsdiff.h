// pelmora-cli params diff: what changed between two parameter blocks.
//
//   pelmora-cli [--home DIR] params diff A.dps B.dps [--csv]
//   pelmora-cli [--home DIR] params diff TARGET FILE.dps [--csv]
//
// A word ending in ".dps" is a parameter file; any other is a terminal (IP text or MAC text)
// whose current block is read. One line per differing value, "name: A → B", or with --csv the
// table Name,A,B headed by the two words as given.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// words: the two blocks. Exit 0 when they are equal, 1 when they differ, 2 when one cannot be
// read (as diff does); a wrong number of words throws TCliUsageError.
int RunParamsDiff(const std::vector<std::string>& words, bool csv, const std::string& folder,
                  const std::string& programFolder, std::ostream& out, std::ostream& err);
