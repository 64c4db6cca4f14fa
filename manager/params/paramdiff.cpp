#include "manager/params/paramdiff.h"

#include <algorithm>

#include "manager/params/pagevalues.h"

namespace {

bool Differs(const TParamBlock& first, const TParamBlock& second, const TParamField& field) {
    return !std::equal(first.begin() + field.offset, first.begin() + field.offset + field.width,
                       second.begin() + field.offset);
}

// Whether the field's bytes take part in the page value: putting second's bytes into first
// changes what the page shows.
bool Feeds(const TParamBlock& first, const TParamBlock& second, const TParamField& field,
           const TPageValue& value) {
    TParamBlock mixed = first;
    std::copy_n(second.begin() + field.offset, field.width, mixed.begin() + field.offset);
    return FormatPageValue(mixed, value) != FormatPageValue(first, value);
}

std::string Shown(const std::string& text) {
    return text.empty() ? "\"\"" : text;
}

}  // namespace

std::vector<TParamDifference> DiffParamBlocks(const TParamBlock& first, const TParamBlock& second) {
    std::vector<const TPageValue*> values;  // the pages' values that differ
    std::vector<TParamDifference> pageLines;
    for (const TPageValue& value : PageValues()) {
        if (!HasPageOf(first, value) && !HasPageOf(second, value)) continue;
        const std::string a = HasPageOf(first, value) ? FormatPageValue(first, value) : "";
        const std::string b = HasPageOf(second, value) ? FormatPageValue(second, value) : "";
        if (a == b) continue;
        values.push_back(&value);
        pageLines.push_back({std::string(value.name), a, b});
    }
    auto toldElsewhere = [&](const TParamField& field) {
        if (field.offset == kParamRunStatusOffset) return true;
        for (const TParamField& source : ParamFields())
            if (source.mirror == field.name && Differs(first, second, source)) return true;
        return std::any_of(values.begin(), values.end(), [&](const TPageValue* value) {
            // A record's members ("key1.type") belong to the record's value ("key1").
            return field.name.starts_with(std::string(value->name) + ".") ||
                   Feeds(first, second, field, *value) || Feeds(second, first, field, *value);
        });
    };
    std::vector<TParamDifference> out;
    for (const TParamField& field : ParamFields()) {
        if (FindPageValue(field.name) || !Differs(first, second, field) || toldElsewhere(field))
            continue;
        const std::string a = FormatFieldValue(first, field);
        const std::string b = FormatFieldValue(second, field);
        // Bytes behind a text's terminator differ without the text differing.
        if (a != b) out.push_back({field.name, a, b});
    }
    out.insert(out.end(), pageLines.begin(), pageLines.end());
    return out;
}

std::string DifferenceLine(const TParamDifference& difference) {
    return difference.name + ": " + Shown(difference.first) + " → " + Shown(difference.second);
}
