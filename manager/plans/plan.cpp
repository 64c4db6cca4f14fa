#include "manager/plans/plan.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "common/textutil.h"
#include "manager/params/pagesave.h"
#include "manager/params/paramfamily.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Twelve hexadecimal digits, in order, into six bytes.
std::optional<TMacBytes> HexMac(std::string_view digits) {
    if (digits.size() != 12) return std::nullopt;
    TMacBytes mac{};
    for (std::size_t i = 0; i < 12; ++i) {
        const int d = HexDigit(digits[i]);
        if (d < 0) return std::nullopt;
        mac[i / 2] = static_cast<std::uint8_t>(mac[i / 2] * 16 + d);
    }
    return mac;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// Every group has the width given (or 1 to width digits when exact is false); the groups'
// digits joined, each padded to width.
std::optional<std::string> JoinGroups(const std::vector<std::string_view>& groups,
                                      std::size_t width, bool exact) {
    std::string digits;
    for (std::string_view group : groups) {
        if (group.empty() || group.size() > width || (exact && group.size() != width))
            return std::nullopt;
        digits += std::string(width - group.size(), '0');
        digits += group;
    }
    return digits;
}

}  // namespace

std::string PlanErrorText(const TPlanError& error) {
    std::string text = "line " + std::to_string(error.line);
    if (error.column > 0) text += ", column " + std::to_string(error.column);
    return text + ": " + error.text;
}

std::optional<TMacBytes> ParsePlanMac(std::string_view text) {
    text = TrimBlanks(text);
    for (char separator : {':', '-'}) {
        if (text.find(separator) == std::string_view::npos) continue;
        const auto groups = Split(text, separator);
        if (groups.size() != 6) return std::nullopt;
        const auto digits = JoinGroups(groups, 2, false);
        return digits ? HexMac(*digits) : std::nullopt;
    }
    if (text.find('.') == std::string_view::npos) return HexMac(text);
    const auto groups = Split(text, '.');
    if (groups.size() == 3) {
        const auto digits = JoinGroups(groups, 4, true);
        return digits ? HexMac(*digits) : std::nullopt;
    }
    if (groups.size() != 6) return std::nullopt;
    TMacBytes mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string_view group = groups[i];
        if (group.empty() || group.size() > 3 ||
            !std::all_of(group.begin(), group.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const int value = std::stoi(std::string(group));
        if (value > 255) return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(value);
    }
    return mac;
}

namespace {

bool PlanFromTable(const TTable& table, TPlan& plan, std::vector<TPlanError>& errors) {
    if (table.header.fields.empty()) {
        errors.push_back({1, 0, "the plan is empty: it needs a header line"});
        return false;
    }
    const TCsvRecord& header = table.header;
    const std::string key = LowerAscii(TrimBlanks(header.fields[0]));
    if (key == "mac") {
        plan.key = TPlanKey::kMac;
    } else if (key == "ip") {
        plan.key = TPlanKey::kIp;
    } else {
        errors.push_back({header.line, 1, "the first column must be \"mac\" or \"ip\""});
    }
    std::set<std::string_view> seenColumns;
    for (std::size_t c = 1; c < header.fields.size(); ++c) {
        const std::string name(TrimBlanks(header.fields[c]));
        std::optional<TParamName> named = FindParamName(name);
        if (!named) named = FindParamName(LowerAscii(name));
        const int column = static_cast<int>(c + 1);
        if (!named || !IsSettable(*named))
            errors.push_back({header.line, column,
                              (named ? "a plan cannot set \"" : "unknown column \"") + name +
                                  "\" (see: pelmora-cli params fields)"});
        else if (!seenColumns.insert(named->Name()).second)
            errors.push_back({header.line, column, "column \"" + name + "\" appears twice"});
        plan.columns.push_back(named.value_or(TParamName{}));
    }
    if (!errors.empty()) return false;

    std::set<TMacBytes> macs;
    std::set<TIpBytes> ips;
    for (const TCsvRecord& record : table.rows) {
        TPlanRow row;
        row.line = record.line;
        row.terminal = std::string(TrimBlanks(record.fields[0]));
        if (plan.key == TPlanKey::kMac) {
            const auto mac = ParsePlanMac(row.terminal);
            if (!mac)
                errors.push_back({row.line, 1, "\"" + row.terminal + "\" is not a MAC address"});
            else if (!macs.insert(*mac).second)
                errors.push_back({row.line, 1, "terminal " + row.terminal + " is planned twice"});
            else
                row.mac = *mac;
        } else {
            if (!IsValidIPStrict(row.terminal))
                errors.push_back({row.line, 1, "\"" + row.terminal + "\" is not an IPv4 address"});
            else if (!ips.insert(TextToIpField(row.terminal)).second)
                errors.push_back({row.line, 1, "terminal " + row.terminal + " is planned twice"});
            else
                row.ip = IpToText(TextToIpField(row.terminal).data());
        }
        // Empty cells beyond the header's columns are what spreadsheets leave; others are not.
        const auto beyond =
            record.fields.begin() +
            static_cast<std::ptrdiff_t>(std::min(record.fields.size(), plan.columns.size() + 1));
        if (std::any_of(beyond, record.fields.end(),
                        [](const std::string& cell) { return !TrimBlanks(cell).empty(); }))
            errors.push_back({row.line, static_cast<int>(plan.columns.size() + 2),
                              "more cells than the header has columns"});
        for (std::size_t c = 0; c < plan.columns.size() && c + 1 < record.fields.size(); ++c) {
            const std::string_view cell = TrimBlanks(record.fields[c + 1]);
            if (cell.empty()) continue;
            const std::string refused = CheckValueForm(plan.columns[c], cell);
            if (!refused.empty())
                errors.push_back({row.line, static_cast<int>(c + 2), refused});
            else
                row.values.push_back({plan.columns[c], std::string(cell)});
        }
        plan.rows.push_back(std::move(row));
    }
    if (plan.rows.empty()) errors.push_back({2, 0, "the plan names no terminal"});
    return errors.empty();
}

bool TakeTable(bool read, const TTableError& tableError, const TTable& table, TPlan& plan,
               std::vector<TPlanError>& errors) {
    plan = TPlan{};
    errors.clear();
    if (!read) {
        errors.push_back({tableError.line, tableError.column, tableError.text});
        return false;
    }
    return PlanFromTable(table, plan, errors);
}

}  // namespace

bool ParsePlan(std::string_view bytes, TPlan& plan, std::vector<TPlanError>& errors) {
    TTable table;
    TTableError error;
    const bool read = ParseTable(bytes, table, &error);
    return TakeTable(read, error, table, plan, errors);
}

bool LoadPlanFile(const std::string& path, TPlan& plan, std::vector<TPlanError>& errors) {
    TTable table;
    TTableError error;
    const bool read = ReadTableFile(path, table, &error);
    if (!read && error.line == 0) error.text = path + ": " + error.text;
    return TakeTable(read, error, table, plan, errors);
}

TTableCells PlanTable(TPlanKey key, const std::vector<TParamName>& names,
                      const std::vector<TPlanExportRow>& rows) {
    TTableCells table;
    table.header.push_back(key == TPlanKey::kMac ? "mac" : "ip");
    for (const TParamName& name : names)
        table.header.emplace_back(name.Name());
    for (const TPlanExportRow& row : rows) {
        std::vector<std::string>& cells = table.rows.emplace_back();
        cells.push_back(row.terminal);
        // Values as the terminal's pages show them; a page the terminal lacks keeps its fields,
        // so its cells stay empty, which plans leave alone.
        const TParamBlock shown = SaveShownPages(row.block, row.block);
        for (const TParamName& name : names)
            cells.push_back(HasPage(row.block, name.Page()) ? FormatNamedValue(shown, name)
                                                            : std::string());
    }
    return table;
}
