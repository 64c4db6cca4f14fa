// CSV text (RFC 4180) as spreadsheets write and read it: comma-separated fields, double quotes
// around fields that need them, inner quotes doubled.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The field as it stands, or in double quotes (inner quotes doubled) when it holds a comma, a
// double quote, a line break, or blanks at either end.
std::string CsvField(std::string_view text);

// One record and the line of the text on which it starts (1-based).
struct TCsvRecord {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

// Splits text into records. Records end with CR LF, LF or CR (also inside quotes a line break
// belongs to the field); a leading UTF-8 byte-order mark and empty lines are skipped. Returns
// false and sets *error to "line N: ..." when a quoted field is not closed or a closing quote is
// followed by anything but a comma or the end of the record.
bool ParseCsv(std::string_view text, std::vector<TCsvRecord>& records, std::string* error);
