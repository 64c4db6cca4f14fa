// The command-line vocabulary: aliases name the values of their names, and a value of an earlier
// field-form plan gives the same bytes in its page's form, or is refused, never misread.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "manager/params/paramassign.h"
#include "manager/params/paramfamily.h"

namespace {

TParamBlock DataPortBlock() {
    TParamBlock block;
    SetFieldText(block, ParamField("model"), "SIP310");
    SetFieldInt(block, ParamField("features"), kFeatureDataPort);
    return block;
}

std::vector<std::uint8_t> FieldBytes(const TParamBlock& block, const TParamField& field) {
    return {block.begin() + field.offset, block.begin() + field.offset + field.width};
}

TEST(ParamVocabulary, EveryAliasNamesOneValueThatListsIt) {
    const struct {
        const char* alias;
        const char* name;
    } cases[] = {
        {"echo", "talk.echo"},
        {"auto_answer", "talk.auto_answer"},
        {"ring.volume", "talk.ring_volume"},
        {"data_uart.baud", "uart_data.baud"},
        {"data_uart.target", "uart_data.target_ip"},
        {"data_uart.keepalive", "uart_data.keepalive"},
    };
    for (const auto& c : cases) {
        const std::optional<TParamName> named = FindParamName(c.alias);
        ASSERT_TRUE(named) << c.alias;
        EXPECT_EQ(named->Name(), c.name);
        EXPECT_EQ(named, FindParamName(c.name));
        const std::vector<std::string_view> aliases = AliasesOf(c.name);
        EXPECT_NE(std::find(aliases.begin(), aliases.end(), c.alias), aliases.end()) << c.alias;
    }
    // Every alias of every name leads back to it; no name is listed twice.
    std::set<std::string_view> seen;
    for (const TParamName& name : ParamNames()) {
        EXPECT_TRUE(seen.insert(name.Name()).second) << name.Name();
        for (std::string_view alias : AliasesOf(name.Name())) {
            EXPECT_EQ(FindParamName(alias), name) << alias;
            EXPECT_FALSE(FindParamField(alias)) << alias << " is also a field";
        }
    }
    for (const char* unknown : {"", "talk", "data_uart", "Echo", "key5", "monitor11"})
        EXPECT_FALSE(FindParamName(unknown)) << unknown;
}

// A page value named as its field once took the field's stored form in plans: every stored
// value that form wrote means the same bytes now, or is refused.
TEST(ParamVocabulary, StoredFormsOfPageValuesGiveTheSameBytesOrAreRefused) {
    int sameBytes = 0, refused = 0;
    for (const TParamName& name : ParamNames()) {
        if (!name.value || !name.field) continue;
        const TParamField& field = *name.field;
        std::vector<std::string> texts;
        if (field.kind == TFieldKind::kCodecList) {
            texts = {"3,1", "2", "1,2,3"};
        } else if (field.kind == TFieldKind::kIpv4) {
            texts = {"10.0.0.5", ""};
        } else {
            for (std::int64_t n :
                 {field.min, field.max, (field.min + field.max) / 2, field.min + 1})
                texts.push_back(std::to_string(n));
        }
        for (const std::string& text : texts) {
            SCOPED_TRACE(std::string(name.Name()) + "=" + text);
            TParamBlock asField = DataPortBlock();
            if (!ParseFieldValue(asField, field, text).empty()) continue;
            TParamBlock asPage = DataPortBlock();
            const std::vector<TFieldAssignment> values = {{name, text}};
            if (!AssignFieldValues(asPage, values).empty()) {
                ++refused;
                continue;
            }
            EXPECT_EQ(FieldBytes(asPage, field), FieldBytes(asField, field));
            ++sameBytes;
        }
    }
    // Most stored values keep working; the baud rate's hundreds (96 for 9600) are refused.
    EXPECT_GT(sameBytes, 60);
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 10);
}

TEST(ParamVocabulary, ValueFormsAreCheckedOnATerminalThatHasThePage) {
    const struct {
        const char* name;
        const char* text;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {"key1", "multicast:239.1.1.1:5004", ""},
        {"monitor3", "239.0.0.3",
         "monitor3: \"239.0.0.3\" is not ADDRESS:PORT with an IPv4 "
         "address and a port"},
        {"data_uart.baud", "9600", ""},
        {"uart_data.baud", "96",
         "uart_data.baud: \"96\" is not a baud rate in bps, a multiple "
         "of 100"},
        {"uart_data.parity", "5",
         "uart_data.parity: \"5\" is not one of NONE, EVEN, ODD, MARK or "
         "SPACE (or 0 to 4)"},
        {"echo", "high", "talk.echo: \"high\" is not a number from 0 to 4"},
        {"sip.port", "70000", "sip.port: \"70000\" is not a number from 0 to 65535"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckValueForm(*FindParamName(c.name), c.text), c.refusal) << c.name;
}

}  // namespace
