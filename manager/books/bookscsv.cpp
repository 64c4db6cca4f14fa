#include "manager/books/bookscsv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "manager/books/bookrules.h"

namespace {

constexpr std::size_t kColumns = 3;

std::array<const char*, kColumns> ColumnNames(TBookKind kind) {
    if (kind == TBookKind::kContacts) return {"SipAccount", "DisplayName", "GroupName"};
    return {"ZoneName", "Address", "Port"};
}

std::string ContactProblemText(TContactProblem problem, const TContactInput& input) {
    using P = TContactProblem;
    switch (problem) {
        case P::kEmptySipAccount:
            return "the SIP account is empty";
        case P::kEmptyDisplayName:
            return "the display name is empty";
        case P::kEmptyGroupName:
            return "the group name is empty";
        case P::kSipAccountTooLong:
            return "the SIP account has more than 16 characters";
        case P::kDisplayNameTooLong:
            return "the display name has more than 32 characters";
        case P::kGroupNameTooLong:
            return "the group name has more than 64 characters";
        case P::kSipAccountTaken:
            return "the SIP account " + input.sipAccount + " is already listed";
        case P::kNone:
            break;
    }
    return {};
}

std::string MulticastProblemText(TMulticastProblem problem, const TMulticastInput& input) {
    using P = TMulticastProblem;
    switch (problem) {
        case P::kEmptyZoneName:
            return "the zone name is empty";
        case P::kEmptyAddress:
            return "the multicast address is empty";
        case P::kBadAddress:
            return "the IP address " + input.address + " is not valid";
        case P::kEmptyPort:
            return "the port is empty";
        case P::kZoneNameTooLong:
            return "the zone name has more than 32 characters";
        case P::kAddressTooLong:
            return "the multicast address has more than 15 characters";
        case P::kBadPort:
            return "the port " + input.port + " is not a number from 0 to 65535";
        case P::kZoneNameTaken:
            return "the zone name " + input.zoneName + " is already listed";
        case P::kAddressTaken:
            return "the multicast address " + input.address + " with port " + input.port +
                   " is already listed";
        case P::kNone:
            break;
    }
    return {};
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// How many leading fields to skip: 1 with the number column, 0 without; -1 for another header.
int HeaderOffset(TBookKind kind, const std::vector<std::string>& header) {
    for (const bool withNumber : {false, true}) {
        std::vector<std::string> names;
        if (withNumber) names.push_back("Number");
        for (const char* name : ColumnNames(kind))
            names.push_back(name);
        if (names.size() == header.size() &&
            std::equal(names.begin(), names.end(), header.begin(),
                       [](const std::string& n, const std::string& h) {
                           return SameName(n, TrimBlanks(h));
                       }))
            return withNumber ? 1 : 0;
    }
    return -1;
}

// Why a text cannot go into a list file, or empty.
std::string TextProblem(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) return "a text holds a line break";
    if (FromDeviceBytes(ToDeviceBytes(text)) != text)
        return "the text " + text + " cannot be written in the device code page " +
               DeviceCodePage();
    return {};
}

// Why the row's texts are refused, or empty; appends the row otherwise.
std::string TakeRow(TBookKind kind, std::vector<std::string> texts, TListRows& rows) {
    if (kind == TBookKind::kContacts) {
        const TContactInput input{texts[0], texts[1], texts[2]};
        const TContactProblem problem = CheckContact(rows, input, std::nullopt);
        if (problem != TContactProblem::kNone) return ContactProblemText(problem, input);
    } else {
        texts[multicastcol::kPort] = CanonicalPort(texts[multicastcol::kPort]);
        const TMulticastInput input{texts[0], texts[1], texts[2]};
        const TMulticastProblem problem = CheckMulticast(rows, input, std::nullopt);
        if (problem != TMulticastProblem::kNone) return MulticastProblemText(problem, input);
    }
    AppendListRow(rows, std::move(texts));
    return {};
}

}  // namespace

std::vector<std::string> BookHeader(TBookKind kind, bool withNumber) {
    std::vector<std::string> header;
    if (withNumber) header.push_back("Number");
    for (const char* name : ColumnNames(kind))
        header.push_back(name);
    return header;
}

std::string BookHeaderText(TBookKind kind) {
    std::string text;
    for (const std::string& name : BookHeader(kind, false))
        text += (text.empty() ? "" : ",") + name;
    return text;
}

namespace {

std::vector<std::vector<std::string>> BookCells(const TListRows& rows, bool withNumber) {
    std::vector<std::vector<std::string>> cells;
    for (const TListRow& row : rows) {
        std::vector<std::string>& line = cells.emplace_back();
        if (withNumber) line.push_back(row.number);
        for (std::size_t i = 0; i < kColumns; ++i)
            line.push_back(row.Column(i));
    }
    return cells;
}

}  // namespace

std::string BookCsv(TBookKind kind, const TListRows& rows, bool withNumber) {
    return TableCsv(BookHeader(kind, withNumber), BookCells(rows, withNumber));
}

bool WriteBookFile(TBookKind kind, const TListRows& rows, const std::string& path,
                   std::string* error) {
    return WriteTableFile(path, BookHeader(kind, false), BookCells(rows, false), error);
}

std::string BookRefusalText(const TBookRefusal& refusal) {
    return "line " + std::to_string(refusal.line) + ": " + refusal.why;
}

bool AddBookTable(TBookKind kind, const TTable& table, TListRows& rows,
                  std::vector<TBookRefusal>& refused, std::string* error) {
    refused.clear();
    if (table.header.fields.empty()) {
        if (error) *error = "line 1: no header line " + BookHeaderText(kind);
        return false;
    }
    const int offset = HeaderOffset(kind, table.header.fields);
    if (offset < 0) {
        if (error)
            *error =
                BookRefusalText({table.header.line, "the header is not " + BookHeaderText(kind)});
        return false;
    }
    const std::size_t wanted = kColumns + static_cast<std::size_t>(offset);
    for (const TCsvRecord& record : table.rows) {
        // Missing cells at the end are empty ones (a workbook does not store them); cells
        // beyond the header's are refused unless empty, as spreadsheets leave them.
        std::vector<std::string> fields = record.fields;
        while (fields.size() > wanted && TrimBlanks(fields.back()).empty())
            fields.pop_back();
        std::string why;
        if (fields.size() > wanted)
            why =
                std::to_string(wanted) + " fields expected, found " + std::to_string(fields.size());
        fields.resize(wanted);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < kColumns && why.empty(); ++i) {
            texts.emplace_back(TrimBlanks(fields[static_cast<std::size_t>(offset) + i]));
            why = TextProblem(texts.back());
        }
        if (why.empty()) why = TakeRow(kind, std::move(texts), rows);
        if (!why.empty()) refused.push_back({record.line, why});
    }
    return true;
}

bool AddBookFile(TBookKind kind, const std::string& path, TListRows& rows,
                 std::vector<TBookRefusal>& refused, std::string* error) {
    refused.clear();
    TTable table;
    TTableError tableError;
    if (!ReadTableFile(path, table, &tableError)) {
        if (error) *error = TableErrorText(tableError);
        return false;
    }
    return AddBookTable(kind, table, rows, refused, error);
}
