#include "manager/books/bookrules.h"

#include <charconv>

#include "manager/access/addresstext.h"

namespace {

bool Counts(std::size_t row, std::optional<std::size_t> exceptRow) {
    return !exceptRow || row != *exceptRow;
}

// The port's value when the text is one to five decimal digits worth at most 65535.
std::optional<int> PortValue(std::string_view port) {
    int value = 0;
    const char* end = port.data() + port.size();
    if (port.empty() || port.size() > 5) return std::nullopt;
    const auto [stop, code] = std::from_chars(port.data(), end, value);
    if (code != std::errc() || stop != end || value < 0 || value > booklimit::kMaxPort)
        return std::nullopt;
    return value;
}

}  // namespace

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

bool FindContact(const TListRows& rows, std::string_view sipAccount,
                 std::optional<std::size_t> exceptRow) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (Counts(i, exceptRow) && rows[i].Column(contactcol::kSipAccount) == sipAccount)
            return true;
    return false;
}

TMulticastClash FindMulticast(const TListRows& rows, std::string_view zoneName,
                              std::string_view address, std::string_view port,
                              std::optional<std::size_t> exceptRow) {
    for (std::size_t i = rows.size(); i-- > 0;) {
        if (!Counts(i, exceptRow)) continue;
        const TListRow& row = rows[i];
        if (row.Column(multicastcol::kZoneName) == zoneName) return TMulticastClash::kNameTaken;
        if (row.Column(multicastcol::kAddress) == address &&
            row.Column(multicastcol::kPort) == port)
            return TMulticastClash::kAddressTaken;
    }
    return TMulticastClash::kNone;
}

TContactProblem CheckContact(const TListRows& rows, const TContactInput& input,
                             std::optional<std::size_t> exceptRow) {
    using P = TContactProblem;
    if (input.sipAccount.empty()) return P::kEmptySipAccount;
    if (input.displayName.empty()) return P::kEmptyDisplayName;
    if (input.groupName.empty()) return P::kEmptyGroupName;
    if (CharacterCount(input.sipAccount) > booklimit::kSipAccount) return P::kSipAccountTooLong;
    if (CharacterCount(input.displayName) > booklimit::kDisplayName) return P::kDisplayNameTooLong;
    if (CharacterCount(input.groupName) > booklimit::kGroupName) return P::kGroupNameTooLong;
    if (FindContact(rows, input.sipAccount, exceptRow)) return P::kSipAccountTaken;
    return P::kNone;
}

TMulticastProblem CheckMulticast(const TListRows& rows, const TMulticastInput& input,
                                 std::optional<std::size_t> exceptRow) {
    using P = TMulticastProblem;
    if (input.zoneName.empty()) return P::kEmptyZoneName;
    if (input.address.empty()) return P::kEmptyAddress;
    if (!IsValidIPLenient(input.address)) return P::kBadAddress;
    if (input.port.empty()) return P::kEmptyPort;
    if (CharacterCount(input.zoneName) > booklimit::kZoneName) return P::kZoneNameTooLong;
    if (CharacterCount(input.address) > booklimit::kAddress) return P::kAddressTooLong;
    if (!PortValue(input.port)) return P::kBadPort;
    switch (FindMulticast(rows, input.zoneName, input.address, input.port, exceptRow)) {
        case TMulticastClash::kNameTaken:
            return P::kZoneNameTaken;
        case TMulticastClash::kAddressTaken:
            return P::kAddressTaken;
        case TMulticastClash::kNone:
            break;
    }
    return P::kNone;
}

std::string CanonicalPort(std::string_view port) {
    const std::optional<int> value = PortValue(port);
    return value ? std::to_string(*value) : std::string(port);
}
