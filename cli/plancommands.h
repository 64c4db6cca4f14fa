// pelmora-cli params plan-export / apply: settings plans for many terminals at once.
//
//   pelmora-cli [--home DIR] params plan-export [--fields NAME,...] [--book] FILE
//   pelmora-cli [--home DIR] params apply PLAN [--dry-run] [--report FILE]
//                                                  [--user U --password P]
//
// Plans are read as CSV in the encodings and separators spreadsheets save, or as .xlsx
// workbooks; plans and reports are written as CSV, or as a workbook for a name ending in .xlsx.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Whether args (argv without the program name) run plan-export or apply.
bool IsPlanCommand(const std::vector<std::string>& args);

// Exit 0 when every planned terminal was found and written (exported), 1 when some terminal
// failed, 2 when the plan is refused or the job cannot start.
int RunPlanCli(const std::vector<std::string>& args, const std::string& programFolder,
               std::ostream& out, std::ostream& err);
