#include "cli/booksdownload.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/clicommands.h"
#include "cli/clitarget.h"
#include "common/translation.h"
#include "manager/access/kvlibrary.h"
#include "manager/books/bookdownload.h"
#include "manager/hostdl/udphostlink.h"
#include "manager/params/paramfamily.h"
#include "manager/shell/programfolder.h"

namespace {

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] books download contacts|zones TARGET ... "
    "[--user U --password P]\n"
    "contacts sends the download contact selection (Data/DlContacts.dat), zones the download zone\n"
    "selection (Data/DlMulticasts.dat). TARGET: a terminal's IP address, or its MAC text (six\n"
    "decimal numbers joined by \".\") for a terminal on the local network.\n";

struct TDownloadArgs {
    std::string home;
    std::vector<std::string> words;  // after "books download"
    std::optional<std::string> user, password;
    bool help = false;
};

// Options and words; false with an error for an unknown option or a missing value.
bool SplitArgs(const std::vector<std::string>& args, TDownloadArgs& parsed, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--home" || arg == "--user" || arg == "--password";
        if (takesValue && i + 1 == args.size()) {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--home")
            parsed.home = args[++i];
        else if (arg == "--user")
            parsed.user = args[++i];
        else if (arg == "--password")
            parsed.password = args[++i];
        else if (arg == "--help")
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

// The job's texts on err, each after the target's name.
class TPrintedProgress : public IDownloadProgress {
  public:
    TPrintedProgress(std::ostream& err, const std::string& label) : err_(err), label_(label) {}
    void ShowProgress(const TProgressText& text, int) override { Print(text); }
    void ShowJobResult(bool, const TProgressText& text) override { Print(text); }

  private:
    void Print(const TProgressText& text) {
        err_ << "pelmora-cli: " << label_ << ": " << DownloadText(text) << "\n";
    }
    std::ostream& err_;
    const std::string& label_;
};

class TDownloadRun {
  public:
    TDownloadRun(EDownloadKind kind, const TListRows& rows,
                 const std::optional<TLoginCredentials>& credentials, IDeviceAccess& access,
                 std::ostream& err)
        : kind_(kind), rows_(rows), credentials_(credentials), access_(access), err_(err) {}

    // One target: yes when its tables were written.
    bool Send(TCliTarget target) {
        std::string error;
        TParamBlock block;
        if (!ReachCliTarget(access_, target, &error) ||
            !ReadCliTarget(access_, target, block, &error))
            return Fail(target, error);
        // Only family-520 terminals keep host tables; others would never answer.
        if (BlockFamily(block) != TModelFamily::k520)
            return Fail(target, "not a terminal with an address book (model \"" +
                                    GetFieldText(block, ParamField("model")) + "\")");
        TBookDownloadSteps steps;
        steps.login = [&] {
            return LoginCliTarget(access_, target, credentials_, &error) || Fail(target, error);
        };
        steps.logout = [&] { LogoutTerminal(access_, target.accessAddress, target.mac); };
        steps.searchOne = [this](const std::string& ip, TDeviceRecord* record) {
            return access_.SearchOne(ip, record);
        };
        steps.offline = [&] {
            Fail(target,
                 Translate("Pelmora/Messagedlg/FrmProperty/keyWord11", "设备已离线，下载失败"));
        };
        steps.runJob = [&](const std::string& address, const TDownloadEntries& entries) {
            TPrintedProgress progress(err_, target.label);
            const TStopRequest neverStopped;
            return RunDownloadJobOverUdp(kind_, address, entries, progress, neverStopped);
        };
        return RunBookDownload(kind_, rows_, GetFieldIp(block, ParamField("ip")), steps) ==
               TBookDownloadOutcome::kDone;
    }

  private:
    bool Fail(const TCliTarget& target, const std::string& text) {
        err_ << "pelmora-cli: " << target.label << ": " << text << "\n";
        return false;
    }

    EDownloadKind kind_;
    const TListRows& rows_;
    const std::optional<TLoginCredentials>& credentials_;
    IDeviceAccess& access_;
    std::ostream& err_;
};

int Usage(std::ostream& err, const std::string& error) {
    err << "pelmora-cli: " << error << "\n" << kUsage;
    return kExitUsage;
}

}  // namespace

bool IsBooksDownloadCommand(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size() && words.size() < 2; ++i) {
        if (args[i] == "--home" || args[i] == "--user" || args[i] == "--password")
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

    std::optional<TLoginCredentials> credentials;
    if (parsed.user) credentials = TLoginCredentials{*parsed.user, *parsed.password};
    TDownloadRun run(kind, rows, credentials, *library, err);
    int exit = kExitOk;
    for (const TCliTarget& target : targets) {
        const bool done = run.Send(target);
        out << target.label << '\t' << (done ? "ok" : "failed") << '\n';
        out.flush();
        if (!done) exit = kExitFailure;
    }
    return exit;
}
