#include "common/inifile.h"

#include <charconv>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/textutil.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The line without its line ending: CR LF, LF or a lone CR, as Parse split the lines.
std::string_view Content(const std::string& line) {
    std::string_view s = line;
    if (s.ends_with("\r\n")) return s.substr(0, s.size() - 2);
    if (s.ends_with('\n') || s.ends_with('\r')) return s.substr(0, s.size() - 1);
    return s;
}

std::string_view Ending(const std::string& line) {
    return std::string_view(line).substr(Content(line).size());
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The name of a "[name]" line, or none.
std::optional<std::string_view> SectionName(const std::string& line) {
    std::string_view s = Trim(Content(line));
    if (s.size() < 2 || s.front() != '[') return std::nullopt;
    const std::size_t close = s.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(s.substr(1, close - 1));
}

bool IsComment(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

}  // namespace

bool TIniFile::Load(const std::string& path, std::string* error) {
    lines_.clear();
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, error, &missing)) return missing;
    Parse(bytes);
    return true;
}

bool TIniFile::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, Bytes(), error);
}

void TIniFile::Parse(std::string_view bytes) {
    lines_.clear();
    while (!bytes.empty()) {
        const std::string_view rest = bytes;
        std::size_t endSize = 0;
        const std::size_t length = TakeLine(bytes, &endSize).size();
        lines_.emplace_back(rest.substr(0, length + endSize));
    }
}

std::string TIniFile::Bytes() const {
    std::string out;
    for (const std::string& line : lines_)
        out += line;
    return out;
}

std::optional<TIniFile::TSectionRange> TIniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i]);
        if (!name || !SameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end]))
            ++end;
        return TSectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> TIniFile::FindKey(const TSectionRange& range,
                                             std::string_view key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const std::string_view s = Trim(Content(lines_[i]));
        if (IsComment(s)) continue;
        const std::size_t eq = s.find('=');
        if (eq != std::string_view::npos && SameName(Trim(s.substr(0, eq)), key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> TIniFile::ReadRaw(std::string_view section, std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto line = FindKey(*range, key);
    if (!line) return std::nullopt;
    const std::string_view s = Content(lines_[*line]);
    return std::string(Trim(s.substr(s.find('=') + 1)));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& defaultText) const {
    const auto raw = ReadRaw(section, key);
    return raw ? FromDeviceBytes(*raw) : defaultText;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const auto raw = ReadRaw(section, key);
    if (!raw || raw->empty()) return defaultValue;
    std::string_view digits = *raw;
    if (digits.front() == '+') digits.remove_prefix(1);  // from_chars takes only '-'
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return defaultValue;
    return value;
}

std::string TIniFile::LineEnding() const {
    for (const std::string& line : lines_) {
        const std::string_view ending = Ending(line);
        if (!ending.empty()) return std::string(ending);
    }
    return "\r\n";  // the files are shared with Windows installations
}

void TIniFile::EnsureLastLineEnded() {
    if (!lines_.empty() && Ending(lines_.back()).empty()) lines_.back() += LineEnding();
}

void TIniFile::WriteRaw(std::string_view section, std::string_view key, std::string_view bytes) {
    std::string value(bytes);
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const std::string eol = LineEnding();
    auto range = FindSection(section);
    if (!range) {
        EnsureLastLineEnded();
        lines_.push_back("[" + std::string(section) + "]" + eol);
        range = TSectionRange{lines_.size() - 1, lines_.size()};
    }
    if (const auto line = FindKey(*range, key)) {
        std::string& text = lines_[*line];
        const std::string ending(Ending(text));
        text = text.substr(0, text.find('=') + 1) + value + ending;
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay.
    std::size_t at = range->end;
    while (at > range->header + 1 && Trim(Content(lines_[at - 1])).empty())
        --at;
    if (at == lines_.size()) EnsureLastLineEnded();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::string(key) + "=" + value + eol);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view text) {
    WriteRaw(section, key, ToDeviceBytes(text));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteRaw(section, key, std::to_string(value));
}
