// Arbitrary bytes as a device text: splitting and merging never crash, and a text re-joined
// from its quoted fields splits into the same fields.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/support/fuzzsupport.h"
#include "manager/shell/devicetext.h"

namespace {

using fuzzsupport::Check;

std::string Quoted(const std::string& field) {
    std::string text = "\"";
    for (char c : field) {
        if (c == '"') text += '"';
        text += c;
    }
    return text + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> fields = SplitDelimitedText(text);
    Check(fields.size() <= size + 1);

    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i)
        joined += (i ? ";" : "") + Quoted(fields[i]);
    // A single empty field joins to "" and splits back to one empty field as well.
    Check(SplitDelimitedText(joined) == fields);

    TDeviceList list;
    const TDeviceText device = ParseDeviceText(text);
    const std::size_t row = list.MergeDeviceText(device);
    Check(row == 0 && list.RowCount() == 1);
    Check(list.MergeDeviceText(device) == 0 && list.RowCount() == 1);
    return 0;
}
