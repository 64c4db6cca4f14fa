// The stores as the INI files QSettings keeps in its native format on Linux: the values of the
// [General] section, strings in QSettings' escaped form.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/atomicfile.h"
#include "common/textutil.h"
#include "manager/settings/settingsstore.h"

namespace {

namespace fs = std::filesystem;
constexpr std::string_view kGeneral = "[General]";

// QSettings' escapes in a value: quotes around texts with separators, \\-escapes inside, and a
// leading "@" doubled (a single one starts a typed value).
std::string Unescape(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            continue;
        } else if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[++i];
            static constexpr std::string_view kFrom = "abfnrtv", kTo = "\a\b\f\n\r\t\v";
            const std::size_t k = kFrom.find(e);
            out += k == std::string_view::npos ? e : kTo[k];
        } else {
            out += c;
        }
    }
    if (out.starts_with("@@")) out.erase(0, 1);
    return out;
}

std::string Escape(const std::string& value) {
    std::string out = value.starts_with("@") ? "@" : "";
    bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ');
    for (char c : value) {
        if (c == '\\' || c == '"') {
            out += '\\';
        } else if (c == '\n') {
            out += "\\n";
            continue;
        } else if (c == '\r') {
            out += "\\r";
            continue;
        } else if (c == ',' || c == ';' || c == '=') {
            quote = true;
        }
        out += c;
    }
    return quote ? '"' + out + '"' : out;
}

class TIniStore : public ISettingsStore {
  public:
    explicit TIniStore(fs::path file) : file_(std::move(file)) {}

    std::optional<std::string> ReadText(const std::string& name) const override {
        std::string bytes;
        if (!ReadWholeFile(file_.string(), bytes)) return std::nullopt;
        bool general = false;
        for (std::string_view rest = bytes; !rest.empty();) {
            const std::string_view line = TrimBlanks(TakeLine(rest));
            if (line.starts_with('[')) {
                general = line == kGeneral;
            } else if (general) {
                const std::size_t equals = line.find('=');
                if (equals != std::string_view::npos && TrimBlanks(line.substr(0, equals)) == name)
                    return Unescape(TrimBlanks(line.substr(equals + 1)));
            }
        }
        return std::nullopt;
    }

    TStoreWriteResult WriteText(const std::string& name, const std::string& value) override {
        std::error_code failed;
        fs::create_directories(file_.parent_path(), failed);
        if (failed) return {TStoreWrite::Unavailable, {}};
        std::string bytes;
        bool missing = false;
        if (!ReadWholeFile(file_.string(), bytes, nullptr, &missing) && !missing)
            return {TStoreWrite::Unavailable, {}};
        const std::string line = name + "=" + Escape(value);
        std::string out;
        bool general = false, done = false;
        for (std::string_view rest = bytes; !rest.empty();) {
            const std::string_view l = TakeLine(rest);
            const std::string_view trimmed = TrimBlanks(l);
            if (trimmed.starts_with('[')) {
                if (general && !done) out += line + "\n", done = true;
                general = trimmed == kGeneral;
            } else if (general && !done) {
                const std::size_t equals = trimmed.find('=');
                if (equals != std::string_view::npos &&
                    TrimBlanks(trimmed.substr(0, equals)) == name) {
                    out += line + "\n";
                    done = true;
                    continue;
                }
            }
            out.append(l) += "\n";
        }
        if (general && !done) out += line + "\n", done = true;
        if (!done)
            out = std::string(kGeneral) + "\n" + line + "\n" + (out.empty() ? "" : "\n") + out;
        std::string error;
        if (WriteFileAtomically(file_.string(), out, &error)) return {TStoreWrite::Written, {}};
        if (::access(file_.parent_path().c_str(), W_OK) != 0) return {TStoreWrite::Unavailable, {}};
        return {TStoreWrite::Failed, file_.string() + ": " + error};
    }

  private:
    fs::path file_;
};

fs::path ConfigurationFolder(bool machine) {
    if (machine) return "/etc/xdg";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return config;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".config";
}

fs::path StoreFile(const TStorePlace& place) {
    const fs::path folder =
        place.folder.empty() ? ConfigurationFolder(place.machine) : fs::path(place.folder);
    return folder / place.organization / (place.application + ".conf");
}

}  // namespace

std::unique_ptr<ISettingsStore> MakeSettingsStore(const TStorePlace& place) {
    return std::make_unique<TIniStore>(StoreFile(place));
}

void RemoveSettingsStore(const TStorePlace& place) {
    const fs::path file = StoreFile(place);
    std::error_code ignored;
    fs::remove(file, ignored);
    fs::remove(file.parent_path(), ignored);  // only when it is empty
}
