// pelmora-cli params plan-export / apply: settings plans for many terminals at once.
//
//   pelmora-cli [--home DIR] params plan-export [--fields NAME,...] [--book] FILE.csv
//   pelmora-cli [--home DIR] params apply PLAN.csv [--dry-run] [--report FILE.csv]
//                                                  [--user U --password P]
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
