#include "common/csv.h"

std::string CsvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

bool ParseCsv(std::string_view text, std::vector<TCsvRecord>& records, int* errorLine) {
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
                if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    if (errorLine) *errorLine = quoteLine;
                    return false;
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
                    field += text[i++];
            }
            record.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
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
