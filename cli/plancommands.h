// pelmora-cli params plan-export / apply: settings plans for many terminals at once.
//
//   pelmora-cli [--home DIR] params plan-export [--fields NAME,...] [--book] FILE
//   pelmora-cli [--home DIR] params apply PLAN [--dry-run] [--report FILE]
//                                                  [--user U --password P]
//
// Plans are read as CSV in the encodings and separators spreadsheets save, or as .xlsx
// workbooks; plans and reports are written as CSV, or as a workbook for a name ending in .xlsx.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "manager/access/deviceaccess.h"
#include "manager/params/paramdevice.h"
#include "manager/plans/planrun.h"

// Whether args (argv without the program name) run plan-export or apply.
bool IsPlanCommand(const std::vector<std::string>& args);

// Exit 0 when every planned terminal was found and written (exported), 1 when some terminal
// failed, 2 when the plan is refused or the job cannot start.
int RunPlanCli(const std::vector<std::string>& args, const std::string& programFolder,
               std::ostream& out, std::ostream& err);

// A plan run as apply runs it, also for `params set`: each terminal's outcome as it is reached
// and the values it changed on out ("  name: old → new"); a terminal not found or refused on
// err. The credentials are used only when a terminal asks for them. Exit 0, or 1 when a terminal
// failed.
int ApplyPlanReporting(IDeviceAccess& access, const TPlan& plan, bool dryRun,
                       const std::optional<TLoginCredentials>& credentials, std::ostream& out,
                       std::ostream& err, std::vector<TPlanResult>* results = nullptr);
