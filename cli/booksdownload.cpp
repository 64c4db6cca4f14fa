#include "cli/booksdownload.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/clicommands.h"
#include "cli/clitarget.h"
#include "common/tablefile.h"
#include "common/translation.h"
#include "manager/access/kvlibrary.h"
#include "manager/books/sitedownload.h"
#include "manager/shell/programfolder.h"

namespace {

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] books download contacts|zones TARGET ... "
    "[--jobs N] [--report FILE.csv|FILE.xlsx] [--user U --password P]\n"
    "contacts sends the download contact selection (Data/DlContacts.dat), zones the download zone\n"
    "selection (Data/DlMulticasts.dat). TARGET: a terminal's IP address, or its MAC text (six\n"
    "decimal numbers joined by \".\") for a terminal on the local network.\n"
    "Up to N terminals (default: every TARGET, at most 64) are served at once; a line per "
    "terminal\n"
    "tells its result as it ends. --report writes terminal, MAC, result, steps and duration.\n"
    "Ctrl+C stops every job and reports the terminals not finished.\n";

struct TDownloadArgs {
    std::string home;
    std::vector<std::string> words;  // after "books download"
    std::optional<std::string> user, password;
    std::string report;
    int jobs = kMaxSiteJobs;
    bool help = false;
};

bool TakesValue(const std::string& arg) {
    return arg == "--home" || arg == "--user" || arg == "--password" || arg == "--jobs" ||
           arg == "--report";
}

// Options and words; false with an error for an unknown option or a missing value.
bool SplitArgs(const std::vector<std::string>& args, TDownloadArgs& parsed, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (TakesValue(arg) && i + 1 == args.size()) {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--home")
            parsed.home = args[++i];
        else if (arg == "--user")
            parsed.user = args[++i];
        else if (arg == "--password")
            parsed.password = args[++i];
        else if (arg == "--report") {
            parsed.report = args[++i];
            if (!parsed.report.ends_with(".csv") && !parsed.report.ends_with(".xlsx")) {
                error = "--report needs a FILE.csv or FILE.xlsx";
                return false;
            }
        } else if (arg == "--jobs") {
            const std::string& n = args[++i];
            if (n.empty() || n.size() > 3 ||
                !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
                std::stoi(n) < 1 || std::stoi(n) > kMaxSiteJobs) {
                error = "--jobs needs a number from 1 to " + std::to_string(kMaxSiteJobs);
                return false;
            }
            parsed.jobs = std::stoi(n);
        } else if (arg == "--help")
            parsed.help = true;
        else if (arg.starts_with("--")) {
            error = "unknown option " + arg;
            return false;
        } else
            parsed.words.push_back(arg);
    }
    if (parsed.words.size() >= 2)
        parsed.words.erase(parsed.words.begin(), parsed.words.begin() + 2);
    if (parsed.user.has_value() != parsed.password.has_value()) {
        error = "--user and --password go together";
        return false;
    }
    return true;
}

// Interrupts (Ctrl+C) during a run: the handler only marks them; the main thread stops the jobs.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
extern "C" void MarkInterrupted(int) {
    interrupted.store(true);
}

// Ctrl+C handled while it lives; the previous handler comes back afterwards.
class TInterruptGuard {
  public:
    TInterruptGuard() {
        interrupted.store(false);
        previous_ = std::signal(SIGINT, MarkInterrupted);
    }
    ~TInterruptGuard() { std::signal(SIGINT, previous_); }
    TInterruptGuard(const TInterruptGuard&) = delete;
    TInterruptGuard& operator=(const TInterruptGuard&) = delete;

  private:
    void (*previous_)(int) = SIG_DFL;
};

// Runs the targets, printing each job text on err and each result line on out as it ends.
// Ctrl+C is taken from before the first job starts until the last has ended.
int RunSite(TSiteDownload& run, std::vector<TSiteTarget> targets, int jobs, TSiteLog& log,
            std::ostream& out, std::ostream& err) {
    const TInterruptGuard guard;
    run.Start(std::move(targets), jobs);
    bool stopping = false;
    while (!run.Finished()) {
        if (interrupted.load() && !stopping) {
            stopping = true;
            err << "pelmora-cli: interrupted: stopping every job\n";
            run.Stop();
        }
        for (const TSiteEvent& event : run.TakeEvents(std::chrono::milliseconds(100))) {
            const TSiteRow& row = log.Rows()[log.Apply(event)];
            if (event.kind == TSiteEvent::TKind::kProgress ||
                event.kind == TSiteEvent::TKind::kNote)
                err << "pelmora-cli: " << row.label << ": " << row.texts.back() << "\n";
            if (event.kind == TSiteEvent::TKind::kEnded) {
                out << row.label << '\t' << row.state << '\n';
                out.flush();
            }
        }
    }
    err << "pelmora-cli: " << log.Summary() << "\n";
    return log.Count(TSiteOutcome::kDone) == log.Rows().size() ? kExitOk : kExitFailure;
}

int Usage(std::ostream& err, const std::string& error) {
    err << "pelmora-cli: " << error << "\n" << kUsage;
    return kExitUsage;
}

}  // namespace

TSiteAccess CliSiteAccess(IDeviceAccess& access,
                          const std::optional<TLoginCredentials>& credentials) {
    return DeviceSiteAccess(
        access, credentials,
        {"no terminal answers at this address (result %d)",
         "reading the parameters failed after " + std::to_string(kReadAttempts) +
             " attempts (result %d)",
         std::string("the terminal asks for credentials: ") + kCredentialsHint,
         "the terminal refused the user name or password", "login failed (result %d)",
         Translate("Pelmora/Messagedlg/FrmProperty/keyWord11", "设备已离线，下载失败"),
         "not a terminal with an address book (model \"%s\")"});
}

bool IsBooksDownloadCommand(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size() && words.size() < 2; ++i) {
        if (TakesValue(args[i]))
            ++i;
        else if (!args[i].starts_with("--"))
            words.push_back(args[i]);
    }
    return words == std::vector<std::string>{"books", "download"};
}

int RunBooksDownloadCli(const std::vector<std::string>& args, const std::string& programFolder,
                        std::ostream& out, std::ostream& err) {
    TDownloadArgs parsed;
    std::string error;
    if (!SplitArgs(args, parsed, error)) return Usage(err, error);
    if (parsed.help) {
        out << kUsage;
        return kExitOk;
    }
    if (parsed.words.size() < 2) return Usage(err, "books download needs a selection and a TARGET");
    const std::string& which = parsed.words[0];
    if (which != "contacts" && which != "zones") return Usage(err, "unknown selection " + which);
    const EDownloadKind kind = which == "zones" ? EDownloadKind::Zones : EDownloadKind::Contacts;
    std::vector<TCliTarget> targets;
    for (auto word = parsed.words.begin() + 1; word != parsed.words.end(); ++word) {
        std::optional<TCliTarget> target = ParseCliTarget(*word);
        if (!target) return Usage(err, "\"" + *word + "\" is neither an IP address nor a MAC text");
        targets.push_back(*target);
    }

    const std::string folder = WorkFolder(parsed.home, programFolder);
    const std::string path =
        ListFilePath(folder, kind == EDownloadKind::Zones ? kDlMulticastsFile : kDlContactsFile);
    if (!std::filesystem::exists(path)) {
        err << "pelmora-cli: " << path << ": no such selection file\n";
        return kExitUsage;
    }
    TListRows rows;
    LoadListFile(rows, path, &error);
    if (!error.empty()) {
        err << "pelmora-cli: " << path << ": " << error << "\n";
        return kExitUsage;
    }
    if (rows.empty()) {
        err << "pelmora-cli: " << path << ": the selection is empty; nothing to send\n";
        return kExitUsage;
    }
    std::unique_ptr<TKvLibrary> library = LoadCliLibrary(folder, programFolder, err);
    if (!library) return kExitUsage;

    const std::optional<TLoginCredentials> credentials =
        CliCredentials(parsed.user, parsed.password);
    std::vector<TSiteTarget> siteTargets;
    for (const TCliTarget& target : targets)
        siteTargets.push_back({target.label, target.accessAddress, target.mac});
    std::vector<TSiteBook> books{{kind, std::move(rows)}};
    TSiteLog log(siteTargets, books);
    TSiteDownload run(std::move(books), CliSiteAccess(*library, credentials));
    const int exit = RunSite(run, std::move(siteTargets), parsed.jobs, log, out, err);
    if (!parsed.report.empty() &&
        !WriteTableFile(parsed.report, SiteReportHeader(), log.ReportRows(), &error)) {
        err << "pelmora-cli: " << parsed.report << ": " << error << "\n";
        return kExitFailure;
    }
    return exit;
}
