// Plan files: the key column in every MAC form, the field columns, and the whole-plan checks
// with their lines and columns.
#include <gtest/gtest.h>

#include "manager/params/pagesave.h"
#include "manager/plans/plan.h"

namespace {

TEST(PlanTest, MacFormsOfTheKeyColumn) {
    const TMacBytes mac{0x02, 0x4B, 0x56, 0x0A, 0x00, 0xFF};
    for (const char* text : {"02:4B:56:0A:00:FF", "02-4b-56-0a-00-ff", "024b.560a.00ff",
                             "024B560A00FF", "2.75.86.10.0.255", " 2:4b:56:a:0:ff "})
        EXPECT_EQ(ParsePlanMac(text), mac) << text;
    for (const char* text : {"", "02:4B:56:0A:00", "02:4B:56:0A:00:FG", "024B560A00F",
                             "02:4B-56:0A:00:FF", "024b.560a.0ff", "2.75.86.10.0.256",
                             "2.75.86.10.0", "020:4B:56:0A:00:FF", "2.75.86.1a.0.255"})
        EXPECT_FALSE(ParsePlanMac(text)) << text;
}

TEST(PlanTest, ParsingAndWholePlanChecks) {
    struct Value {
        const char* field;
        const char* text;
    };
    const struct {
        const char* name;
        std::string csv;
        std::vector<std::string> errors;  // PlanErrorText of each finding, in order
        std::vector<std::vector<Value>> rows;
    } cases[] = {
        {"empty cells leave fields alone; BOM, CRLF, quotes, blank lines",
         "\xEF\xBB\xBFMAC, Display_Name ,sip.user,ip\r\n"
         "02:4B:56:00:00:01,\"Gate, West\",,\r\n"
         "\r\n"
         "024b56000002,,9002,127.0.0.7\n"
         "2.75.86.0.0.3,\"Say \"\"hi\"\"\"\n",
         {},
         {{{"display_name", "Gate, West"}},
          {{"sip.user", "9002"}, {"ip", "127.0.0.7"}},
          {{"display_name", "Say \"hi\""}}}},
        {"plan by address",
         "ip,sip.port\n127.0.0.9,5070\n10.1.1.10,\n",
         {},
         {{{"sip.port", "5070"}}, {}}},
        {"unknown columns, a column twice, a bad key column",
         "terminal,display_name,nosuch,display_name\n",
         {"line 1, column 1: the first column must be \"mac\" or \"ip\"",
          "line 1, column 3: unknown column \"nosuch\" (see: pelmora-cli params fields)",
          "line 1, column 4: column \"display_name\" appears twice"},
         {}},
        {"bad MAC, duplicate in another form, refused values, too many cells",
         "mac,ip,sip.port,display_name\n"
         "02:4B:56:00:00:01,192.168.1.300,5060,ok\n"
         "2.75.86.0.0.1,,,\n"
         "02:4B:56:00:00,,70000,\n"
         "024B56000004,,,\"" +
             std::string(40, 'x') +
             "\"\n"
             "024B56000005,,,,extra\n",
         {"line 2, column 2: ip: \"192.168.1.300\" is not an IPv4 address",
          "line 3, column 1: terminal 2.75.86.0.0.1 is planned twice",
          "line 4, column 1: \"02:4B:56:00:00\" is not a MAC address",
          "line 4, column 3: sip.port: \"70000\" is not a number from 0 to 65535",
          "line 5, column 4: display_name: at most 16 characters",
          "line 6, column 5: more cells than the header has columns"},
         {}},
        {"read-only field, bad address key, same address twice",
         "ip,model\n10.0.0.1,SIP1\n10.0.0\n10.0.0.1\n",
         {"line 2, column 2: model: the field is read only",
          "line 3, column 1: \"10.0.0\" is not an IPv4 address",
          "line 4, column 1: terminal 10.0.0.1 is planned twice"},
         {}},
        {"a quote left open",
         "mac,display_name\n024B56000001,\"open\n",
         {"line 2: a quoted cell is not closed, or text follows its closing quote"},
         {}},
        {"nothing at all", "", {"line 1: the plan is empty: it needs a header line"}, {}},
        {"a header alone", "mac,ip\r\n", {"line 2: the plan names no terminal"}, {}},
    };
    for (const auto& c : cases) {
        TPlan plan;
        std::vector<TPlanError> errors;
        EXPECT_EQ(ParsePlan(c.csv, plan, errors), c.errors.empty()) << c.name;
        std::vector<std::string> texts;
        for (const TPlanError& error : errors)
            texts.push_back(PlanErrorText(error));
        EXPECT_EQ(texts, c.errors) << c.name;
        if (!c.errors.empty()) continue;
        ASSERT_EQ(plan.rows.size(), c.rows.size()) << c.name;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            ASSERT_EQ(plan.rows[r].values.size(), c.rows[r].size()) << c.name << " row " << r;
            for (std::size_t v = 0; v < c.rows[r].size(); ++v) {
                EXPECT_EQ(plan.rows[r].values[v].field->name, c.rows[r][v].field) << c.name;
                EXPECT_EQ(plan.rows[r].values[v].text, c.rows[r][v].text) << c.name;
            }
        }
    }
}

TEST(PlanTest, ExportedPlanReadsBackWithEveryValueAsTheTerminalHasIt) {
    TParamBlock block;
    SetFieldText(block, ParamField("model"), "SIP520");
    SetFieldInt(block, ParamField("dhcp"), 1);
    SetFieldText(block, ParamField("display_name"), "Gate, \"West\"");
    SetFieldIp(block, ParamField("ip"), "10.1.1.20");
    const std::vector<const TParamField*> fields = PlanFields();
    for (const char* name : {"ip", "display_name", "sip.user", "timezone", "mgmt.port"})
        EXPECT_NE(std::find(fields.begin(), fields.end(), &ParamField(name)), fields.end()) << name;
    for (const char* name : {"model", "mac", "display_name_copy"})
        EXPECT_EQ(std::find(fields.begin(), fields.end(), &ParamField(name)), fields.end()) << name;

    const TTableCells table = PlanTable(TPlanKey::kMac, fields, {{"2.75.86.0.0.1", block}});
    const std::string csv = TableCsv(table.header, table.rows);
    EXPECT_TRUE(csv.starts_with("mac,")) << csv;
    TPlan plan;
    std::vector<TPlanError> errors;
    ASSERT_TRUE(ParsePlan(csv, plan, errors)) << PlanErrorText(errors.front());
    ASSERT_EQ(plan.rows.size(), 1u);
    // Its values are the terminal's as the pages show them: applied back, they write exactly
    // what a save of the unchanged pages writes.
    TParamBlock applied;
    ASSERT_EQ(SaveAssignedValues(block, plan.rows[0].values, applied), "");
    EXPECT_EQ(applied, SaveShownPages(block, block));
    EXPECT_EQ(GetFieldText(applied, ParamField("display_name")), "Gate, \"West\"");
}

}  // namespace
