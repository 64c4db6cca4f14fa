#include "common/csv.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kFormulaStarts = "=+-@\t\r";

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    return i;
}

// A sign, digits with an optional decimal point, an optional exponent: what a spreadsheet shows
// as the same number, so it needs no guard.
bool IsPlainNumber(std::string_view text) {
    std::size_t i = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    const std::size_t intEnd = SkipDigits(text, i);
    std::size_t end = intEnd;
    if (end < text.size() && text[end] == '.') end = SkipDigits(text, end + 1);
    if (end - i == (end > intEnd ? 1u : 0u)) return false;  // no digit at all
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        end = SkipDigits(text, e);
        if (end == e) return false;
    }
    return end == text.size();
}

bool StartsFormula(std::string_view text) {
    return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

}  // namespace

bool LooksFormulaGuarded(std::string_view text) {
    const std::size_t quotes = std::min(text.find_first_not_of('\''), text.size());
    return quotes > 0 && StartsFormula(text.substr(quotes));
}

std::string FormulaGuarded(std::string_view text) {
    if (LooksFormulaGuarded(text) || (StartsFormula(text) && !IsPlainNumber(text)))
        return "'" + std::string(text);
    return std::string(text);
}

std::string_view FormulaUnguarded(std::string_view text) {
    if (LooksFormulaGuarded(text)) text.remove_prefix(1);
    return text;
}

std::string CsvField(std::string_view plain) {
    const std::string text = FormulaGuarded(plain);
    const bool quote = text.find_first_of(",;\t\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' ')) ||
                       text.starts_with("\xEF\xBB\xBF");  // else taken for a byte order mark
    if (!quote) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? "," : "") + CsvField(fields[i]);
    return line + "\r\n";
}

bool ParseCsv(std::string_view text, char separator, std::vector<TCsvRecord>& records,
              int* errorLine) {
    records.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        TCsvRecord record{line, {}};
        bool recordEnded = false;
        while (!recordEnded) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                const int quoteLine = line;
                ++i;
                for (;;) {
                    if (i == text.size()) {
                        if (errorLine) *errorLine = quoteLine;
                        return false;
                    }
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    field += c;
                }
                if (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                    if (errorLine) *errorLine = quoteLine;
                    return false;
                }
            } else {
                while (i < text.size() && text[i] != separator && text[i] != '\r' &&
                       text[i] != '\n')
                    field += text[i++];
            }
            record.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == separator) {
                ++i;
                continue;
            }
            // End of the record: CRLF, LF, a lone CR, or the end of the text.
            if (i < text.size() && text[i] == '\r') ++i;
            if (i < text.size() && text[i] == '\n') ++i;
            ++line;
            recordEnded = true;
        }
        if (!(record.fields.size() == 1 && record.fields[0].empty()))
            records.push_back(std::move(record));
    }
    return true;
}
