// The contact and multicast lists as CSV, as installers keep them in spreadsheets: UTF-8, one
// header line, one line per row, fields quoted where needed (common/csv.h).
//
//   contacts:   SipAccount,DisplayName,GroupName
//   multicasts: ZoneName,Address,Port
//
// The list files themselves stay in the device code page (listfile.h).
#pragma once

#include <string>
#include <string_view>

#include "manager/books/listfile.h"

enum class TBookKind { kContacts, kMulticasts };

// The header line of kind, without the line end; withNumber puts "Number," in front.
std::string BookCsvHeader(TBookKind kind, bool withNumber);

// The header and one line per row (CR LF line ends); withNumber adds each row's number first.
std::string BookCsv(TBookKind kind, const TListRows& rows, bool withNumber);

// Reads a CSV of kind into rows, numbered 1..n. The header is that of BookCsv, with or without
// the number column (which is then ignored; the rows are numbered by their order). Every row is
// checked, in order, with the editors' rules against the rows before it (bookrules.h), and its
// texts must be UTF-8 without line breaks that the device code page can hold. On the first
// failing row nothing is returned: rows stays as it was and *error tells "line N: why".
bool ImportBookCsv(TBookKind kind, std::string_view csv, TListRows& rows, std::string* error);
