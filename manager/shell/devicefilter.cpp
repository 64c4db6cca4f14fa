#include "manager/shell/devicefilter.h"

#include <algorithm>

#include "common/textutil.h"

namespace {
char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool Holds(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](char a, char b) { return Folded(a) == Folded(b); }) != text.end();
}
}  // namespace

bool RowMatchesFilter(const TDeviceRow& row, std::string_view text) {
    const std::string_view part = TrimBlanks(text);
    if (part.empty()) return true;
    constexpr int kSearched[] = {kColAccount, kColDisplayName, kColIp,      kColMac,
                                 kColModel,   kColFirmware,    kColLocation};
    return std::any_of(std::begin(kSearched), std::end(kSearched),
                       [&](int column) { return Holds(row.columns[column], part); });
}
