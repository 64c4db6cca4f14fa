#include "termsim/options.h"

#include <charconv>
#include <cstdlib>

#include "common/ipv4parse.h"

namespace termsim {
namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > start) items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

template <typename T>
bool ParseNumber(const std::string& text, T min, T max, T* out) {
    T value{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < min || value > max)
        return false;
    *out = value;
    return true;
}

// A chance from 0 to 1.
bool ParseRate(const std::string& text, double* out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || !(value >= 0 && value <= 1)) return false;
    *out = value;
    return true;
}

}  // namespace

bool ParseAddress(const std::string& text, std::uint32_t* address) {
    const std::optional<std::uint32_t> parsed = ParseIpv4Strict(text);
    if (parsed) *address = *parsed;
    return parsed.has_value();
}

const char* UsageText() {
    return "usage: termsim [--count N] [--first-ip 127.0.1.1] [--model M1,M2,...]\n"
           "               [--firmware V1,V2,...] [--old-firmware-every K] [--old-firmware V]\n"
           "               [--login-user U --login-password P] [--name-prefix TEXT]\n"
           "               [--first-account N] [--restart-ms MS] [--status-ms MS]\n"
           "               [--loss RATE] [--delay-ms MS] [--delay-jitter-ms MS] [--busy-logins N]\n"
           "               [--mute I1,I2,...] [--mute-share RATE] [--seed N]\n"
           "               [--update-password P] [--device-type T] [--no-update-agent]\n"
           "               [--no-host-agent]\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
    FleetOptions& f = out->fleet;
    // The program's terminals change their run status every few seconds unless told otherwise.
    f.statusPeriod = kProgramStatusPeriod;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            out->help = true;
            continue;
        }
        if (name == "--no-update-agent") {
            out->updateAgent = false;
            continue;
        }
        if (name == "--no-host-agent") {
            out->hostAgent = false;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = name + ": missing value";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        int number = 0;
        if (name == "--count") {
            ok = ParseNumber(value, 0, 65535, &f.count);
        } else if (name == "--first-ip") {
            ok = ParseAddress(value, &f.firstAddress) && (f.firstAddress >> 24) == 127;
        } else if (name == "--model") {
            f.models = SplitList(value);
            ok = !f.models.empty();
        } else if (name == "--firmware") {
            f.firmwares = SplitList(value);
            ok = !f.firmwares.empty();
        } else if (name == "--old-firmware-every") {
            ok = ParseNumber(value, 0, 65535, &f.oldFirmwareEvery);
        } else if (name == "--old-firmware") {
            f.oldFirmware = value;
        } else if (name == "--login-user") {
            f.loginUser = value;
        } else if (name == "--login-password") {
            f.loginPassword = value;
        } else if (name == "--name-prefix") {
            f.namePrefix = value;
        } else if (name == "--first-account") {
            ok = ParseNumber(value, 0u, 4000000000u, &f.firstAccount);
        } else if (name == "--restart-ms") {
            ok = ParseNumber(value, 0, 600000, &number);
            f.restartTime = std::chrono::milliseconds(number);
        } else if (name == "--status-ms") {
            ok = ParseNumber(value, 0, 3600000, &number);
            f.statusPeriod = std::chrono::milliseconds(number);
        } else if (name == "--loss") {
            ok = ParseRate(value, &f.faults.lossRate);
        } else if (name == "--mute-share") {
            ok = ParseRate(value, &f.muteShare);
        } else if (name == "--seed") {
            ok = ParseNumber(value, 0u, 4294967295u, &f.seed);
        } else if (name == "--delay-ms") {
            ok = ParseNumber(value, 0, 600000, &number);
            f.faults.extraDelay = std::chrono::milliseconds(number);
        } else if (name == "--delay-jitter-ms") {
            ok = ParseNumber(value, 0, 600000, &number);
            f.faults.jitter = std::chrono::milliseconds(number);
        } else if (name == "--busy-logins") {
            ok = ParseNumber(value, 0, 1000000, &f.faults.busyLogins);
        } else if (name == "--update-password") {
            out->updatePassword = value;
        } else if (name == "--device-type") {
            out->updateDeviceType = value;
        } else if (name == "--mute") {
            for (const auto& item : SplitList(value)) {
                ok = ok && ParseNumber(item, 0, 65534, &number);
                out->muteTerminals.push_back(number);
            }
        } else {
            *error = "unknown option " + name;
            return false;
        }
        if (!ok) {
            *error = name + ": bad value \"" + value + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace termsim
