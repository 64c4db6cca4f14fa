// Arbitrary bytes as a table file and as the XML parts of a workbook: the reader never crashes;
// a refusal says why; an accepted table holds UTF-8 cells on rising lines, and a text table
// written back as CSV reads as the same cells.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/tablefile.h"
#include "common/textcodec.h"
#include "common/workbook.h"
#include "fuzz/support/fuzzsupport.h"

namespace {

using fuzzsupport::Check;

std::vector<const TCsvRecord*> Records(const TTable& table) {
    std::vector<const TCsvRecord*> records{&table.header};
    for (const TCsvRecord& row : table.rows)
        records.push_back(&row);
    return records;
}

void CheckAccepted(bool accepted, const TTable& table, const TTableError& error) {
    if (!accepted) {
        Check(!error.text.empty() && error.line >= 0 && error.column >= 0);
        return;
    }
    int line = table.header.line - 1;
    for (const TCsvRecord* record : Records(table)) {
        Check(record->line > line);
        line = record->line;
        for (const std::string& cell : record->fields)
            Check(FirstInvalidUtf8(cell) == std::string::npos);
    }
}

// Our own CSV of the table reads back as the same cells. A row that is one empty cell is an
// empty line, which readers skip, so such tables are left out.
void CheckRoundTrip(const TTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (const TCsvRecord* record : Records(table)) {
        if (record->fields.size() == 1 && record->fields[0].empty()) return;
        if (record != &table.header) rows.push_back(record->fields);
    }
    if (table.header.fields.empty()) return;
    const std::string csv = TableCsv(table.header.fields, rows);
    // Content that begins like a workbook is read as one; no real table begins so.
    if (csv.starts_with("PK\x03\x04") || csv.starts_with("\xD0\xCF\x11\xE0")) return;
    TTable again;
    TTableError error;
    Check(ParseTable(csv, again, &error));
    Check(again.header.fields == table.header.fields && again.rows.size() == rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        Check(again.rows[i].fields == rows[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TTable table;
    TTableError error;
    const bool accepted = ParseTable(bytes, table, &error);
    CheckAccepted(accepted, table, error);
    if (accepted && !bytes.starts_with("PK\x03\x04")) CheckRoundTrip(table);

    // The same bytes as a worksheet and as a shared string table.
    const std::vector<std::string> shared{"SipAccount", "大厅", "'=1+2"};
    CheckAccepted(ParseSheetXml(std::string(bytes), shared, table, &error), table, error);
    std::vector<std::string> strings;
    if (ParseSharedStrings(std::string(bytes), strings, &error))
        for (const std::string& text : strings)
            Check(FirstInvalidUtf8(text) == std::string::npos);
    return 0;
}
