// Arbitrary bytes as a contact or multicast CSV: the import never crashes, and rows it accepts
// pass the editors' rules, survive a list file unchanged and export to a CSV that imports to the
// same rows.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/support/fuzzsupport.h"
#include "manager/books/bookrules.h"
#include "manager/books/bookscsv.h"

namespace {

using fuzzsupport::Check;

void Fuzz(TBookKind kind, std::string_view csv) {
    const TListRows before{{"1", 0, {"kept"}}};
    TListRows rows = before;
    std::string error;
    if (!ImportBookCsv(kind, csv, rows, &error)) {
        Check(rows == before && error.starts_with("line "));
        return;
    }
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
    Check(ImportBookCsv(kind, BookCsv(kind, rows, false), again, &error));
    Check(again == rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view csv(reinterpret_cast<const char*>(data), size);
    // As it stands, and behind a valid header so that the rows are reached.
    for (const TBookKind kind : {TBookKind::kContacts, TBookKind::kMulticasts}) {
        Fuzz(kind, csv);
        Fuzz(kind, BookCsvHeader(kind, size % 2 == 1) + "\r\n" + std::string(csv));
    }
    return 0;
}
