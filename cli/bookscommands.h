// pelmora-cli's address-book commands, on the lists in the data folder "Data":
//
//   pelmora-cli [--home DIR] books list contacts|multicasts|dl-contacts|dl-multicasts [--csv]
//   pelmora-cli [--home DIR] books import contacts|multicasts FILE.csv|FILE.xlsx
//   pelmora-cli [--home DIR] books export contacts|multicasts|dl-contacts|dl-multicasts FILE
//
// list prints each row's number and columns (TAB-separated, or CSV with --csv). import reads a
// CSV or text file as spreadsheets save it, or a workbook, checks every row with the editors'
// rules and replaces the list only when all pass; otherwise it reports every failing row with
// its line number and writes nothing. export writes the list as CSV (UTF-8 with byte order mark)
// or, for a name ending in .xlsx, as a workbook.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Runs args (argv without the program name) when they name the books command, and returns the
// exit code; none for any other command. The lists are those of the work folder: --home when
// given, else programFolder (the executable's) when it can be written, else the user's own folder,
// as for Pelmora.
std::optional<int> RunBooksCli(const std::vector<std::string>& args,
                               const std::string& programFolder, std::ostream& out,
                               std::ostream& err);
