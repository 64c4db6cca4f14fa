// Plan files: the key column in every MAC form, the field columns, and the whole-plan checks
// with their lines and columns.
#include <gtest/gtest.h>

#include <set>

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
        {"a read-only field, a part of a key, a page value's alias twice",
         "ip,model,key1.target,echo,talk.echo\n",
         {"line 1, column 2: a plan cannot set \"model\" (see: pelmora-cli params fields)",
          "line 1, column 5: column \"talk.echo\" appears twice"},
         {}},
        {"bad address key, same address twice, values refused by their page's form",
         "ip,data_uart.baud,talk.codecs,key1\n10.0.0.1,9650,G.722;G.729\n10.0.0\n10.0.0.1,,,"
         "speed\n",
         {"line 2, column 2: uart_data.baud: \"9650\" is not a baud rate in bps, a multiple of 100",
          "line 2, column 3: talk.codecs: \"G.722;G.729\" is not a codec name (G.711u(PCMU), "
          "G.711a(PCMA), G.722, each once)",
          "line 3, column 1: \"10.0.0\" is not an IPv4 address",
          "line 4, column 1: terminal 10.0.0.1 is planned twice",
          "line 4, column 4: key1: \"speed\" is not call:NUMBER or multicast:ADDRESS:PORT (at most "
          "15 characters)"},
         {}},
        {"page values by their names and aliases, in their forms or as stored numbers",
         "mac,Ring.Volume,data_uart.parity,uart_data.flow,talk.codecs,key1\n"
         "024B56000001,80,even,2,\"3,G.711a(PCMA)\",\n",
         {},
         {{{"talk.ring_volume", "80"},
           {"uart_data.parity", "even"},
           {"uart_data.flow", "2"},
           {"talk.codecs", "3,G.711a(PCMA)"}}}},
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
                EXPECT_EQ(plan.rows[r].values[v].Name(), c.rows[r][v].field) << c.name;
                EXPECT_EQ(plan.rows[r].values[v].text, c.rows[r][v].text) << c.name;
            }
        }
    }
}

TEST(PlanTest, ExportedPlanReadsBackWithEveryValueAsTheTerminalHasIt) {
    TParamBlock block;
    SetFieldText(block, ParamField("model"), "SIP310");
    SetFieldInt(block, ParamField("features"), kFeatureDataPort);
    SetFieldInt(block, ParamField("dhcp"), 1);
    SetFieldText(block, ParamField("display_name"), "Gate, \"West\"");
    SetFieldIp(block, ParamField("ip"), "10.1.1.20");
    SetFieldInt(block, ParamField("uart_data.baud"), 96);
    SetKeyRecord(block, 1, {true, "239.1.1.1", 5004});
    const std::vector<TParamName> names = PlanExportNames();
    std::set<std::string_view> exported;
    for (const TParamName& name : names)
        exported.insert(name.Name());
    // A key as one value, never also its parts; page values by their field names.
    for (const char* name : {"ip", "display_name", "sip.user", "timezone", "mgmt.port", "key2",
                             "monitor10", "talk.echo", "uart_data.baud"})
        EXPECT_TRUE(exported.contains(name)) << name;
    for (const char* name :
         {"model", "mac", "display_name_copy", "key2.target", "echo", "data_uart.baud"})
        EXPECT_FALSE(exported.contains(name)) << name;

    const TTableCells table = PlanTable(TPlanKey::kMac, names, {{"2.75.86.0.0.1", block}});
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
    EXPECT_NE(csv.find(",multicast:239.1.1.1:5004,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",9600,"), std::string::npos) << csv;
}

}  // namespace
