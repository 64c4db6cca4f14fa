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

namespace {

// Reads the text one character at a time and counts lines; CR LF is one line end.
class TCsvReader {
  public:
    explicit TCsvReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }
    std::size_t Line() const { return line_; }
    bool AtLineEnd() const { return !AtEnd() && (Peek() == '\r' || Peek() == '\n'); }

    // Consumes one line end and returns it as the field keeps it inside quotes.
    std::string TakeLineEnd() {
        const bool crlf = text_.compare(pos_, 2, "\r\n") == 0;
        const std::string end = crlf ? "\r\n" : std::string(1, Peek());
        pos_ += end.size();
        ++line_;
        return end;
    }
    char Take() { return text_[pos_++]; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

bool Fail(std::string* error, std::size_t line, const char* what) {
    if (error) *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

// A quoted field, from its opening quote up to and without what follows the closing quote.
bool ReadQuoted(TCsvReader& in, std::string& field, std::string* error) {
    const std::size_t startLine = in.Line();
    in.Take();
    for (;;) {
        if (in.AtEnd()) return Fail(error, startLine, "a quoted field is not closed");
        if (in.AtLineEnd()) {
            field += in.TakeLineEnd();
            continue;
        }
        const char c = in.Take();
        if (c != '"') {
            field += c;
            continue;
        }
        if (!in.AtEnd() && in.Peek() == '"') {
            field += in.Take();
            continue;
        }
        if (in.AtEnd() || in.AtLineEnd() || in.Peek() == ',') return true;
        return Fail(error, in.Line(), "text after a closing quote");
    }
}

}  // namespace

bool ParseCsv(std::string_view text, std::vector<TCsvRecord>& records, std::string* error) {
    records.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    TCsvReader in(text);
    while (!in.AtEnd()) {
        if (in.AtLineEnd()) {
            in.TakeLineEnd();
            continue;
        }
        TCsvRecord record{in.Line(), {}};
        for (;;) {
            std::string field;
            if (!in.AtEnd() && in.Peek() == '"') {
                if (!ReadQuoted(in, field, error)) return false;
            } else {
                while (!in.AtEnd() && !in.AtLineEnd() && in.Peek() != ',')
                    field += in.Take();
            }
            record.fields.push_back(std::move(field));
            if (in.AtEnd() || in.AtLineEnd()) break;
            in.Take();  // the comma
        }
        records.push_back(std::move(record));
        if (!in.AtEnd()) in.TakeLineEnd();
    }
    return true;
}
