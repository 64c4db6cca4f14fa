// Page values as the pages show and store them, and the baud text rule.
#include <gtest/gtest.h>

#include "manager/access/addresstext.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramfamily.h"

namespace {

TParamBlock Block(const char* model) {
    TParamBlock block;
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    block[8] = kFeatureDataPort;
    return block;
}

TEST(BaudText, LeadingDigitsOverAHundredOr9600) {
    const struct {
        const char* text;
        std::optional<int> stored;
    } cases[] = {{"115200 bps", 1152}, {"19200", 192}, {" 650 bps", 6},
                 {"bps", 96},          {"", 96},       {"99999999", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(BaudFieldOfText(c.text), c.stored) << c.text;
    EXPECT_EQ(BaudText(1152), "115200 bps");
}

TEST(PageValues, StoredAsThePagesStoreAndShownAsTheyShow) {
    const struct {
        const char* name;
        const char* text;
        const char* shown;  // nullptr: the text itself
        const char* field;  // a field that holds it
        const char* fieldValue;
    } cases[] = {
        {"talk.codecs", "G.711u(PCMU), G.722", "G.711u(PCMU),G.722", "talk.codecs", "1,3"},
        {"multicast.codec", "G.711a(PCMA)", nullptr, "multicast.codec", "2"},
        {"talk.codecs", "3, 1", "G.722,G.711u(PCMU)", "talk.codecs", "3,1"},
        {"uart_data.baud", "19200", nullptr, "uart_data.baud", "192"},
        {"talk.auto_answer", "HangUp", "hangup", "talk.auto_answer", "61"},
        {"talk.auto_answer", "61", "hangup", "talk.auto_answer", "61"},
        {"talk.auto_answer", "0", nullptr, "talk.auto_answer", "0"},
        {"talk.input", "LINE", "line", "talk.input", "1"},
        {"multicast.input", "mic", nullptr, "multicast.input", "0"},
        {"talk.ring_volume", "100", nullptr, "talk.ring_volume", "100"},
        {"talk.echo", "4", nullptr, "talk.echo", "4"},
        {"monitor.volume", "60", nullptr, "monitor.volume_copy", "60"},
        {"key4", "multicast:239.1.2.3:", nullptr, "key4.mode", "1"},
        {"key4", "call:8001", nullptr, "key4.type", "2"},
        {"monitor10", "239.0.0.10:5010", nullptr, "monitor10.priority", "10"},
        {"monitor10", "", nullptr, "monitor10.address", ""},
        {"uart_data.stop_bits", "2", nullptr, "uart_data.stop_bits", "2"},
        {"uart_data.mode", "client", "Client Mode", "uart_data.mode", "2"},
        {"uart_data.flow", "2", "DUPLEX", "uart_data.flow", "2"},
        {"uart_data.flow", "RTS", nullptr, "uart_data.flow", "1"},
        {"uart_data.target_ip", "", nullptr, "uart_data.target_ip", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        TParamBlock block = Block("SIP310");
        const TPageValue* value = FindPageValue(c.name);
        ASSERT_NE(value, nullptr);
        ASSERT_EQ(ParsePageValue(block, *value, c.text), "");
        EXPECT_EQ(FormatPageValue(block, *value), c.shown ? c.shown : c.text);
        EXPECT_EQ(FormatFieldValue(block, ParamField(c.field)), c.fieldValue);
    }
    // Stored values outside what a page offers are shown by the page's reading rule.
    TParamBlock block = Block("SIP310");
    block[ParamField("uart_data.data_bits").offset] = 3;
    block[ParamField("uart_data.parity").offset] = 7;
    block[ParamField("talk.echo").offset] = 9;
    EXPECT_EQ(FormatPageValue(block, *FindPageValue("uart_data.data_bits")), "8");
    EXPECT_EQ(FormatPageValue(block, *FindPageValue("uart_data.parity")), "7");
    EXPECT_EQ(FormatPageValue(block, *FindPageValue("talk.echo")), "4");
}

}  // namespace
