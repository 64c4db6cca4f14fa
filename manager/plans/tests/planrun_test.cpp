// Applying plans to a simulated fleet on 127.B.N.x (B: the process's block) through the project's
// libkvsetup.so: what the terminals hold afterwards, what they were sent, the results and the
// report.
#include <gtest/gtest.h>

#include <cstdlib>

#include "manager/access/kvlibrary.h"
#include "manager/params/pagesave.h"
#include "manager/plans/planrun.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace {

TParamBlock BlockOf(const termsim::TerminalState& state) {
    TParamBlock block;
    block.bytes = state.block;
    return block;
}

class PlanRunTest : public ::testing::Test {
  protected:
    // Three terminals 127.B.N.1 to .3 (MACs 02:4B:56:00:00:01 to 03), wanting admin/50738264;
    // the second one has other maintenance credentials and refuses those.
    void Start(std::uint8_t network, int oldFirmwareEvery = 0) {
        termsim::FleetOptions options;
        options.count = 3;
        options.firstAddress = testnet::Address(network, 1);
        options.models = {"SIP1601"};
        options.loginUser = "admin";
        options.loginPassword = "50738264";
        options.oldFirmwareEvery = oldFirmwareEvery;
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet->Start(&error)) << error;
        net = testnet::InBlock("127.0.") + std::to_string(network) + ".";
        // Static addresses, as on a site whose plan gives them: a terminal with DHCP on would
        // keep its address whatever the plan says.
        for (int i = 0; i < 3; ++i) {
            TParamBlock block = BlockOf(fleet->State(i));
            SetFieldInt(block, ParamField("dhcp"), 0);
            SetFieldIp(block, ParamField("mask"), "255.0.0.0");
            SetFieldIp(block, ParamField("gateway"), net + "254");
            if (i == 1) SetFieldText(block, ParamField("maint.user"), "other");
            fleet->SetBlock(i, block.bytes);
        }
        ::setenv("KVSETUP_TARGETS", (net + "1-" + net + "9").c_str(), 1);
        library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
        ASSERT_TRUE(library) << error;
    }

    std::vector<TPlanResult> Run(const std::string& csv, bool dryRun) {
        TPlan plan;
        std::vector<TPlanError> errors;
        EXPECT_TRUE(ParsePlan(csv, plan, errors));
        TPlanRunOptions options;
        options.dryRun = dryRun;
        options.askCredentials = [] { return TLoginCredentials{"admin", "50738264"}; };
        return RunPlan(*library, plan, options);
    }

    std::unique_ptr<termsim::Fleet> fleet;
    std::unique_ptr<TKvLibrary> library;
    std::string net;
};

TEST_F(PlanRunTest, FleetByMacDryRunThenApply) {
    ASSERT_NO_FATAL_FAILURE(Start(1));
    const std::string plan =
        "mac,display_name,ip,sip.user\n"
        "02:4B:56:00:00:01,Gate West," +
        net +
        "7,\n"                             // moves to .7
        "02-4b-56-00-00-02,,,9002\n"       // refuses the login
        "024B56000003,Terminal 3,,8003\n"  // already so
        "02:4B:56:00:00:09,Nobody,,\n";    // not on the network
    // A stale display-name copy alone does not make the third terminal worth a write.
    TParamBlock stale = BlockOf(fleet->State(2));
    stale[ParamField("display_name_copy").offset + 15] = 0x55;
    fleet->SetBlock(2, stale.bytes);
    std::vector<TParamBlock> before;
    for (int i = 0; i < 3; ++i)
        before.push_back(BlockOf(fleet->State(i)));

    const std::vector<TPlanResult> preview = Run(plan, true);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(BlockOf(fleet->State(i)), before[i]) << i;
        EXPECT_EQ(fleet->Stats(i).writes, 0u) << i;
        EXPECT_EQ(fleet->Stats(i).logins, 0u) << i;
    }
    ASSERT_EQ(preview.size(), 4u);
    EXPECT_EQ(preview[0].outcome, TPlanOutcome::kWouldChange);
    EXPECT_EQ(ChangesText(preview[0].changes),
              "display_name: Terminal 1 → Gate West; ip: " + net + "1 → " + net + "7");
    EXPECT_EQ(preview[1].outcome, TPlanOutcome::kWouldChange);
    EXPECT_EQ(preview[2].outcome, TPlanOutcome::kUnchanged);
    EXPECT_EQ(preview[3].outcome, TPlanOutcome::kNotFound);
    EXPECT_TRUE(PlanSucceeded({preview[0], preview[1], preview[2]}));
    EXPECT_FALSE(PlanSucceeded(preview));

    const std::vector<TPlanResult> results = Run(plan, false);
    EXPECT_EQ(fleet->State(0).address, testnet::Address(1, 7));
    TParamBlock expected = before[0];
    SetFieldText(expected, ParamField("display_name"), "Gate West");
    SetFieldIp(expected, ParamField("ip"), net + "7");
    EXPECT_EQ(BlockOf(fleet->State(0)), SaveShownPages(expected, before[0]));
    EXPECT_EQ(BlockOf(fleet->State(1)), before[1]);
    EXPECT_EQ(fleet->Stats(1).writes, 0u);
    EXPECT_EQ(fleet->Stats(2).writes, 0u);
    EXPECT_EQ(fleet->Stats(2).logins, 0u);
    // Reached by MAC: no logout.
    EXPECT_EQ(fleet->Stats(0).logouts, 0u);
    const TTableCells report = PlanReportTable(results);
    EXPECT_EQ(
        TableCsv(report.header, report.rows),
        "Line,Terminal,MAC,Address,Result,Detail,Changes\r\n"
        "2,02:4B:56:00:00:01,2.75.86.0.0.1," +
            net +
            "7,changed,,\"display_name: Terminal 1 → "  // quoted for its ";"
            "Gate West; ip: " +
            net + "1 → " + net +
            "7\"\r\n"
            "3,02-4b-56-00-00-02,2.75.86.0.0.2," +
            net +
            "2,refused,"
            "the terminal refused the user name or password (result -6),sip.user: 8002 → 9002\r\n"
            "4,024B56000003,2.75.86.0.0.3," +
            net +
            "3,unchanged,,\r\n"
            "5,02:4B:56:00:00:09,,,not found,not found by the search on the local network,\r\n");
    EXPECT_FALSE(PlanSucceeded(results));
}

TEST_F(PlanRunTest, FleetByAddressIsLoggedOutWhereItAnswersAndStopsBetweenTerminals) {
    ASSERT_NO_FATAL_FAILURE(Start(2));
    TPlan plan;
    std::vector<TPlanError> errors;
    ASSERT_TRUE(ParsePlan(
        "ip,sip.user,ip\n" + net + "1,7001," + net + "8\n" + net + "5,7005,\n" + net + "3,7003,\n",
        plan, errors));
    TPlanRunOptions options;
    options.askCredentials = [] { return TLoginCredentials{"admin", "50738264"}; };
    std::vector<std::size_t> progressed;
    options.progress = [&](std::size_t index, const TPlanResult&) { progressed.push_back(index); };
    options.stopRequested = [&] { return progressed.size() == 2; };
    const std::vector<TPlanResult> results = RunPlan(*library, plan, options);
    EXPECT_EQ(progressed, (std::vector<std::size_t>{0, 1}));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].outcome, TPlanOutcome::kChanged);
    EXPECT_EQ(results[0].address, net + "8");
    EXPECT_EQ(fleet->State(0).address, testnet::Address(2, 8));
    EXPECT_EQ(FormatFieldValue(BlockOf(fleet->State(0)), ParamField("sip.user")), "7001");
    EXPECT_EQ(fleet->Stats(0).logouts, 1u);  // at its new address, where it answers
    EXPECT_EQ(results[1].outcome, TPlanOutcome::kNotFound);
    EXPECT_EQ(results[1].detail, "no terminal answers at this address (result 0)");
    EXPECT_EQ(results[2].outcome, TPlanOutcome::kNotApplied);
    EXPECT_EQ(fleet->Stats(2).reads, 0u);
}

// What the editor would refuse, a plan refuses too, and writes nothing there.
TEST_F(PlanRunTest, TerminalsBelowV25AreRefusedUntouched) {
    ASSERT_NO_FATAL_FAILURE(Start(3, 2));  // the second terminal runs V2.4.1
    const std::vector<TPlanResult> results =
        Run("ip,display_name\n" + net + "1,Gate\n" + net + "2,Hall\n", false);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].outcome, TPlanOutcome::kChanged);
    EXPECT_EQ(results[1].outcome, TPlanOutcome::kRefused);
    EXPECT_EQ(results[1].detail, "firmware below V2.5 (\"V2.4.1\")");
    EXPECT_EQ(fleet->Stats(1).writes, 0u);
}

// A plan kept in a workbook, as an installer types it: SIP users as numbers, Chinese names,
// MACs in two forms.
TEST_F(PlanRunTest, PlanFromAWorkbookReachesTheTerminals) {
    ASSERT_NO_FATAL_FAILURE(Start(3));
    TPlan plan;
    std::vector<TPlanError> errors;
    ASSERT_TRUE(LoadPlanFile(PELMORA_SOURCE_DIR "/tests/data/spreadsheets/plan-openpyxl.xlsx", plan,
                             errors))
        << PlanErrorText(errors.front());
    TPlanRunOptions options;
    options.askCredentials = [] { return TLoginCredentials{"admin", "50738264"}; };
    const std::vector<TPlanResult> results = RunPlan(*library, plan, options);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(PlanSucceeded(results));
    struct Expected {
        int terminal;
        const char* name;
        const char* user;
    } expected[] = {{0, "东门", "9001"}, {2, "西门 2", "9003"}};
    for (const Expected& e : expected) {
        const TParamBlock block = BlockOf(fleet->State(e.terminal));
        EXPECT_EQ(GetFieldText(block, ParamField("display_name")), e.name);
        EXPECT_EQ(GetFieldText(block, ParamField("sip.user")), e.user);
    }
}

}  // namespace
