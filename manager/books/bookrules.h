// The validity rules of contact and multicast rows, shared by the editors and the CSV import.
// Texts are compared exactly (case and every byte) after trimming.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "manager/books/listfile.h"

// The input limits of the editors, in characters.
namespace booklimit {
constexpr std::size_t kSipAccount = 16, kDisplayName = 32, kGroupName = 64;
constexpr std::size_t kZoneName = 32, kAddress = 15;
constexpr int kMaxPort = 65535;
// The most rows a select-mode caller may take.
constexpr std::size_t kMaxSelectedContacts = 999, kMaxSelectedZones = 99;
}  // namespace booklimit

// Yes when a row other than exceptRow has exactly this SIP account.
bool FindContact(const TListRows& rows, std::string_view sipAccount,
                 std::optional<std::size_t> exceptRow);

enum class TMulticastClash { kNone, kNameTaken, kAddressTaken };

// Rows other than exceptRow, from the last to the first; the first that matches decides: the
// same zone name is kNameTaken, another name with the same address and port texts kAddressTaken.
TMulticastClash FindMulticast(const TListRows& rows, std::string_view zoneName,
                              std::string_view address, std::string_view port,
                              std::optional<std::size_t> exceptRow);

// A contact's three texts, trimmed by the caller.
struct TContactInput {
    std::string sipAccount, displayName, groupName;
};

// The first failing rule, in the order the editor checks them. The "too long" rules cannot fail
// in the editor, whose fields stop typing at the limits; they guard rows from other sources.
enum class TContactProblem {
    kNone,
    kEmptySipAccount,
    kEmptyDisplayName,
    kEmptyGroupName,
    kSipAccountTooLong,
    kDisplayNameTooLong,
    kGroupNameTooLong,
    kSipAccountTaken,
};

TContactProblem CheckContact(const TListRows& rows, const TContactInput& input,
                             std::optional<std::size_t> exceptRow);

// A zone's three texts, trimmed by the caller.
struct TMulticastInput {
    std::string zoneName, address, port;
};

// The first failing rule, in the order the editor checks them. kBadPort (not a whole number in
// 0..65535) and the "too long" rules cannot fail in the editor, whose fields are bounded.
enum class TMulticastProblem {
    kNone,
    kEmptyZoneName,
    kEmptyAddress,
    kBadAddress,
    kEmptyPort,
    kZoneNameTooLong,
    kAddressTooLong,
    kBadPort,
    kZoneNameTaken,
    kAddressTaken,
};

TMulticastProblem CheckMulticast(const TListRows& rows, const TMulticastInput& input,
                                 std::optional<std::size_t> exceptRow);

// The port text as stored: the decimal value without leading zeros ("05000" gives "5000"), or
// the text unchanged when it is not a whole number in 0..65535.
std::string CanonicalPort(std::string_view port);

// The number of characters of a UTF-8 text.
std::size_t CharacterCount(std::string_view utf8);
