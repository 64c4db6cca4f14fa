#include "cli/clicommands.h"

#include <filesystem>
#include <memory>

#include "cli/csvwriter.h"
#include "cli/paramscommands.h"
#include "manager/access/kvlibrary.h"
#include "manager/access/localinterfaces.h"
#include "manager/catalogue/catalogue.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/networksearch.h"
#include "manager/shell/sysconfig.h"

namespace {

constexpr const char* kCatalogueFile = "license.dat";

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] search --csv\n"
    "       pelmora-cli [--home DIR] list FILE --csv\n"
    "       pelmora-cli [--home DIR] params fields|get|set|backup|restore ... (params --help)\n";

struct TCliOptions {
    std::string home;
    std::string command;
    std::string file;  // list
};

bool ParseArgs(const std::vector<std::string>& args, TCliOptions& options, std::string& error) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home") {
            if (i + 1 == args.size()) {
                error = "--home needs a folder";
                return false;
            }
            options.home = args[++i];
        } else if (args[i] == "--csv") {
            // CSV is the only output format; the option is accepted for clarity.
        } else if (args[i].starts_with("--")) {
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
    return true;
}

// The model column as the window shows it: the catalogue "license.dat" and the setting
// ShowUnknowDeviceType of the program folder.
TModelNaming ReadModelNaming(const std::string& folder) {
    std::unique_ptr<ISettingsStore> userStore = MakeUserSettingsStore();
    TSysConfig config;
    ReadSysConfig({folder, userStore.get()}, "", config);
    auto catalogue = std::make_shared<const TDevicePropertyList>(
        LoadCatalogue((std::filesystem::path(folder) / kCatalogueFile).string()));
    return {
        [catalogue](const std::string& model) { return catalogue->CatalogueDisplayName(model); },
        config.ShowUnknowDeviceType};
}

int Search(const std::string& folder, std::ostream& out, std::ostream& err) {
    std::string error;
    std::unique_ptr<TKvLibrary> library = TKvLibrary::Load(folder, &error);
    if (!library) {
        err << "pelmora-cli: " << error << "\n";
        return kExitFailure;
    }
    TDeviceList list;
    list.SetModelNaming(ReadModelNaming(folder));
    const std::string book = (std::filesystem::path(folder) / kDeviceBookFile).string();
    const TFileResult loaded = LoadDeviceFile(book, true, list, TMissingFile::kNoRows);
    if (!loaded.ok) {
        err << "pelmora-cli: " << book << ": " << loaded.error << "\n";
        return kExitFailure;
    }
    TSearchObserver quiet;
    SearchNetwork(list, *library, quiet);
    RefreshBooks(list, *library, quiet);
    out << DeviceListCsv(list);
    return kExitOk;
}

int List(const std::string& file, std::ostream& out, std::ostream& err) {
    TDeviceList list;
    const TFileResult loaded = LoadDeviceFile(file, false, list, TMissingFile::kError);
    if (!loaded.ok) {
        err << "pelmora-cli: " << file << ": " << loaded.error << "\n";
        return kExitFailure;
    }
    out << DeviceListCsv(list);
    return kExitOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const std::string& programFolder,
           std::ostream& out, std::ostream& err) {
    if (IsParamsCommand(args)) return RunParamsCli(args, programFolder, out, err);
    TCliOptions options;
    std::string error;
    if (!ParseArgs(args, options, error)) {
        err << "pelmora-cli: " << error << "\n" << kUsage;
        return kExitUsage;
    }
    // The status icons depend on the host's interfaces, read once as the manager does at start.
    ReadLocalInterfaces();
    const std::string folder = options.home.empty() ? programFolder : options.home;
    if (options.command == "search") return Search(folder, out, err);
    return List(options.file, out, err);
}
