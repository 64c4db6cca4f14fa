// CSV text (RFC 4180) as the command line writes it and as spreadsheets save it: fields
// separated by ",", optionally in double quotes with inner quotes doubled, records ended by CRLF
// or LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The field as it stands, or in double quotes (inner quotes doubled) when it holds a comma, a
// double quote, a line break, or blanks at either end.
std::string CsvField(std::string_view text);

// One record of a CSV text and the line on which it starts (from 1).
struct TCsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// Splits a CSV text into records. A leading UTF-8 byte order mark is skipped; a quoted field may
// span lines; lines holding nothing at all are skipped. Returns false, with the line of the
// opening quote in *errorLine, when a quoted field is not closed or text follows its closing
// quote.
bool ParseCsv(std::string_view text, std::vector<TCsvRecord>& records, int* errorLine);
