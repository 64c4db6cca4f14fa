#include "cli/plancommands.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/clicommands.h"
#include "cli/clitarget.h"
#include "manager/access/devicerecord.h"
#include "manager/access/kvlibrary.h"
#include "manager/plans/plan.h"
#include "manager/plans/planrun.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/networksearch.h"
#include "manager/shell/programfolder.h"

namespace {

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] params plan-export [--fields NAME,...] [--book] FILE\n"
    "       pelmora-cli [--home DIR] params apply PLAN [--dry-run] [--report FILE]\n"
    "                                                     [--user U --password P]\n"
    "A plan is a CSV file or an .xlsx workbook with a header: \"mac\" or \"ip\" first, then\n"
    "field names (params fields); an empty cell leaves the field as the terminal has it.\n"
    "Files written are CSV, or a workbook when the name ends in .xlsx.\n";

struct TPlanOptions {
    std::string home;
    std::string command;
    std::vector<std::string> words;
    std::optional<std::string> fields;
    bool book = false;
    bool dryRun = false;
    std::string report;
    std::optional<std::string> user, password;
};

TPlanOptions ParseOptions(const std::vector<std::string>& args) {
    TPlanOptions options;
    bool seenParams = false;
    auto value = [&](std::size_t& i) -> std::string {
        if (i + 1 == args.size()) throw TCliUsageError{args[i] + " needs a value"};
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--home")
            options.home = value(i);
        else if (arg == "--fields")
            options.fields = value(i);
        else if (arg == "--book")
            options.book = true;
        else if (arg == "--dry-run")
            options.dryRun = true;
        else if (arg == "--report")
            options.report = value(i);
        else if (arg == "--user")
            options.user = value(i);
        else if (arg == "--password")
            options.password = value(i);
        else if (arg.starts_with("--"))
            throw TCliUsageError{"unknown option " + arg};
        else if (!seenParams)
            seenParams = true;  // the word "params"
        else if (options.command.empty())
            options.command = arg;
        else
            options.words.push_back(arg);
    }
    if (options.words.size() != 1) throw TCliUsageError{options.command + " needs one file"};
    if (options.user.has_value() != options.password.has_value())
        throw TCliUsageError{"--user and --password go together"};
    const bool exporting = options.command == "plan-export";
    if (exporting && (options.dryRun || !options.report.empty() || options.user))
        throw TCliUsageError{"plan-export takes --fields and --book only"};
    if (!exporting && (options.fields || options.book))
        throw TCliUsageError{"apply takes --dry-run, --report, --user and --password only"};
    return options;
}

std::vector<TParamName> ChosenNames(const std::optional<std::string>& list) {
    if (!list) return PlanExportNames();
    std::vector<TParamName> chosen;
    std::string_view rest = *list;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string name(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::optional<TParamName> named = FindParamName(name);
        if (!named) throw TCliError{"unknown name \"" + name + "\" (see: params fields)"};
        if (!IsSettable(*named))
            throw TCliError{"a plan cannot set \"" + name + "\" (see: params fields)"};
        chosen.push_back(*named);
    }
    if (chosen.empty()) throw TCliUsageError{"--fields names no value"};
    return chosen;
}

int Export(const TPlanOptions& options, const std::string& folder, IDeviceAccess& access,
           std::ostream& err) {
    const std::vector<TParamName> names = ChosenNames(options.fields);
    // The terminals: found by the search (reached by MAC), or the device book's rows (by address).
    struct TSource {
        std::string terminal, access;
        TMacBytes mac;
    };
    std::vector<TSource> sources;
    if (options.book) {
        TDeviceList book;
        const std::string path = (std::filesystem::path(folder) / kDeviceBookFile).string();
        const TFileResult loaded = LoadDeviceFile(path, true, book);
        if (!loaded.ok) {
            err << "pelmora-cli: " << loaded.error << "\n";
            return kExitUsage;
        }
        for (const TDeviceRow& row : book.Rows())
            sources.push_back(
                {row.columns[kColIp], row.columns[kColIp], TextToMac(row.columns[kColMac])});
    } else {
        for (const TDeviceRecord& record : RunSearchAll(access).records) {
            if (!IsSipModel(record.bytes + devrec::kModel)) continue;
            TMacBytes mac;
            std::copy_n(record.bytes + devrec::kMac, mac.size(), mac.begin());
            sources.push_back({MacToText(mac.data()), std::string(), mac});
        }
    }
    int exit = kExitOk;
    std::vector<TPlanExportRow> rows;
    for (const TSource& source : sources) {
        TParamBlock block;
        const std::int32_t read = ReadParamBlock(access, source.access, source.mac, block);
        if (read != kvresult::kOk) {
            err << "pelmora-cli: " << source.terminal << ": reading failed after " << kReadAttempts
                << " attempts (result " << ResultNumberText(read) << ")\n";
            exit = kExitFailure;
            continue;
        }
        rows.push_back({source.terminal, block});
    }
    std::string error;
    const TTableCells plan = PlanTable(options.book ? TPlanKey::kIp : TPlanKey::kMac, names, rows);
    if (!WriteTableFile(options.words[0], plan.header, plan.rows, &error)) {
        err << "pelmora-cli: " << options.words[0] << ": " << error << "\n";
        return kExitFailure;
    }
    err << "pelmora-cli: " << rows.size() << " terminal(s) written to " << options.words[0] << "\n";
    return exit;
}

int Apply(const TPlanOptions& options, const TPlan& plan, IDeviceAccess& access, std::ostream& out,
          std::ostream& err) {
    std::vector<TPlanResult> results;
    int exit =
        ApplyPlanReporting(access, plan, options.dryRun,
                           CliCredentials(options.user, options.password), out, err, &results);
    std::string error;
    const TTableCells report = PlanReportTable(results);
    if (!options.report.empty() &&
        !WriteTableFile(options.report, report.header, report.rows, &error)) {
        err << "pelmora-cli: " << options.report << ": " << error << "\n";
        exit = kExitFailure;
    }
    return exit;
}

int Run(const TPlanOptions& options, const std::string& programFolder, std::ostream& out,
        std::ostream& err) {
    const std::string folder = WorkFolder(options.home, programFolder);
    std::optional<TPlan> plan;
    if (options.command == "apply") {
        TPlan parsed;
        std::vector<TPlanError> errors;
        if (!LoadPlanFile(options.words[0], parsed, errors)) {
            for (const TPlanError& error : errors)
                err << "pelmora-cli: " << options.words[0] << ": "
                    << (error.line > 0 ? PlanErrorText(error) : error.text) << "\n";
            err << "pelmora-cli: the plan is refused; nothing was applied\n";
            return kExitUsage;
        }
        plan = std::move(parsed);
    } else {
        ChosenNames(options.fields);  // refuses a bad list before the search
    }
    std::unique_ptr<TKvLibrary> library = LoadCliLibrary(folder, programFolder, err);
    if (!library) return kExitUsage;
    return plan ? Apply(options, *plan, *library, out, err)
                : Export(options, folder, *library, err);
}

}  // namespace

bool IsPlanCommand(const std::vector<std::string>& args) {
    bool seenParams = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" || args[i] == "--fields" || args[i] == "--report" ||
            args[i] == "--user" || args[i] == "--password") {
            ++i;
            continue;
        }
        if (args[i].starts_with("--")) continue;
        if (!seenParams) {
            seenParams = true;
            continue;
        }
        return args[i] == "plan-export" || args[i] == "apply";
    }
    return false;
}

int ApplyPlanReporting(IDeviceAccess& access, const TPlan& plan, bool dryRun,
                       const std::optional<TLoginCredentials>& credentials, std::ostream& out,
                       std::ostream& err, std::vector<TPlanResult>* results) {
    TPlanRunOptions run;
    run.dryRun = dryRun;
    run.askCredentials = [&credentials] { return credentials; };
    run.progress = [&out, &err](std::size_t, const TPlanResult& result) {
        const bool failed = result.outcome == TPlanOutcome::kNotFound ||
                            result.outcome == TPlanOutcome::kRefused ||
                            result.outcome == TPlanOutcome::kNotApplied;
        std::ostream& to = failed ? err : out;
        if (failed) to << "pelmora-cli: ";
        to << result.terminal;
        if (!result.address.empty() && result.address != result.terminal)
            to << " (" << result.address << ")";
        to << ": " << PlanOutcomeText(result.outcome);
        if (!result.detail.empty()) to << ": " << result.detail;
        if (result.wantedCredentials) to << ": " << kCredentialsHint;
        to << "\n";
        // A refused terminal's planned values were not written: they are in the report only.
        if (!failed)
            for (const TFieldChange& change : result.changes)
                to << "  " << change.field << ": " << change.current << " → " << change.next
                   << "\n";
    };
    std::vector<TPlanResult> ran = RunPlan(access, plan, run);
    const int exit = PlanSucceeded(ran) ? kExitOk : kExitFailure;
    if (results) *results = std::move(ran);
    return exit;
}

int RunPlanCli(const std::vector<std::string>& args, const std::string& programFolder,
               std::ostream& out, std::ostream& err) {
    return RunWithUsage(args, kUsage, out, err,
                        [&] { return Run(ParseOptions(args), programFolder, out, err); });
}
