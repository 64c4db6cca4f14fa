// Arbitrary bytes as a contact or multicast table: the import never crashes, every row is added
// or refused, and rows it adds pass the editors' rules, survive a list file unchanged and export
// to a CSV that imports to the same rows.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/support/fuzzsupport.h"
#include "manager/books/bookrules.h"
#include "manager/books/bookscsv.h"

namespace {

using fuzzsupport::Check;

bool Import(TBookKind kind, std::string_view bytes, TListRows& rows,
            std::vector<TBookRefusal>& refused, std::string& error) {
    TTable table;
    TTableError tableError;
    if (!ParseTable(bytes, table, &tableError)) return false;
    const TListRows before = rows;
    if (!AddBookTable(kind, table, rows, refused, &error)) {
        Check(rows == before && error.starts_with("line "));
        return false;
    }
    // Every row of the table is either added or refused.
    Check(rows.size() + refused.size() == before.size() + table.rows.size());
    return true;
}

void Fuzz(TBookKind kind, std::string_view csv) {
    TListRows rows;
    std::vector<TBookRefusal> refused;
    std::string error;
    if (!Import(kind, csv, rows, refused, error)) return;
    for (const TBookRefusal& refusal : refused)
        Check(refusal.line >= 1 && !refusal.why.empty());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TListRow& row = rows[i];
        Check(row.number == std::to_string(i + 1) && row.columns.size() == 3);
        if (kind == TBookKind::kContacts)
            Check(CheckContact(rows, {row.columns[0], row.columns[1], row.columns[2]}, i) ==
                  TContactProblem::kNone);
        else
            Check(CheckMulticast(rows, {row.columns[0], row.columns[1], row.columns[2]}, i) ==
                  TMulticastProblem::kNone);
    }
    TListRows stored;
    ParseListFile(FormatListFile(rows), stored);
    Check(stored == rows);
    TListRows again;
    Check(Import(kind, BookCsv(kind, rows, false), again, refused, error) && refused.empty());
    Check(again == rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view csv(reinterpret_cast<const char*>(data), size);
    // As it stands, and behind a valid header so that the rows are reached.
    for (const TBookKind kind : {TBookKind::kContacts, TBookKind::kMulticasts}) {
        Fuzz(kind, csv);
        Fuzz(kind, BookCsv(kind, {}, size % 2 == 1) + std::string(csv));
    }
    return 0;
}
