#include "cli/paramscommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/clicommands.h"
#include "cli/clitarget.h"
#include "cli/csvwriter.h"
#include "cli/paramsdiff.h"
#include "cli/plancommands.h"
#include "cli/siteindex.h"
#include "common/textutil.h"
#include "common/translation.h"
#include "manager/access/addresstext.h"
#include "manager/access/devicerecord.h"
#include "manager/access/kvlibrary.h"
#include "manager/params/pagesave.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramassign.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramchecks.h"
#include "manager/params/paramdevice.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"
#include "manager/params/paramfilecommands.h"
#include "manager/params/serveraddresses.h"
#include "manager/plans/plan.h"
#include "manager/shell/networksearch.h"
#include "manager/shell/programfolder.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] params fields\n"
    "       pelmora-cli [--home DIR] params get TARGET [--csv]\n"
    "       pelmora-cli [--home DIR] params set TARGET NAME=VALUE ... [--user U --password P]\n"
    "       pelmora-cli [--home DIR] params backup --out DIR [--site] [TARGET ...]\n"
    "       pelmora-cli [--home DIR] params restore FILE.dps TARGET [--user U --password P]\n"
    "       pelmora-cli [--home DIR] params plan-export|apply ... (params apply --help)\n"
    "       pelmora-cli [--home DIR] params defaults TARGET [--user U --password P]\n"
    "       pelmora-cli [--home DIR] params diff A.dps|TARGET B.dps [--csv]\n"
    "TARGET: a terminal's IP address, or its MAC text (six decimal numbers joined by \".\") for a\n"
    "terminal on the local network.\n"
    "NAME: a name of params fields or one of its aliases, the same names that get prints and "
    "plans\n"
    "take; a value a page shows is given as the page shows it (talk.auto_answer=hangup). set\n"
    "prints what it changed, as apply does.\n";

struct TParamsOptions {
    std::string home;
    std::string command;
    std::vector<std::string> words;  // after the command
    bool csv = false;
    bool site = false;  // backup: also DIR/index.csv
    std::string outDir;
    std::optional<std::string> user, password;
};

using TTarget = TCliTarget;

TParamsOptions ParseOptions(const std::vector<std::string>& args) {
    TParamsOptions options;
    bool seenParams = false;
    auto value = [&](std::size_t& i) -> std::string {
        if (i + 1 == args.size()) throw TCliUsageError(args[i] + " needs a value");
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--home") {
            options.home = value(i);
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--site") {
            options.site = true;
        } else if (arg == "--out") {
            options.outDir = value(i);
        } else if (arg == "--user") {
            options.user = value(i);
        } else if (arg == "--password") {
            options.password = value(i);
        } else if (arg.starts_with("--")) {
            throw TCliUsageError("unknown option " + arg);
        } else if (!seenParams) {
            seenParams = true;  // the word "params"
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.words.push_back(arg);
        }
    }
    if (options.user.has_value() != options.password.has_value())
        throw TCliUsageError("--user and --password go together");
    return options;
}

TTarget ParseTarget(const std::string& text) {
    if (std::optional<TTarget> target = ParseCliTarget(text)) return *target;
    throw TCliError{"\"" + text + "\" is neither an IP address nor a MAC text"};
}

// The MAC as twelve hexadecimal digits: the decimal MAC text without its dots could name two
// terminals alike (2.75.86.0.0.1 and 27.58.60.0.0.1).
std::string MacFileStem(const TMacBytes& mac) {
    char text[13];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return text;
}

class TParamsJob {
  public:
    TParamsJob(const TParamsOptions& options, IDeviceAccess& access, std::ostream& out,
               std::ostream& err)
        : options_(options), access_(access), out_(out), err_(err) {}

    int Get(TTarget target);
    int Set(const TTarget& target, const std::vector<TFieldAssignment>& values);
    int Defaults(TTarget target, const std::string& folder);
    int Backup(std::vector<TTarget> targets);
    int Restore(const TParamBlock& file, TTarget target);

  private:
    // Finds the MAC of a terminal given by its address; reads the block. Messages on failure.
    bool Reach(TTarget& target);
    bool Read(const TTarget& target, TParamBlock& block);
    // Whether the terminal's block may be written at all (a SIP terminal, firmware from V2.5).
    bool MayWrite(const TTarget& target, const TParamBlock& block);
    // Login, write with its retries, logout by the rule: 0 or 1.
    int WriteBack(const TTarget& target, const TParamBlock& before, const TParamBlock& block);
    void Fail(const TTarget& target, const std::string& text) {
        err_ << "pelmora-cli: " << target.label << ": " << text << "\n";
    }

    const TParamsOptions& options_;
    IDeviceAccess& access_;
    std::ostream& out_;
    std::ostream& err_;
};

bool TParamsJob::Reach(TTarget& target) {
    std::string error;
    if (ReachCliTarget(access_, target, &error)) return true;
    Fail(target, error);
    return false;
}

bool TParamsJob::Read(const TTarget& target, TParamBlock& block) {
    std::string error;
    if (ReadCliTarget(access_, target, block, &error)) return true;
    Fail(target, error);
    return false;
}

bool TParamsJob::MayWrite(const TTarget& target, const TParamBlock& block) {
    const std::string refusal = WriteRefusal(block);
    if (refusal.empty()) return true;
    Fail(target, refusal + "; nothing was written");
    return false;
}

int TParamsJob::WriteBack(const TTarget& target, const TParamBlock& before,
                          const TParamBlock& block) {
    const TWriteBackOutcome outcome = WriteBackBlock(
        access_, target.accessAddress, target.mac, block,
        [this] { return CliCredentials(options_.user, options_.password); },
        MovedAddress(before, block));
    if (outcome.kind == TWriteBackOutcome::TKind::kWritten) return kExitOk;
    if (outcome.kind == TWriteBackOutcome::TKind::kLoginDeclined)
        Fail(target, outcome.text + ": " + kCredentialsHint);
    else
        Fail(target, outcome.text);
    return kExitFailure;
}

int TParamsJob::Get(TTarget target) {
    TParamBlock block;
    if (!Reach(target) || !Read(target, block)) return kExitFailure;
    if (options_.csv) out_ << "Name,Value\r\n";
    auto print = [&](std::string_view name, const std::string& value) {
        if (options_.csv)
            out_ << CsvField(name) << "," << CsvField(value) << "\r\n";
        else
            out_ << name << "=" << value << "\n";
    };
    // Page values only of the pages this terminal has, as those pages show them.
    for (const TParamName& name : ParamNames())
        if (!name.value || HasPageOf(block, *name.value))
            print(name.Name(), FormatNamedValue(block, name));
    return kExitOk;
}

// A plan of one terminal: found, checked, written and reported as apply does it.
int TParamsJob::Set(const TTarget& target, const std::vector<TFieldAssignment>& values) {
    TPlan plan;
    plan.key = target.accessAddress.empty() ? TPlanKey::kMac : TPlanKey::kIp;
    TPlanRow& row = plan.rows.emplace_back();
    row.line = 1;
    row.terminal = target.label;
    row.mac = target.mac;
    row.ip = target.accessAddress;
    row.values = values;
    return ApplyPlanReporting(access_, plan, false,
                              CliCredentials(options_.user, options_.password), out_, err_);
}

int TParamsJob::Backup(std::vector<TTarget> targets) {
    if (targets.empty()) {
        const TSearchAllResult search = RunSearchAll(access_);
        for (const TDeviceRecord& record : search.records) {
            TTarget target;
            std::copy_n(record.bytes + devrec::kMac, target.mac.size(), target.mac.begin());
            target.label = MacToText(target.mac.data());
            targets.push_back(target);
        }
        if (targets.empty()) err_ << "pelmora-cli: no terminal found\n";
    }
    std::error_code ec;
    fs::create_directories(options_.outDir, ec);
    if (ec) {
        err_ << "pelmora-cli: " << options_.outDir << ": " << ec.message() << "\n";
        return kExitUsage;
    }
    int exit = kExitOk;
    TSiteIndex index;
    for (TTarget& target : targets) {
        TParamBlock block;
        if (!Reach(target) || !Read(target, block)) {
            exit = kExitFailure;
            continue;
        }
        // The file is named after the MAC of the block, the terminal's own.
        TMacBytes mac;
        std::copy_n(block.begin() + kParamMacOffset, mac.size(), mac.begin());
        const std::string path = (fs::path(options_.outDir) / (MacFileStem(mac) + ".dps")).string();
        const TParamFileResult saved = SaveParamFile(path, block);
        if (!saved.ok()) {
            Fail(target, path + ": " + saved.message);
            exit = kExitFailure;
            continue;
        }
        out_ << path << "\n";
        index.Add(block, target.accessAddress, path);
    }
    if (std::string error; options_.site && !index.Write(options_.outDir, &error)) {
        err_ << "pelmora-cli: " << error << "\n";
        exit = kExitFailure;
    }
    return exit;
}

int TParamsJob::Restore(const TParamBlock& file, TTarget target) {
    TParamBlock terminal;
    if (!Reach(target) || !Read(target, terminal) || !MayWrite(target, terminal))
        return kExitFailure;
    // The editor's Import, then its Save: the file fills the pages, nothing else.
    const TImportParams imported = ImportParamBlock(file, terminal);
    if (imported.outcome != TImportParams::TOutcome::kLoaded) {
        Fail(target, Translate(PropertyMessageKey(10), "对不起，设备类型参数不兼容，导入失败！") +
                         " (the file is of model \"" + GetFieldText(file, ParamField("model")) +
                         "\", the terminal of \"" + GetFieldText(terminal, ParamField("model")) +
                         "\")");
        return kExitFailure;
    }
    return WriteBack(target, terminal, SaveShownPages(imported.block, terminal));
}

int TParamsJob::Defaults(TTarget target, const std::string& folder) {
    TParamBlock terminal;
    if (!Reach(target) || !Read(target, terminal) || !MayWrite(target, terminal))
        return kExitFailure;
    const TDefaultParams defaults =
        DefaultParams(terminal, (fs::path(folder) / "Data").string(),
                      DefaultManagementServer((fs::path(folder) / "SysConfig.ini").string()));
    if (defaults.source == TDefaultParams::TSource::kIoError) {
        Fail(target, defaults.error);
        return kExitFailure;
    }
    if (defaults.wrongLength)
        err_ << "pelmora-cli: " << target.label << ": "
             << Translate(PropertyMessageKey(8), "对不起，文件格式不正确")
             << " (the family's default parameter file is not 1356 bytes long; the built-in "
             << "defaults are used)\n";
    out_ << target.label << ": "
         << (defaults.source == TDefaultParams::TSource::kFile ? "default parameter file"
                                                               : "built-in defaults")
         << "\n";
    return WriteBack(target, terminal, SaveShownPages(defaults.block, terminal));
}

int Fields(std::ostream& out) {
    out << "Name,Offset,Width,Encoding,Range,Page,Meaning,Aliases,Plans\r\n";
    static const char* const kKinds[] = {
        "text",       "text (cleared)",
        "IPv4",       "port (big-endian)",
        "16-bit LE",  "signed 16-bit LE",
        "32-bit LE",  "flag",
        "flag-like",  "byte",
        "codec list", "MAC",
        "bytes",
    };
    for (const TParamName& name : ParamNames()) {
        const TParamField* field = name.field;
        std::string range;
        if (name.value) {
            range = name.value->form;
        } else if (field->readOnly) {
            range = "read only";
        } else {
            switch (field->kind) {
                case TFieldKind::kText:
                case TFieldKind::kTextCleared:
                    range = "at most " + std::to_string(field->max) + " characters";
                    break;
                case TFieldKind::kIpv4:
                case TFieldKind::kCodecList:
                case TFieldKind::kMac:
                case TFieldKind::kBytes:
                    break;
                default:
                    range = std::to_string(field->min) + " to " + std::to_string(field->max);
            }
        }
        std::string aliases;
        for (std::string_view alias : AliasesOf(name.Name()))
            aliases += (aliases.empty() ? "" : " ") + std::string(alias);
        out << CsvField(name.Name()) << ","
            << (field ? std::to_string(field->offset) + "," + std::to_string(field->width) : ",")
            << "," << (name.value ? "page value" : kKinds[static_cast<int>(field->kind)]) << ","
            << CsvField(range) << "," << CsvField(name.Page()) << ","
            << CsvField(name.value ? "as the page shows it" : field->meaning) << ","
            << CsvField(aliases) << "," << (IsSettable(name) ? "yes" : "no") << "\r\n";
    }
    return kExitOk;
}

// NAME=VALUE words, each value checked against its name's form before any terminal is reached.
std::vector<TFieldAssignment> ParseAssignments(const std::vector<std::string>& words) {
    std::vector<TFieldAssignment> values;
    for (const std::string& word : words) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos) throw TCliUsageError("\"" + word + "\" is not NAME=VALUE");
        const std::string name = word.substr(0, equals);
        const std::optional<TParamName> named = FindParamName(name);
        if (!named) throw TCliError{"unknown name " + name + " (see: params fields)"};
        const std::string text = word.substr(equals + 1);
        if (std::string refused = CheckValueForm(*named, text); !refused.empty())
            throw TCliError{refused + "; nothing was written"};
        values.emplace_back(*named, text);
    }
    if (values.empty()) throw TCliUsageError("set needs at least one NAME=VALUE");
    return values;
}

int Run(const TParamsOptions& options, const std::string& programFolder, std::ostream& out,
        std::ostream& err) {
    const std::string& command = options.command;
    const std::vector<std::string>& words = options.words;
    if (command == "fields") {
        if (!words.empty()) throw TCliUsageError("fields takes no arguments");
        return Fields(out);
    }
    if (command == "diff")
        return RunParamsDiff(words, options.csv, WorkFolder(options.home, programFolder),
                             programFolder, out, err);
    std::optional<TParamBlock> file;
    std::vector<TTarget> targets;
    std::vector<TFieldAssignment> values;
    if (command == "get") {
        if (words.size() != 1) throw TCliUsageError("get needs one TARGET");
        targets.push_back(ParseTarget(words[0]));
    } else if (command == "set") {
        if (words.empty()) throw TCliUsageError("set needs a TARGET and NAME=VALUE");
        targets.push_back(ParseTarget(words[0]));
        values = ParseAssignments({words.begin() + 1, words.end()});
    } else if (command == "backup") {
        if (options.outDir.empty()) throw TCliUsageError("backup needs --out DIR");
        for (const std::string& word : words)
            targets.push_back(ParseTarget(word));
    } else if (command == "defaults") {
        if (words.size() != 1) throw TCliUsageError("defaults needs one TARGET");
        targets.push_back(ParseTarget(words[0]));
    } else if (command == "restore") {
        if (words.size() != 2) throw TCliUsageError("restore needs FILE.dps and one TARGET");
        targets.push_back(ParseTarget(words[1]));
        TParamBlock block;
        const TParamFileResult loaded = LoadParamFile(words[0], block);
        if (!loaded.ok()) {
            err << "pelmora-cli: " << words[0] << ": " << loaded.message << "\n";
            return kExitUsage;
        }
        file = block;
    } else {
        throw TCliUsageError(command.empty() ? "params needs a command"
                                             : "unknown params command " + command);
    }

    const std::string folder = WorkFolder(options.home, programFolder);
    std::unique_ptr<TKvLibrary> library = LoadCliLibrary(folder, programFolder, err);
    if (!library) return kExitUsage;
    TParamsJob job(options, *library, out, err);
    if (command == "get") return job.Get(targets[0]);
    if (command == "set") return job.Set(targets[0], values);
    if (command == "backup") return job.Backup(targets);
    if (command == "defaults") return job.Defaults(targets[0], folder);
    return job.Restore(*file, targets[0]);
}

}  // namespace

bool IsParamsCommand(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home") {
            ++i;
            continue;
        }
        if (!args[i].starts_with("--")) return args[i] == "params";
    }
    return false;
}

int RunParamsCli(const std::vector<std::string>& args, const std::string& programFolder,
                 std::ostream& out, std::ostream& err) {
    if (IsPlanCommand(args)) return RunPlanCli(args, programFolder, out, err);
    return RunWithUsage(args, kUsage, out, err,
                        [&] { return Run(ParseOptions(args), programFolder, out, err); });
}
