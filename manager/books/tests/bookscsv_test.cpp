// The lists as tables: export, import with every row checked.
#include "manager/books/bookscsv.h"

#include <gtest/gtest.h>

namespace {

// Adds the rows of a table text to rows; the refusals as "line N: why" texts, or the whole
// refusal alone.
std::vector<std::string> Import(TBookKind kind, std::string_view bytes, TListRows& rows) {
    TTable table;
    TTableError tableError;
    if (!ParseTable(bytes, table, &tableError)) return {TableErrorText(tableError)};
    std::vector<TBookRefusal> refused;
    std::string error;
    if (!AddBookTable(kind, table, rows, refused, &error)) return {error};
    std::vector<std::string> texts;
    for (const TBookRefusal& refusal : refused)
        texts.push_back(BookRefusalText(refusal));
    return texts;
}

TListRow Row(const std::string& number, std::vector<std::string> columns) {
    return {number, 0, std::move(columns)};
}

TEST(BooksCsv, ExportAndImportRoundTripWithChineseTexts) {
    const TListRows contacts{Row("1", {"8001", "大厅, 东", "一楼"}),
                             Row("2", {"8002", "say \"hi\"", "G"})};
    const std::string csv = BookCsv(TBookKind::kContacts, contacts, false);
    EXPECT_EQ(csv,
              "SipAccount,DisplayName,GroupName\r\n"
              "8001,\"大厅, 东\",一楼\r\n"
              "8002,\"say \"\"hi\"\"\",G\r\n");
    TListRows imported;
    EXPECT_EQ(Import(TBookKind::kContacts, csv, imported), std::vector<std::string>{});
    EXPECT_EQ(imported, contacts);

    // The listing form with numbers imports too; rows are numbered by their order, blanks
    // around fields go, a byte-order mark and LF line ends are fine, the port is normalised.
    const std::string listed =
        "\xEF\xBB\xBFnumber,zonename,ADDRESS,Port\n7, 广场 ,239.1.1.1,05000\n3,Hall,239.1.1.2,0\n";
    imported.clear();
    EXPECT_EQ(Import(TBookKind::kMulticasts, listed, imported), std::vector<std::string>{});
    EXPECT_EQ(imported, (TListRows{Row("1", {"广场", "239.1.1.1", "5000"}),
                                   Row("2", {"Hall", "239.1.1.2", "0"})}));
    EXPECT_EQ(BookCsv(TBookKind::kMulticasts, imported, true),
              "Number,ZoneName,Address,Port\r\n1,广场,239.1.1.1,5000\r\n2,Hall,239.1.1.2,0\r\n");
}

TEST(BooksCsv, BadRowsAreListedAndTheOthersAdded) {
    const std::string header = "ZoneName,Address,Port\r\n";
    const std::string good = "Yard,239.1.1.1,5001\r\n";
    struct Case {
        TBookKind kind;
        std::string csv;
        std::string error;
        std::size_t added = 1;  // rows taken besides the refused one
    } cases[] = {
        {TBookKind::kMulticasts, "", "line 1: no header line ZoneName,Address,Port", 0},
        {TBookKind::kMulticasts, "Zone,Address,Port\r\n",
         "line 1: the header is not ZoneName,Address,Port", 0},
        {TBookKind::kMulticasts, header + good + "Yard2,239.1.1.1,5001\r\n",
         "line 3: the multicast address 239.1.1.1 with port 5001 is already listed"},
        {TBookKind::kMulticasts, header + good + "Yard,239.2.2.2,6000\r\n",
         "line 3: the zone name Yard is already listed"},
        {TBookKind::kMulticasts, header + good + "Z,1.2.3,1\r\n",
         "line 3: the IP address 1.2.3 is not valid"},
        {TBookKind::kMulticasts, header + good + "Z,239.0.0.1,70000\r\n",
         "line 3: the port 70000 is not a number from 0 to 65535"},
        {TBookKind::kMulticasts, header + good + "Z,239.0.0.1\r\n", "line 3: the port is empty"},
        {TBookKind::kMulticasts, header + good + "Z,239.0.0.1,1,x,\r\n",
         "line 3: 3 fields expected, found 4"},
        {TBookKind::kMulticasts, header + "\"two\r\nlines\",239.0.0.1,1\r\n" + good,
         "line 2: a text holds a line break"},
        {TBookKind::kMulticasts, header + good + "\"open,239.0.0.1,1\r\n",
         "line 3: a quoted cell is not closed, or text follows its closing quote", 0},
        {TBookKind::kContacts, "SipAccount,DisplayName,GroupName\n8001,,G\n",
         "line 2: the display name is empty", 0},
        {TBookKind::kContacts, "SipAccount,DisplayName,GroupName\n8001,\xF0\x9F\x98\x80,G\n",
         "line 2: the text \xF0\x9F\x98\x80 cannot be written in the device code page GBK", 0},
        {TBookKind::kContacts, "SipAccount,DisplayName,GroupName\n\n8001,a,G\n8001,b,G\n",
         "line 4: the SIP account 8001 is already listed"},
    };
    for (const Case& c : cases) {
        const TListRows before{Row("1", {"Kept", "239.9.9.9", "9"})};
        TListRows rows = before;
        EXPECT_EQ(Import(c.kind, c.csv, rows), std::vector<std::string>{c.error}) << c.csv;
        // The good rows are added after the list's own; a refused table adds nothing.
        EXPECT_EQ(rows.size(), before.size() + c.added) << c.csv;
        EXPECT_EQ(rows.front(), before.front());
    }
}

}  // namespace
