#include "manager/shell/programoptions.h"

const char* const kPelmoraUsage =
    "usage: Pelmora [--home DIR] [DEVICE-TEXT]\n"
    "       Pelmora --help | --version\n"
    "  --home DIR    run on DIR instead of the program folder (settings, device book, language\n"
    "                file, catalogue)\n"
    "  DEVICE-TEXT   account;name;IP;MAC;model;firmware;interface: open that terminal's\n"
    "                properties after the first search (handed to a running Pelmora)\n";

std::string VersionLine(const std::string& program) {
    return program + " " + std::to_string(PELMORA_VERSION_MAJOR) + "." +
           std::to_string(PELMORA_VERSION_MINOR) + "." + std::to_string(PELMORA_VERSION_PATCH);
}

TPelmoraOptions ParsePelmoraOptions(const std::vector<std::string>& args) {
    using TAction = TPelmoraOptions::TAction;
    TPelmoraOptions options;
    bool haveText = false;
    auto refuse = [&options](std::string error) {
        options.action = TAction::Refuse;
        options.error = std::move(error);
        return options;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !arg.starts_with("-")) {
            if (haveText) return refuse("more than one device text: " + arg);
            options.deviceText = arg;
            haveText = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.action = TAction::Help;
            return options;
        } else if (arg == "--version") {
            options.action = TAction::Version;
            return options;
        } else if (arg == "--home") {
            if (i + 1 == args.size() || args[i + 1].empty()) return refuse("--home needs a folder");
            options.home = args[++i];
        } else if (arg.starts_with("--home=")) {
            if (arg.size() == 7) return refuse("--home needs a folder");
            options.home = arg.substr(7);
        } else {
            return refuse("unknown option " + arg);
        }
    }
    return options;
}
