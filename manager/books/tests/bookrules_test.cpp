// The rules a contact or multicast row must pass, in the order the editors check them.
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

TEST(BookRules, MulticastDuplicates) {
    const TListRows rows{Row("1", {"Yard", "239.1.1.1", "5001"})};
    struct Case {
        TMulticastInput input;
        std::optional<std::size_t> except;
        TMulticastProblem expected;
    } cases[] = {
        {{"Hall", "239.1.1.1", "5000"}, std::nullopt, TMulticastProblem::kNone},
        {{"Yard2", "239.1.1.1", "5001"}, std::nullopt, TMulticastProblem::kAddressTaken},
        {{"Yard", "239.2.2.2", "6000"}, std::nullopt, TMulticastProblem::kZoneNameTaken},
        {{"yard", "239.2.2.2", "6000"}, std::nullopt, TMulticastProblem::kNone},  // case counts
        {{"Yard", "239.1.1.1", "5001"}, 0, TMulticastProblem::kNone},  // modify to unchanged
        {{"", "x", ""}, std::nullopt, TMulticastProblem::kEmptyZoneName},
        {{"Z", "", ""}, std::nullopt, TMulticastProblem::kEmptyAddress},
        {{"Z", "1.2.3", ""}, std::nullopt, TMulticastProblem::kBadAddress},
        {{"Z", "192.168.1.10", ""}, std::nullopt, TMulticastProblem::kEmptyPort},
        {{"Z", "0.0.0.0", "0"}, std::nullopt, TMulticastProblem::kNone},
        {{"Z", "239.0.0.1", "65536"}, std::nullopt, TMulticastProblem::kBadPort},
        {{"Z", "239.0.0.1", "5x"}, std::nullopt, TMulticastProblem::kBadPort},
        {{std::string(33, 'z'), "239.0.0.1", "1"},
         std::nullopt,
         TMulticastProblem::kZoneNameTooLong},
        {{std::string(32, 'z'), "239.0.0.1", "1"}, std::nullopt, TMulticastProblem::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMulticast(rows, c.input, c.except), c.expected)
            << c.input.zoneName << " " << c.input.address << " " << c.input.port;
}

TEST(BookRules, TheLastMatchingRowDecidesTheClash) {
    // Row 1 has the name, row 2 (examined first) the address and port.
    const TListRows rows{Row("1", {"Hall", "239.0.0.9", "1"}),
                         Row("2", {"Yard", "239.1.1.1", "5001"})};
    EXPECT_EQ(FindMulticast(rows, "Hall", "239.1.1.1", "5001", std::nullopt),
              TMulticastClash::kAddressTaken);
    EXPECT_EQ(FindMulticast(rows, "Hall", "239.1.1.1", "5001", 1), TMulticastClash::kNameTaken);
}

TEST(BookRules, Contacts) {
    const TListRows rows{Row("1", {"8001", "Lobby", "F1"}), Row("2", {"8002", "Gate", "F1"})};
    struct Case {
        TContactInput input;
        std::optional<std::size_t> except;
        TContactProblem expected;
    } cases[] = {
        {{"8003", "Hall", "F2"}, std::nullopt, TContactProblem::kNone},
        {{"8001", "Hall", "F2"}, std::nullopt, TContactProblem::kSipAccountTaken},
        {{"8001", "Lobby", "F1"}, 0, TContactProblem::kNone},  // modify to unchanged
        {{"8002", "Lobby", "F1"}, 0, TContactProblem::kSipAccountTaken},
        {{"", "", ""}, std::nullopt, TContactProblem::kEmptySipAccount},
        {{"8003", "", ""}, std::nullopt, TContactProblem::kEmptyDisplayName},
        {{"8003", "Hall", ""}, std::nullopt, TContactProblem::kEmptyGroupName},
        {{std::string(17, '1'), "n", "g"}, std::nullopt, TContactProblem::kSipAccountTooLong},
        // Characters, not bytes: 32 Chinese characters fit.
        {{"8003", Repeat("门", 32), "g"}, std::nullopt, TContactProblem::kNone},
        {{"8003", Repeat("门", 33), "g"}, std::nullopt, TContactProblem::kDisplayNameTooLong},
        {{"8003", "n", std::string(65, 'g')}, std::nullopt, TContactProblem::kGroupNameTooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckContact(rows, c.input, c.except), c.expected) << c.input.sipAccount;
}

TEST(BookRules, CanonicalPort) {
    const char* cases[][2] = {{"5000", "5000"},   {"05000", "5000"}, {"0", "0"},
                              {"65536", "65536"}, {"x", "x"},        {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(CanonicalPort(c[0]), c[1]);
}

}  // namespace
