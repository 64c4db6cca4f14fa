// Applying a settings plan to the terminals, one after the other: each planned terminal is
// found (by MAC on the local network through the search, by address otherwise), its block read,
// the plan's values stored with the field encoders and the editor's checks, and the block written
// back with the retries of the properties command, logged in before and out after by the same
// rules. A dry run stops before the login and writes nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manager/access/deviceaccess.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramdevice.h"
#include "manager/plans/plan.h"

enum class TPlanOutcome {
    kChanged,
    kUnchanged,    // the terminal already holds every planned value: nothing written
    kWouldChange,  // dry run: these fields would change
    kNotFound,
    kRefused,     // the terminal, the library or a check refused; detail says which
    kNotApplied,  // stopped before this terminal was reached
};
// "changed", "unchanged", "would change", "not found", "refused", "not applied".
std::string_view PlanOutcomeText(TPlanOutcome outcome);

struct TFieldChange {
    std::string field;
    std::string current;
    std::string next;
};

// The outcome for one line of the plan.
struct TPlanResult {
    int line = 0;
    std::string terminal;  // as the plan names it
    std::string mac;       // the terminal's MAC text once found
    // Where the terminal answers: its address when found, the new one after an address change.
    std::string address;
    TPlanOutcome outcome = TPlanOutcome::kNotApplied;
    std::string detail;              // why it was refused or not found, with the library's result
    bool wantedCredentials = false;  // refused: the terminal asked for credentials, none given
    std::vector<TFieldChange> changes;
    std::optional<TParamBlock> written;  // the block as written (kChanged)
};

struct TPlanRunOptions {
    bool dryRun = false;
    TCredentialsAsker askCredentials;     // for a terminal that wants a user name and password
    std::function<bool()> stopRequested;  // asked before each terminal
    // After each terminal: its index in the plan's rows and its result.
    std::function<void(std::size_t, const TPlanResult&)> progress;
};

// One result per plan row, in plan order; rows after a stop are kNotApplied.
std::vector<TPlanResult> RunPlan(IDeviceAccess& access, const TPlan& plan,
                                 const TPlanRunOptions& options);

// Every terminal found and written (or already as planned).
bool PlanSucceeded(const std::vector<TPlanResult>& results);

// "display_name: Gate → Gate West; ip: ..." for the report and the dry run.
std::string ChangesText(const std::vector<TFieldChange>& changes);

// The report: header Line,Terminal,MAC,Address,Result,Detail,Changes and one row per result.
TTableCells PlanReportTable(const std::vector<TPlanResult>& results);
