// Workbook files: the zip container read with libzip, written with libxlsxwriter.
#include <unistd.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/workbook.h"

namespace {

// No part of an address book or plan comes near this; a larger part is a zip bomb.
constexpr zip_uint64_t kMaxPartBytes = 64u << 20;

bool Fail(TTableError* error, std::string text) {
    if (error) *error = {0, 0, std::move(text)};
    return false;
}

struct TZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;

// One part of the container; false when it is missing (missing true) or cannot be read.
bool ReadPart(zip_t* zip, const std::string& name, std::string& bytes, bool* missing,
              TTableError* error) {
    if (missing) *missing = false;
    const zip_int64_t index = zip_name_locate(zip, name.c_str(), 0);
    if (index < 0) {
        if (missing) *missing = true;
        return Fail(error, "the workbook has no part " + name);
    }
    zip_stat_t stat;
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxPartBytes)
        return Fail(error, "the workbook's part " + name + " is too large or damaged");
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0);
    if (!file) return Fail(error, "the workbook's part " + name + " cannot be read");
    bytes.assign(stat.size, '\0');
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return Fail(error, "the workbook's part " + name + " is damaged");
    return true;
}

// The value of attribute name in the first element of xml that holds marker, taken plainly:
// the workbook and its relations are small and regular, and only a first sheet's target is
// wanted from them.
std::string AttributeNear(std::string_view xml, std::string_view marker, std::string_view name) {
    const std::size_t at = xml.find(marker);
    if (at == std::string_view::npos) return {};
    const std::size_t start = xml.rfind('<', at);
    const std::size_t end = xml.find('>', at);
    if (start == std::string_view::npos || end == std::string_view::npos) return {};
    const std::string_view element = xml.substr(start, end - start);
    const std::string key = " " + std::string(name) + "=\"";
    const std::size_t v = element.find(key);
    if (v == std::string_view::npos) return {};
    const std::size_t close = element.find('"', v + key.size());
    if (close == std::string_view::npos) return {};
    return std::string(element.substr(v + key.size(), close - v - key.size()));
}

// The part name of the first worksheet: the workbook's first <sheet>, through its relation.
std::string FirstSheetPart(zip_t* zip) {
    const std::string fallback = "xl/worksheets/sheet1.xml";
    std::string workbook, relations;
    if (!ReadPart(zip, "xl/workbook.xml", workbook, nullptr, nullptr) ||
        !ReadPart(zip, "xl/_rels/workbook.xml.rels", relations, nullptr, nullptr))
        return fallback;
    const std::string id = AttributeNear(workbook, "<sheet ", "r:id");
    if (id.empty()) return fallback;
    std::string target = AttributeNear(relations, "Id=\"" + id + "\"", "Target");
    if (target.empty()) return fallback;
    if (target.starts_with('/')) return target.substr(1);
    return "xl/" + target;
}

}  // namespace

bool WorkbooksBuilt() {
    return true;
}

bool ParseWorkbook(std::string_view bytes, TTable& table, TTableError* error) {
    table = TTable{};
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
    if (!source) {
        zip_error_fini(&zipError);
        return Fail(error, "the workbook cannot be opened");
    }
    TZip zip(zip_open_from_source(source, ZIP_RDONLY, &zipError));
    if (!zip) {
        zip_source_free(source);
        zip_error_fini(&zipError);
        return Fail(error, "the file is not a workbook: its zip container is damaged");
    }
    zip_error_fini(&zipError);

    std::vector<std::string> strings;
    std::string part;
    bool missing = false;
    if (ReadPart(zip.get(), "xl/sharedStrings.xml", part, &missing, error)) {
        if (!ParseSharedStrings(std::move(part), strings, error)) return false;
    } else if (!missing) {
        return false;
    }
    const std::string sheet = FirstSheetPart(zip.get());
    if (!ReadPart(zip.get(), sheet, part, nullptr, error)) return false;
    return ParseSheetXml(std::move(part), strings, table, error);
}

namespace {

// Columns a text takes on screen: East Asian wide characters two.
std::size_t ScreenWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) == 0x80) continue;
        width += c >= 0xE1 ? 2 : 1;  // U+1100 and above: Hangul, CJK, full-width forms
    }
    return width;
}

struct TFileRemover {
    void operator()(const std::string* path) const {
        std::error_code ignored;
        std::filesystem::remove(*path, ignored);
    }
};

}  // namespace

bool WorkbookBytes(const std::vector<std::string>& header,
                   const std::vector<std::vector<std::string>>& rows, std::string& bytes,
                   std::string* error) {
    // libxlsxwriter writes to a file name; the workbook is built in a temporary file and then
    // replaces its target in one step like every other file.
    std::error_code ec;
    std::string temp = (std::filesystem::temp_directory_path(ec) / "pelmora-XXXXXX.xlsx").string();
    const int fd = mkstemps(temp.data(), 5);
    if (fd < 0) {
        if (error) *error = "no temporary file for the workbook";
        return false;
    }
    close(fd);
    const std::unique_ptr<const std::string, TFileRemover> removeTemp(&temp);

    lxw_workbook* book = workbook_new(temp.c_str());
    if (!book) {
        if (error) *error = "the workbook cannot be created";
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    std::vector<std::size_t> widths;
    lxw_error result = LXW_NO_ERROR;
    auto writeRow = [&](lxw_row_t r, const std::vector<std::string>& cells, lxw_format* format) {
        for (std::size_t c = 0; c < cells.size() && result == LXW_NO_ERROR; ++c) {
            // Always a string cell: accounts and addresses stay texts, and nothing is a formula,
            // so no guard is needed; only a text that looks guarded gets one more apostrophe,
            // which the reader takes off again.
            std::string text = SanitizeUtf8(cells[c]);
            if (LooksFormulaGuarded(text)) text.insert(0, 1, '\'');
            if (text.empty()) continue;
            result =
                worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c), text.c_str(), format);
            if (widths.size() <= c) widths.resize(c + 1);
            widths[c] = std::max(widths[c], ScreenWidth(text));
        }
    };
    writeRow(0, header, bold);
    for (std::size_t r = 0; r < rows.size(); ++r)
        writeRow(static_cast<lxw_row_t>(r + 1), rows[r], nullptr);
    for (std::size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             static_cast<double>(std::clamp<std::size_t>(widths[c] + 2, 8, 60)),
                             nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    const lxw_error closed = workbook_close(book);
    if (result == LXW_NO_ERROR) result = closed;
    if (result != LXW_NO_ERROR) {
        if (error) *error = std::string("the workbook cannot be written: ") + lxw_strerror(result);
        return false;
    }
    return ReadWholeFile(temp, bytes, error);
}
