// The report of a batch: one row per listed terminal with what it went through, saved as CSV or
// as an .xlsx workbook (common/tablefile.h).
#pragma once

#include <string>
#include <vector>

#include "common/devlistfile.h"
#include "common/tablefile.h"
#include "updater/scheduler.h"

// The report's columns, in order.
inline constexpr const char* kReportColumns[] = {
    "IP",      "MAC",    "DeviceName", "VersionBefore", "VersionAfter",
    "Process", "Result", "Round",      "StartTime",     "DurationSeconds"};

// The header (kReportColumns) and one row per listed terminal. rows are the list's texts (IP,
// MAC, name and the version shown for rows that took part in no round); outcomes as the
// scheduler keeps them, by row. Start times are UTC ("2026-03-01T12:00:05Z").
TTableCells ReportTable(const std::vector<TDevListRow>& rows,
                        const std::vector<TRowOutcome>& outcomes);

// Replaces path atomically with the report, a workbook when its name ends in .xlsx and CSV
// otherwise; false with the system's error text.
bool WriteReport(const std::string& path, const std::vector<TDevListRow>& rows,
                 const std::vector<TRowOutcome>& outcomes, std::string* error);
