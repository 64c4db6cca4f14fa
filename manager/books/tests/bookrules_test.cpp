// The rules a contact or multicast row must pass, where the editors' tests do not reach them:
// exact comparison, the row being modified, the order of the clash search, the limits.
#include "manager/books/bookrules.h"

#include <gtest/gtest.h>

namespace {

TListRow Row(const std::string& number, std::vector<std::string> columns) {
    return {number, 0, std::move(columns)};
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0)
        repeated += text;
    return repeated;
}

TEST(BookRules, Multicasts) {
    const TListRows rows{Row("1", {"Hall", "239.0.0.9", "1"}),
                         Row("2", {"Yard", "239.1.1.1", "5001"})};
    struct Case {
        TMulticastInput input;
        std::optional<std::size_t> except;
        TMulticastProblem expected;
    } cases[] = {
        {{"Hall", "239.1.1.1", "5000"}, 0, TMulticastProblem::kNone},  // same address, other port
        {{"Yard2", "239.1.1.1", "5001"}, std::nullopt, TMulticastProblem::kAddressTaken},
        {{"Yard", "239.2.2.2", "6000"}, std::nullopt, TMulticastProblem::kZoneNameTaken},
        {{"yard", "239.2.2.2", "6000"}, std::nullopt, TMulticastProblem::kNone},  // case counts
        {{"Yard", "239.1.1.1", "5001"}, 1, TMulticastProblem::kNone},  // modify to unchanged
        // Rows are searched from the last: row 2's address decides before row 1's name.
        {{"Hall", "239.1.1.1", "5001"}, std::nullopt, TMulticastProblem::kAddressTaken},
        {{"Hall", "239.1.1.1", "5001"}, 1, TMulticastProblem::kZoneNameTaken},
        {{"Z", "0.0.0.0", "0"}, std::nullopt, TMulticastProblem::kNone},
        {{"Z", "239.0.0.1", "65536"}, std::nullopt, TMulticastProblem::kBadPort},
        {{"Z", "239.0.0.1", "5x"}, std::nullopt, TMulticastProblem::kBadPort},
        {{"Z", "239.0.0.1", "65535"}, std::nullopt, TMulticastProblem::kNone},
        // Every limit at its length and one past it.
        {{Repeat("z", 32), "239.0.0.1", "1"}, std::nullopt, TMulticastProblem::kNone},
        {{Repeat("z", 33), "239.0.0.1", "1"}, std::nullopt, TMulticastProblem::kZoneNameTooLong},
        {{Repeat("区", 32), "239.0.0.1", "1"}, std::nullopt, TMulticastProblem::kNone},
        {{Repeat("区", 33), "239.0.0.1", "1"}, std::nullopt, TMulticastProblem::kZoneNameTooLong},
        {{"Z", "239.100.100.100", "1"}, std::nullopt, TMulticastProblem::kNone},
        // A group that is no number passes the lenient check, so only the length refuses it.
        {{"Z", "239.100.100.10x1", "1"}, std::nullopt, TMulticastProblem::kAddressTooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMulticast(rows, c.input, c.except), c.expected)
            << c.input.zoneName << " " << c.input.address << " " << c.input.port;
}

TEST(BookRules, Contacts) {
    const TListRows rows{Row("1", {"8001", "Lobby", "F1"}), Row("2", {"8002", "Gate", "F1"})};
    struct Case {
        TContactInput input;
        std::optional<std::size_t> except;
        TContactProblem expected;
    } cases[] = {
        {{"8002", "Lobby", "F1"}, 0, TContactProblem::kSipAccountTaken},
        // Every limit at its length and one past it; limits count characters, not bytes.
        {{Repeat("1", 16), "n", "g"}, std::nullopt, TContactProblem::kNone},
        {{Repeat("1", 17), "n", "g"}, std::nullopt, TContactProblem::kSipAccountTooLong},
        {{"8003", Repeat("n", 32), "g"}, std::nullopt, TContactProblem::kNone},
        {{"8003", Repeat("n", 33), "g"}, std::nullopt, TContactProblem::kDisplayNameTooLong},
        {{"8003", Repeat("门", 32), "g"}, std::nullopt, TContactProblem::kNone},
        {{"8003", Repeat("门", 33), "g"}, std::nullopt, TContactProblem::kDisplayNameTooLong},
        {{"8003", "n", Repeat("g", 64)}, std::nullopt, TContactProblem::kNone},
        {{"8003", "n", Repeat("g", 65)}, std::nullopt, TContactProblem::kGroupNameTooLong},
        {{"8003", "n", Repeat("组", 64)}, std::nullopt, TContactProblem::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckContact(rows, c.input, c.except), c.expected) << c.input.sipAccount;
}

}  // namespace
