// The contact and multicast lists as tables, as installers keep them in spreadsheets: one header
// line, one line per row (common/tablefile.h: CSV in the usual encodings and separators, or an
// .xlsx workbook).
//
//   contacts:   SipAccount,DisplayName,GroupName
//   multicasts: ZoneName,Address,Port
//
// The list files themselves stay in the device code page (listfile.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/tablefile.h"
#include "manager/books/listfile.h"

enum class TBookKind { kContacts, kMulticasts };

// The header of kind; withNumber puts "Number" in front.
std::vector<std::string> BookHeader(TBookKind kind, bool withNumber);

// The header line of kind without the line end, as messages name it.
std::string BookHeaderText(TBookKind kind);

// The rows as CSV for a pipe (tablefile.h): the header and one line per row; withNumber adds each
// row's number first.
std::string BookCsv(TBookKind kind, const TListRows& rows, bool withNumber);

// Writes the rows to a CSV file or workbook (by the file name's extension), without numbers.
bool WriteBookFile(TBookKind kind, const TListRows& rows, const std::string& path,
                   std::string* error);

// A row of a table that was not taken, and why.
struct TBookRefusal {
    int line = 0;
    std::string why;
};
// "line N: why".
std::string BookRefusalText(const TBookRefusal& refusal);

// Adds the rows of a table of kind to rows, numbering them on. The header is that of BookCsv,
// with or without the number column (which is then ignored). Every row is checked, in order,
// with the editors' rules against the rows before it (bookrules.h), and its texts must be
// without line breaks and fit the device code page; a row that fails is left out and listed in
// refused. A table whose header is wrong is refused as a whole: false, rows unchanged and *error
// telling "line N: why".
bool AddBookTable(TBookKind kind, const TTable& table, TListRows& rows,
                  std::vector<TBookRefusal>& refused, std::string* error);

// Reads a table file (tablefile.h) and adds its rows as AddBookTable does; a file that cannot be
// read or decoded is refused as a whole with its place.
bool AddBookFile(TBookKind kind, const std::string& path, TListRows& rows,
                 std::vector<TBookRefusal>& refused, std::string* error);
