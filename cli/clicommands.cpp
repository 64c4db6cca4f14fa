#include "cli/clicommands.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "cli/bookscommands.h"
#include "cli/booksdownload.h"
#include "cli/cliglobal.h"
#include "cli/clitarget.h"
#include "cli/csvwriter.h"
#include "cli/paramscommands.h"
#include "manager/access/kvlibrary.h"
#include "manager/access/localinterfaces.h"
#include "manager/catalogue/catalogue.h"
#include "manager/settings/sysconfig.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/networksearch.h"
#include "manager/shell/programfolder.h"
#include "manager/shell/programoptions.h"

namespace {

constexpr const char* kCatalogueFile = "license.dat";

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] search [--csv | --out FILE.csv|FILE.xlsx]\n"
    "       pelmora-cli [--home DIR] list FILE --csv\n"
    "       pelmora-cli [--home DIR] params "
    "fields|get|set|backup|restore|defaults|plan-export|apply ...\n"
    "                                (params --help)\n"
    "       pelmora-cli [--home DIR] books list|import|export ... (books --help)\n"
    "       pelmora-cli --help | --version\n"
    "       (every command also takes --lang LANG)\n";

constexpr const char* kHelp =
    "  search        one search as Pelmora's window runs it (device book, network search,\n"
    "                Books check); prints the list as CSV, or with --out writes it to a\n"
    "                CSV file or (for a name ending in .xlsx) a workbook\n"
    "  list FILE     prints every row of a device book or device-list file as CSV\n"
    "  params ...    terminals' parameters and settings plans: see pelmora-cli params --help\n"
    "  books ...     the contact and multicast lists: see pelmora-cli books --help\n"
    "  --home DIR    run on DIR instead of the program folder (settings, device book,\n"
    "                catalogue); the device-access library is looked for there first, then\n"
    "                beside this program. An installed program, whose folder cannot be\n"
    "                written, runs on ~/.local/share/Pelmora as Pelmora does.\n"
    "  --lang LANG   messages of every command in a language of the language file, by\n"
    "                name or code: English (en, the default) or Chinese-Simplified (zh_CN)\n"
    "Exit: 0 done, 1 a file could not be read or the search failed, 2 bad command line.\n";

struct TCliOptions {
    std::string home;
    std::string command;  // also "--help" and "--version"
    std::string file;     // list
    std::string out;      // search --out
};

bool ParseArgs(const std::vector<std::string>& args, TCliOptions& options, std::string& error) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h" || args[i] == "--version") {
            options.command = args[i] == "--version" ? "--version" : "--help";
            return true;
        }
        if (args[i] == "--home") {
            if (i + 1 == args.size()) {
                error = "--home needs a folder";
                return false;
            }
            options.home = args[++i];
        } else if (args[i] == "--out") {
            if (i + 1 == args.size()) {
                error = "--out needs a file";
                return false;
            }
            options.out = args[++i];
        } else if (args[i] == "--csv") {
            // CSV is the only output format; the option is accepted for clarity.
        } else if (args[i].starts_with("-")) {
            error = "unknown option " + args[i];
            return false;
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.empty()) {
        error = "no command";
        return false;
    }
    options.command = words[0];
    const std::size_t wanted = options.command == "list" ? 2 : 1;
    if (options.command != "search" && options.command != "list") {
        error = "unknown command " + options.command;
        return false;
    }
    if (words.size() != wanted) {
        error = options.command == "list" ? "list needs one file" : "search takes no file";
        return false;
    }
    if (options.command == "list") options.file = words[1];
    if (options.command != "search" && !options.out.empty()) {
        error = "--out is for search";
        return false;
    }
    return true;
}

// The model column as the window shows it: the catalogue "license.dat" and the setting
// ShowUnknowDeviceType of the program folder.
TModelNaming ReadModelNaming(const std::string& folder, const std::string& executableFolder) {
    std::unique_ptr<ISettingsStore> userStore = MakeUserSettingsStore();
    TSysConfig config;
    ReadSysConfig({folder, userStore.get()}, "", config);
    auto catalogue = std::make_shared<const TDevicePropertyList>(
        LoadCatalogue(ShippedFile(folder, executableFolder, kCatalogueFile)));
    return {
        [catalogue](const std::string& model) { return catalogue->CatalogueDisplayName(model); },
        config.ShowUnknowDeviceType};
}

// The list to stdout as CSV, or to file as CSV or workbook.
int PutList(const TDeviceList& list, const std::string& file, std::ostream& out,
            std::ostream& err) {
    const TTableCells table = DeviceListTable(list);
    if (file.empty()) {
        out << TableCsv(table.header, table.rows);
        return kExitOk;
    }
    std::string error;
    if (WriteTableFile(file, table.header, table.rows, &error)) return kExitOk;
    err << "pelmora-cli: " << file << ": " << error << "\n";
    return kExitFailure;
}

int Search(const std::string& home, const std::string& programFolder, const std::string& file,
           std::ostream& out, std::ostream& err) {
    const std::string folder = WorkFolder(home, programFolder);
    std::unique_ptr<TKvLibrary> library = LoadCliLibrary(folder, programFolder, err);
    if (!library) return kExitFailure;
    TDeviceList list;
    list.SetModelNaming(ReadModelNaming(folder, programFolder));
    const std::string book = (std::filesystem::path(folder) / kDeviceBookFile).string();
    const TFileResult loaded = LoadDeviceFile(book, true, list, TMissingFile::kNoRows);
    if (!loaded.ok) {
        err << "pelmora-cli: " << book << ": " << loaded.error << "\n";
        return kExitFailure;
    }
    TSearchObserver quiet;
    const std::int32_t searched = SearchNetwork(list, *library, quiet);
    if (searched != kvresult::kOk) {
        // The window shows nothing then; a script must not take the Books rows for the answer.
        err << "pelmora-cli: the search failed: " << library->FileName() << " answered "
            << ResultNumberText(searched) << "\n";
        return kExitFailure;
    }
    RefreshBooks(list, *library, quiet);
    return PutList(list, file, out, err);
}

int List(const std::string& file, std::ostream& out, std::ostream& err) {
    TDeviceList list;
    const TFileResult loaded = LoadDeviceFile(file, false, list, TMissingFile::kError);
    if (!loaded.ok) {
        err << "pelmora-cli: " << file << ": " << loaded.error << "\n";
        return kExitFailure;
    }
    return PutList(list, "", out, err);
}

// The command itself, after the options every command takes.
int RunCommand(const std::vector<std::string>& args, const std::string& programFolder,
               std::ostream& out, std::ostream& err) {
    if (IsParamsCommand(args)) return RunParamsCli(args, programFolder, out, err);
    if (IsBooksDownloadCommand(args)) return RunBooksDownloadCli(args, programFolder, out, err);
    if (const std::optional<int> books = RunBooksCli(args, programFolder, out, err)) return *books;
    TCliOptions options;
    std::string error;
    if (!ParseArgs(args, options, error)) {
        err << "pelmora-cli: " << error << "\n" << kUsage;
        return kExitUsage;
    }
    if (options.command == "--help") {
        out << kUsage << kHelp;
        return kExitOk;
    }
    if (options.command == "--version") {
        out << VersionLine("pelmora-cli") << "\n";
        return kExitOk;
    }
    // The status icons depend on the host's interfaces, read once as the manager does at start.
    ReadLocalInterfaces();
    if (options.command == "search")
        return Search(options.home, programFolder, options.out, out, err);
    return List(options.file, out, err);
}

}  // namespace

int RunCli(std::vector<std::string> args, const std::string& programFolder, std::ostream& out,
           std::ostream& err) {
    std::string language, error;
    if (!TakeLanguageOption(args, &language, &error)) {
        err << "pelmora-cli: " << error << "\n" << kUsage;
        return kExitUsage;
    }
    TCliLanguage texts;
    const bool asksHelp = std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "--help" || arg == "-h" || arg == "--version";
    });
    if (!asksHelp) {
        if (error = CheckHomeFolder(args); error.empty())
            error = texts.Install(language, ShippedFile(WorkFolder(HomeOption(args), programFolder),
                                                        programFolder, "lang/Pelmora.xml"));
        if (!error.empty()) {
            err << "pelmora-cli: " << error << "\n";
            return kExitUsage;
        }
    }
    return RunCommand(args, programFolder, out, err);
}

int RunWithUsage(const std::vector<std::string>& args, const char* usage, std::ostream& out,
                 std::ostream& err, const std::function<int()>& run) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        out << usage;
        return kExitOk;
    }
    try {
        return run();
    } catch (const TCliUsageError& e) {
        err << "pelmora-cli: " << e.text << "\n" << usage;
        return kExitUsage;
    } catch (const TCliError& e) {
        err << "pelmora-cli: " << e.text << "\n";
        return kExitUsage;
    }
}
