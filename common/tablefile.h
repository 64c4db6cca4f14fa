// Tables as installers keep them in spreadsheets: CSV as Excel and LibreOffice save it (any
// usual encoding, comma, semicolon or TAB) and .xlsx workbooks. One reader and one writer for the
// address books, the settings plans, the reports and the device list.
//
// Reading: a byte order mark decides the encoding (UTF-8, UTF-16 LE or BE); without one, valid
// UTF-8 is UTF-8, anything else is read in the device code page's superset (GB18030 for GBK).
// What still does not decode is refused with its line and column, never replaced. The separator
// is the one of ",", ";" and TAB that the header line uses most (or the one an Excel "sep=" line
// names). A workbook is recognised by its content, not its name; its first worksheet is the
// table and its first row the header.
//
// Writing: the file name's extension decides. ".xlsx" gives a workbook of string cells (never
// formulas) with fitted column widths and the header row frozen; anything else gives CSV in
// UTF-8 with a byte order mark, so Excel shows Chinese texts, and with the formula guard of
// csv.h. Either way the file is replaced atomically.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"

struct TTable {
    // The first line that is not empty; its line is 0 when the table is empty.
    TCsvRecord header;
    // The lines after it, empty ones left out. line is the line of a CSV text, the row number of
    // a worksheet.
    std::vector<TCsvRecord> rows;
};

// A table to write: the header and the rows of cells.
struct TTableCells {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

// Why a table was refused, with its place; column from 1 (0: the line as a whole; line 0: the
// file as a whole).
struct TTableError {
    int line = 0;
    int column = 0;
    std::string text;
};
// "line 3, column 2: ..." (or "line 3: ...", or the text alone).
std::string TableErrorText(const TTableError& error);

// Reads a table from the bytes of a CSV or text file or an .xlsx workbook. Cells are UTF-8; a
// cell written with the formula guard comes back as its original text.
bool ParseTable(std::string_view bytes, TTable& table, TTableError* error);

// Reads and parses a table file; a file that cannot be read gives the system's error text.
bool ReadTableFile(const std::string& path, TTable& table, TTableError* error);

// The table as CSV for a pipe: plain UTF-8 without byte order mark, formula guard, CR LF.
std::string TableCsv(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows);

// Whether the file name asks for a workbook (".xlsx", any letter case).
bool IsWorkbookName(std::string_view path);

// Writes a table as CSV (UTF-8 BOM, formula guard) or as an .xlsx workbook, decided by the
// file name's extension; replaced atomically.
bool WriteTableFile(const std::string& path, const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows, std::string* error);
