#include "common/tablefile.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/textutil.h"
#include "common/workbook.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool Fail(TTableError* error, int line, int column, std::string text) {
    if (error) *error = {line, column, std::move(text)};
    return false;
}

// Line and column (from 1, in characters) just after a decoded text: where a text that could
// not be decoded any further stops.
std::pair<int, int> EndPosition(std::string_view decoded) {
    int line = 1, column = 1;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const char c = decoded[i];
        if (c == '\n' || (c == '\r' && (i + 1 == decoded.size() || decoded[i + 1] != '\n'))) {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
            ++column;
        }
    }
    return {line, column};
}

bool FailAt(TTableError* error, std::string_view decoded, std::string text) {
    const auto [line, column] = EndPosition(decoded);
    return Fail(error, line, column, std::move(text));
}

// UTF-16 after its byte order mark; a lone surrogate or an odd last byte is refused.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& utf8, TTableError* error) {
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size())
            return FailAt(error, utf8, "the UTF-16 text ends in the middle of a character");
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return FailAt(error, utf8, "the UTF-16 text holds half of a character");
        }
        AppendUtf8(utf8, cp);
    }
    return true;
}

// The code page that reads every text the device code page writes, and more: Excel on a
// Chinese system saves GBK, and GB18030 is its superset.
std::string ReadingCodePage() {
    std::string page = DeviceCodePage();
    std::string upper = page;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* gbk : {"GBK", "GB2312", "CP936", "MS936", "EUC-CN", "GB_2312-80"})
        if (upper == gbk) return "GB18030";
    return page;
}

bool DecodeText(std::string_view bytes, std::string& utf8, TTableError* error) {
    utf8.clear();
    if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false, utf8, error);
    if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true, utf8, error);
    const bool bom = bytes.starts_with(kUtf8Bom);
    if (bom) bytes.remove_prefix(kUtf8Bom.size());
    const std::size_t bad = FirstInvalidUtf8(bytes);
    if (bad == std::string_view::npos) {
        utf8 = bytes;
        return true;
    }
    if (bom) return FailAt(error, bytes.substr(0, bad), "the text is not UTF-8");
    const std::string page = ReadingCodePage();
    std::size_t badOffset = 0;
    if (DecodeCodePage(bytes, page, utf8, &badOffset)) return true;
    return FailAt(error, utf8, "the text is neither UTF-8 nor " + page);
}

// The separator the header line uses most, commas winning a tie; an Excel "sep=X" first line
// names it and is blanked.
char TakeSeparator(std::string& text) {
    if (text.size() >= 5 && text.starts_with("sep=") &&
        std::string_view(",;\t").find(text[4]) != std::string_view::npos &&
        (text.size() == 5 || text[5] == '\r' || text[5] == '\n')) {
        const char named = text[4];
        text.erase(0, 5);
        return named;
    }
    std::size_t i = text.find_first_not_of("\r\n");
    std::array<int, 3> counts{};
    constexpr std::array<char, 3> kSeparators{',', ';', '\t'};
    bool quoted = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        for (std::size_t s = 0; s < kSeparators.size(); ++s)
            counts[s] += c == kSeparators[s];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return kSeparators[static_cast<std::size_t>(most - counts.begin())];
}

bool ParseText(std::string_view bytes, TTable& table, TTableError* error) {
    std::string text;
    if (!DecodeText(bytes, text, error)) return false;
    const char separator = TakeSeparator(text);
    std::vector<TCsvRecord> records;
    int badLine = 0;
    if (!ParseCsv(text, separator, records, &badLine))
        return Fail(error, badLine, 0,
                    "a quoted cell is not closed, or text follows its closing quote");
    for (TCsvRecord& record : records)
        for (std::string& field : record.fields)
            field = FormulaUnguarded(field);
    if (!records.empty()) {
        table.header = std::move(records.front());
        table.rows.assign(std::make_move_iterator(records.begin() + 1),
                          std::make_move_iterator(records.end()));
    }
    return true;
}

std::string LowerExtension(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return LowerAscii(path.substr(dot));
}

}  // namespace

std::string TableErrorText(const TTableError& error) {
    if (error.line <= 0) return error.text;
    std::string text = "line " + std::to_string(error.line);
    if (error.column > 0) text += ", column " + std::to_string(error.column);
    return text + ": " + error.text;
}

bool ParseTable(std::string_view bytes, TTable& table, TTableError* error) {
    table = TTable{};
    if (bytes.starts_with("PK\x03\x04")) return ParseWorkbook(bytes, table, error);
    if (bytes.starts_with("\xD0\xCF\x11\xE0"))
        return Fail(error, 0, 0,
                    "an Excel 97-2003 workbook (.xls) cannot be read; save it as .xlsx or CSV");
    return ParseText(bytes, table, error);
}

bool ReadTableFile(const std::string& path, TTable& table, TTableError* error) {
    std::string bytes, why;
    if (!ReadWholeFile(path, bytes, &why)) {
        table = TTable{};
        return Fail(error, 0, 0, why);
    }
    return ParseTable(bytes, table, error);
}

std::string TableCsv(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
    std::string csv = CsvLine(header);
    for (const std::vector<std::string>& row : rows)
        csv += CsvLine(row);
    return csv;
}

bool IsWorkbookName(std::string_view path) {
    return LowerExtension(path) == ".xlsx";
}

bool WriteTableFile(const std::string& path, const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows, std::string* error) {
    std::string bytes;
    if (IsWorkbookName(path)) {
        if (!WorkbookBytes(header, rows, bytes, error)) return false;
    } else {
        bytes = std::string(kUtf8Bom) + TableCsv(header, rows);
    }
    return WriteFileAtomically(path, bytes, error);
}
