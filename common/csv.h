// CSV text (RFC 4180) as the command line writes it and as spreadsheets save it: fields
// separated by "," (or ";" or TAB, as Excel saves in some locales), optionally in double quotes
// with inner quotes doubled, records ended by CRLF, LF or CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A text that a spreadsheet would run as a formula (it begins with "=", "+", "-", "@", TAB or CR
// and is not a plain number) with a leading apostrophe; so is a text that already looks guarded,
// so that FormulaUnguarded gives every text back as it was.
std::string FormulaGuarded(std::string_view text);
// Whether the text is apostrophes followed by what FormulaGuarded guards.
bool LooksFormulaGuarded(std::string_view text);
// The text without the apostrophe that FormulaGuarded put in front of it.
std::string_view FormulaUnguarded(std::string_view text);

// The field, formula-guarded, as it stands or in double quotes (inner quotes doubled) when it
// holds a comma, semicolon, TAB, double quote, line break, or blanks at either end.
std::string CsvField(std::string_view text);

// The fields as one CSV line ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// One record of a CSV text and the line on which it starts (from 1).
struct TCsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// Splits a CSV text into records, fields separated by separator. A leading UTF-8 byte order mark
// is skipped; a quoted field may span lines; lines holding nothing at all are skipped. Returns
// false, with the line of the opening quote in *errorLine, when a quoted field is not closed or
// text follows its closing quote.
bool ParseCsv(std::string_view text, char separator, std::vector<TCsvRecord>& records,
              int* errorLine);
