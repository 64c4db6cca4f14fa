#include "manager/params/paramdevice.h"

#include <gtest/gtest.h>

#include <vector>

#include "manager/access/testing/mockdeviceaccess.h"

namespace {

using ::testing::_;
using ::testing::Return;

TEST(ParamDevice, WriteTriesSixTimesAndStopsAtTheFirstSuccess) {
    const struct {
        std::vector<std::int32_t> answers;
        std::int32_t result;
        int attempts;
    } cases[] = {
        {{1}, 1, 1},
        {{-3, -2, 1}, 1, 3},
        {{-3, -3, -3, -3, -3, -9}, -9, 6},
    };
    for (const auto& c : cases) {
        MockDeviceAccess access;
        auto& call = EXPECT_CALL(access, WriteSetting("10.0.0.5", _, _, 1356, _))
                         .Times(static_cast<int>(c.answers.size()));
        for (std::int32_t answer : c.answers)
            call.WillOnce(Return(answer));
        int attempts = 0;
        EXPECT_EQ(WriteParamBlock(access, "10.0.0.5", {}, TParamBlock{}, &attempts), c.result);
        EXPECT_EQ(attempts, c.attempts);
    }
}

TEST(ParamDevice, LoginOutcomesAndTheLogoutRule) {
    MockDeviceAccess access;
    EXPECT_CALL(access, Login(_, _, _)).WillOnce(Return(-6)).WillOnce(Return(-6));
    EXPECT_CALL(access, Logout("10.0.0.5", _, _)).WillOnce(Return(1));
    const TLoginOutcome refused = LoginTerminal(access, "10.0.0.5", {}, [] {
        return std::optional<TLoginCredentials>(TLoginCredentials{"admin", "x"});
    });
    EXPECT_EQ(refused.kind, TLoginOutcome::TKind::kRefused);

    MockDeviceAccess declined;
    EXPECT_CALL(declined, Login(_, _, _)).WillOnce(Return(-6));
    EXPECT_EQ(
        LoginTerminal(declined, "", {}, [] { return std::optional<TLoginCredentials>(); }).kind,
        TLoginOutcome::TKind::kDeclined);

    MockDeviceAccess quiet;  // an empty access address is never logged out
    EXPECT_CALL(quiet, Logout(_, _, _)).Times(0);
    LogoutTerminal(quiet, "  ", {});
}

}  // namespace
