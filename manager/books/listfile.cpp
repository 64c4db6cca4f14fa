#include "manager/books/listfile.h"

#include <filesystem>
#include <system_error>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/textutil.h"

const std::string& TListRow::Column(std::size_t i) const {
    static const std::string empty;
    return i < columns.size() ? columns[i] : empty;
}

std::string DataFolderOf(const std::string& programFolder) {
    return (std::filesystem::path(programFolder) / kDataFolderName).string();
}

std::string ListFilePath(const std::string& programFolder, const char* fileName) {
    return (std::filesystem::path(DataFolderOf(programFolder)) / fileName).string();
}

namespace {

// A text as one line of the file: device bytes, line breaks turned into blanks.
std::string LineBytes(std::string_view text) {
    std::string bytes = ToDeviceBytes(text);
    for (char& c : bytes)
        if (c == '\r' || c == '\n') c = ' ';
    return bytes;
}

void ParseLine(std::string_view line, TListRows& rows) {
    if (line.empty()) return;
    if (line.front() == '\t') {
        if (rows.empty()) return;
        const std::string_view bytes = TrimBlanks(line);
        rows.back().columns.push_back(FromDeviceBytes(bytes));
        rows.back().readBytes.emplace_back(bytes);
        return;
    }
    if (line.front() == '@') {
        if (rows.empty()) return;
        const bool digit = line.size() > 1 && line[1] >= '0' && line[1] <= '9';
        rows.back().imageIndex = digit ? line[1] - '0' : 0;
        return;
    }
    rows.push_back({FromDeviceBytes(line), 0, {}});
}

}  // namespace

std::string FormatListFile(const TListRows& rows) {
    std::string bytes;
    for (const TListRow& row : rows) {
        bytes += LineBytes(row.number) + "\r\n";
        bytes += "@" + std::to_string(row.imageIndex) + "\r\n";
        for (std::size_t i = 0; i < row.columns.size(); ++i) {
            const bool untouched =
                i < row.readBytes.size() && FromDeviceBytes(row.readBytes[i]) == row.columns[i];
            bytes += "\t" + (untouched ? row.readBytes[i] : LineBytes(row.columns[i])) + "\r\n";
        }
    }
    return bytes;
}

std::size_t ParseListFile(std::string_view bytes, TListRows& rows) {
    rows.clear();
    while (!bytes.empty())
        ParseLine(TakeLine(bytes), rows);
    return rows.size();
}

std::size_t LoadListFile(TListRows& rows, const std::string& path, std::string* error) {
    if (error) error->clear();
    std::string bytes;
    bool missing = false;
    std::string readError;
    if (!ReadWholeFile(path, bytes, &readError, &missing)) {
        if (!missing && error) *error = readError;
        return 0;
    }
    return ParseListFile(bytes, rows);
}

bool SaveListFile(const TListRows& rows, const std::string& path, std::string* error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code code;
    if (!folder.empty() && !std::filesystem::is_directory(folder, code)) {
        std::filesystem::create_directories(folder, code);
        if (code) {
            if (error) *error = code.message();
            return false;
        }
    }
    return WriteFileAtomically(path, FormatListFile(rows), error);
}

void RenumberRows(TListRows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].number = std::to_string(i + 1);
}

void AppendListRow(TListRows& rows, std::vector<std::string> columns) {
    rows.push_back({std::to_string(rows.size() + 1), 0, std::move(columns)});
}

void DeleteListRow(TListRows& rows, std::size_t index) {
    if (index >= rows.size()) return;
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
    RenumberRows(rows);
}

namespace {

// Row target takes the contents of source but keeps its own number and, when kept, its own text
// of that column.
void TakeContents(TListRow& target, const TListRow& source, std::optional<std::size_t> keep) {
    TListRow moved = source;
    moved.number = target.number;
    if (keep && *keep < target.columns.size()) {
        if (moved.columns.size() <= *keep) moved.columns.resize(*keep + 1);
        moved.columns[*keep] = target.columns[*keep];
    }
    target = std::move(moved);
}

}  // namespace

void MoveListRow(TListRows& rows, int from, int to, std::optional<std::size_t> keepColumn) {
    const int count = static_cast<int>(rows.size());
    if (from == to || from < 0 || to < 0 || from >= count || to >= count) return;
    const TListRow fromCopy = rows[static_cast<std::size_t>(from)];
    TakeContents(rows[static_cast<std::size_t>(from)], rows[static_cast<std::size_t>(to)],
                 keepColumn);
    TakeContents(rows[static_cast<std::size_t>(to)], fromCopy, keepColumn);
}
