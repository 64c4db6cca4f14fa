#include "updater/report.h"

#include <chrono>
#include <cstdio>

namespace {

std::string UtcText(std::chrono::system_clock::time_point when) {
    // The calendar of the clock itself (UTC), the same on every system.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(when);
    const auto days = std::chrono::floor<std::chrono::days>(seconds);
    const std::chrono::year_month_day date{days};
    const std::chrono::hh_mm_ss time{seconds - days};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return text;
}

std::string Seconds(std::chrono::steady_clock::duration duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(duration).count());
    return text;
}

}  // namespace

TTableCells ReportTable(const std::vector<TDevListRow>& rows,
                        const std::vector<TRowOutcome>& outcomes) {
    using EState = TRowOutcome::EState;
    TTableCells table{{std::begin(kReportColumns), std::end(kReportColumns)}, {}};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const TRowOutcome o = row < outcomes.size() ? outcomes[row] : TRowOutcome{};
        const bool ran =
            o.state == EState::Running || o.state == EState::Done || o.state == EState::Failed;
        const bool ended = o.state == EState::Done || o.state == EState::Failed;
        table.rows.push_back({rows[row].ip, rows[row].mac, rows[row].name,
                              o.round ? o.versionBefore : rows[row].version, o.versionAfter,
                              o.process, o.code >= 0 ? std::to_string(o.code) : "",
                              o.round ? std::to_string(o.round) : "", ran ? UtcText(o.start) : "",
                              ended ? Seconds(o.duration) : ""});
    }
    return table;
}

bool WriteReport(const std::string& path, const std::vector<TDevListRow>& rows,
                 const std::vector<TRowOutcome>& outcomes, std::string* error) {
    const TTableCells table = ReportTable(rows, outcomes);
    return WriteTableFile(path, table.header, table.rows, error);
}
