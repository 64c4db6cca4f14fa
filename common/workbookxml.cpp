// The XML parts of a workbook: shared strings and a worksheet's cells, through RapidXML.
#include <rapidxml/rapidxml.hpp>

#include <charconv>
#include <cmath>
#include <exception>

#include "common/textcodec.h"
#include "common/workbook.h"
#include "common/xmlobj.h"

namespace {

using TNode = rapidxml::xml_node<char>;

// Workbooks nest a few levels deep; anything much deeper is not a workbook part.
constexpr int kMaxDepth = 64;
// The widest worksheet a spreadsheet makes (column XFD).
constexpr std::size_t kMaxColumns = 16384;
// Cells a table may hold, counting the empty ones before a filled one: far beyond any address
// book or plan, small enough that a hostile workbook cannot exhaust memory.
constexpr std::size_t kMaxCells = 4'000'000;

bool Fail(TTableError* error, int line, int column, std::string text) {
    if (error) *error = {line, column, std::move(text)};
    return false;
}

// The name without a namespace prefix ("x:row" is "row").
std::string_view LocalName(const TNode* node) {
    std::string_view name(node->name(), node->name_size());
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const TNode* Child(const TNode* node, std::string_view name) {
    for (const TNode* c = node->first_node(); c; c = c->next_sibling())
        if (c->type() == rapidxml::node_element && LocalName(c) == name) return c;
    return nullptr;
}

std::string_view Attribute(const TNode* node, std::string_view name) {
    for (auto* a = node->first_attribute(); a; a = a->next_attribute()) {
        std::string_view attr(a->name(), a->name_size());
        const std::size_t colon = attr.find(':');
        if (colon != std::string_view::npos) attr.remove_prefix(colon + 1);
        if (attr == name) return {a->value(), a->value_size()};
    }
    return {};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Spreadsheets write characters that XML cannot hold as "_xHHHH_" (a CR is "_x000D_").
std::string UnescapeOoxml(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            int value = 0;
            bool hex = true;
            for (std::size_t k = 2; k < 6 && hex; ++k) {
                const int digit = HexValue(text[i + k]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex && (value < 0xD800 || value > 0xDFFF)) {
                AppendUtf8(out, static_cast<char32_t>(value));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The text of an element: its data and CDATA children.
std::string_view OwnText(const TNode* node) {
    for (const TNode* c = node->first_node(); c; c = c->next_sibling())
        if (c->type() == rapidxml::node_data || c->type() == rapidxml::node_cdata)
            return {c->value(), c->value_size()};
    return {};
}

// A string item (<si> or <is>): its <t>, or the <t> of each rich text run; phonetic runs (<rPh>)
// are readings, not part of the text.
std::string StringItemText(const TNode* item) {
    std::string text;
    for (const TNode* c = item->first_node(); c; c = c->next_sibling()) {
        if (c->type() != rapidxml::node_element) continue;
        if (LocalName(c) == "t") {
            text += OwnText(c);
        } else if (LocalName(c) == "r") {
            if (const TNode* t = Child(c, "t")) text += OwnText(t);
        }
    }
    return UnescapeOoxml(text);
}

// Parses xml in place; the document keeps pointers into xml.
bool ParseXml(std::string& xml, rapidxml::xml_document<char>& doc, TTableError* error) {
    if (FirstInvalidUtf8(xml) != std::string::npos)
        return Fail(error, 0, 0, "the workbook's XML is not UTF-8");
    if (XmlNestingExceeds(xml, kMaxDepth))
        return Fail(error, 0, 0, "the workbook's XML is nested too deeply");
    try {
        doc.parse<rapidxml::parse_validate_closing_tags>(xml.data());
    } catch (const std::exception& e) {
        return Fail(error, 0, 0, std::string("the workbook's XML is damaged: ") + e.what());
    }
    return true;
}

// "BC12" gives column 55 (from 1) and row 12; 0 for a part that is missing or out of range.
std::pair<std::size_t, int> CellPlace(std::string_view ref) {
    std::size_t column = 0, i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && column <= kMaxColumns; ++i)
        column = column * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1);
    int row = 0;
    const auto [end, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), row);
    if (ec != std::errc() || end != ref.data() + ref.size() || row < 1) row = 0;
    return {column > kMaxColumns ? 0 : column, row};
}

// A number as a general cell shows it: whole numbers without a decimal point, others with at
// most 15 significant digits, which is what a spreadsheet keeps of what was typed.
std::string NumberText(std::string_view value) {
    double number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (ec != std::errc() || end != value.data() + value.size() || !std::isfinite(number))
        return std::string(value);
    char text[64];
    if (std::trunc(number) == number && std::fabs(number) < 1e15) {
        const auto r = std::to_chars(text, text + sizeof text, static_cast<long long>(number));
        return std::string(text, r.ptr);
    }
    const auto r = std::to_chars(text, text + sizeof text, number, std::chars_format::general, 15);
    return std::string(text, r.ptr);
}

}  // namespace

bool ParseSharedStrings(std::string xml, std::vector<std::string>& strings, TTableError* error) {
    strings.clear();
    rapidxml::xml_document<char> doc;
    if (!ParseXml(xml, doc, error)) return false;
    const TNode* root = doc.first_node();
    if (!root || LocalName(root) != "sst")
        return Fail(error, 0, 0, "the workbook's shared strings are damaged");
    for (const TNode* si = root->first_node(); si; si = si->next_sibling())
        if (si->type() == rapidxml::node_element && LocalName(si) == "si")
            strings.push_back(StringItemText(si));
    return true;
}

bool ParseSheetXml(std::string xml, const std::vector<std::string>& sharedStrings, TTable& table,
                   TTableError* error) {
    table = TTable{};
    rapidxml::xml_document<char> doc;
    if (!ParseXml(xml, doc, error)) return false;
    const TNode* root = doc.first_node();
    const TNode* data = root && LocalName(root) == "worksheet" ? Child(root, "sheetData") : nullptr;
    if (!data) return Fail(error, 0, 0, "the first worksheet has no cells");

    std::vector<TCsvRecord> records;
    std::size_t cells = 0;
    int rowNumber = 0;
    for (const TNode* row = data->first_node(); row; row = row->next_sibling()) {
        if (row->type() != rapidxml::node_element || LocalName(row) != "row") continue;
        const std::string_view r = Attribute(row, "r");
        const int previous = rowNumber;
        rowNumber = r.empty() ? rowNumber + 1 : CellPlace("A" + std::string(r)).second;
        if (rowNumber <= previous)
            return Fail(error, 0, 0, "the worksheet's rows are not numbered in order");
        TCsvRecord record{rowNumber, {}};
        std::size_t column = 0;
        for (const TNode* c = row->first_node(); c; c = c->next_sibling()) {
            if (c->type() != rapidxml::node_element || LocalName(c) != "c") continue;
            const std::string_view ref = Attribute(c, "r");
            column = ref.empty() ? column + 1 : CellPlace(ref).first;
            if (column == 0 || column > kMaxColumns)
                return Fail(error, rowNumber, 0, "a cell of the worksheet has no place");
            const int columnNumber = static_cast<int>(column);
            const std::string_view type = Attribute(c, "t");
            const TNode* v = Child(c, "v");
            const std::string_view value = v ? OwnText(v) : std::string_view{};
            std::string text;
            if (type == "s") {
                std::size_t index = 0;
                const auto [end, ec] =
                    std::from_chars(value.data(), value.data() + value.size(), index);
                if (ec != std::errc() || end != value.data() + value.size() ||
                    index >= sharedStrings.size())
                    return Fail(error, rowNumber, columnNumber,
                                "the cell's text is missing from the workbook");
                text = sharedStrings[index];
            } else if (type == "inlineStr") {
                if (const TNode* is = Child(c, "is")) text = StringItemText(is);
            } else if (type == "b") {
                text = value == "1" ? "TRUE" : value == "0" ? "FALSE" : std::string(value);
            } else if (type == "n" || type.empty()) {
                text = NumberText(value);
            } else {  // str (a formula's text), e (an error value), d (an ISO date)
                text = UnescapeOoxml(value);
            }
            if (record.fields.size() < column) record.fields.resize(column);
            // A character reference can name what UTF-8 cannot hold (a lone surrogate).
            record.fields[column - 1] = SanitizeUtf8(FormulaUnguarded(text));
        }
        // Formatted but empty cells at the end of a row are not cells of the table.
        while (!record.fields.empty() && record.fields.back().empty())
            record.fields.pop_back();
        cells += record.fields.size();
        if (cells > kMaxCells) return Fail(error, rowNumber, 0, "the worksheet is too large");
        if (!record.fields.empty()) records.push_back(std::move(record));
    }
    if (!records.empty()) {
        table.header = std::move(records.front());
        table.rows.assign(std::make_move_iterator(records.begin() + 1),
                          std::make_move_iterator(records.end()));
    }
    return true;
}
