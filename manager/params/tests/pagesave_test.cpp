#include "manager/params/pagesave.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/access/addresstext.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfilecommands.h"

namespace {

// A terminal whose every byte is set, so that a byte a write should leave alone shows it.
TParamBlock Terminal(const char* model, bool dataPort, std::uint8_t seed) {
    TParamBlock block;
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(seed + i % 13);
    block[8] = dataPort ? kFeatureDataPort : 0;
    SetFieldText(block, ParamField("model"), model);
    SetFieldText(block, ParamField("firmware"), "V2.7.0");
    SetFieldText(block, ParamField("display_name"), std::string("Lobby ") + model);
    SetFieldText(block, ParamField("sip.user"), "8001");
    // Addresses the pages' checks accept: from DHCP, extended addresses empty.
    SetFieldInt(block, ParamField("dhcp"), 1);
    SetFieldInt(block, ParamField("auto_dns"), 1);
    for (const char* field : {"uart_ctrl.target_ip", "uart_data.target_ip", "event_server",
                              "time_server1", "time_server2"})
        SetFieldIp(block, ParamField(field), "0.0.0.0");
    return block;
}

std::vector<std::size_t> ChangedBytes(const TParamBlock& a, const TParamBlock& b, std::size_t first,
                                      std::size_t last) {
    std::vector<std::size_t> changed;
    for (std::size_t i = first; i <= last; ++i)
        if (a[i] != b[i]) changed.push_back(i);
    return changed;
}

// Every writer on one SIP1201 without a data port: the header, the feature flags, the reserved
// ranges and the data port's fields keep the terminal's bytes, whatever the source holds.
TEST(PageSave, EveryWriterKeepsTheTerminalsOwnBytes) {
    const TParamBlock terminal = Terminal("SIP1201", false, 0x31);
    TParamBlock other = Terminal("SIP1603", true, 0x52);
    SetFieldIp(other, ParamField("event_server"), "10.9.9.9");
    const TFieldAssignment name{&ParamField("display_name"), "Gate", nullptr};
    TParamBlock set;
    ASSERT_EQ(SaveAssignedValues(terminal, std::span(&name, 1), set), "");
    const struct {
        const char* path;
        TParamBlock written;
        const TParamBlock* pages;  // whose values the pages carry
    } cases[] = {
        {"set", set, nullptr},
        {"restore own", SaveShownPages(ImportParamBlock(terminal, terminal).block, terminal),
         &terminal},
        {"restore other", SaveShownPages(ImportParamBlock(other, terminal).block, terminal),
         &other},
        {"defaults",
         SaveShownPages(DefaultParams(terminal, "/nonexistent", "10.1.1.2").block, terminal),
         nullptr},
    };
    for (const auto& c : cases) {
        for (const TByteRange& range : ReservedRanges())
            EXPECT_EQ(ChangedBytes(c.written, terminal, range.first, range.last),
                      std::vector<std::size_t>{})
                << c.path;
        for (const char* field : {"mac", "features", "model", "firmware", "run_status",
                                  "uart_data.baud", "uart_data.target_ip", "event_server"}) {
            const TParamField& f = ParamField(field);
            EXPECT_EQ(ChangedBytes(c.written, terminal, f.offset, f.offset + f.width - 1u),
                      std::vector<std::size_t>{})
                << c.path << " " << field;
        }
        EXPECT_EQ(GetFieldInt(c.written, ParamField("uart_ctrl.frame_size")), 1000) << c.path;
        // The copies follow the display name and the user number.
        for (const char* field : {"display_name", "sip.user"}) {
            const TParamField& f = ParamField(field);
            const TParamField& copy = ParamField(f.mirror);
            EXPECT_TRUE(std::equal(c.written.begin() + copy.offset,
                                   c.written.begin() + copy.offset + copy.width,
                                   c.written.begin() + f.offset))
                << c.path << " " << field;
        }
        if (c.pages) {
            EXPECT_EQ(GetFieldText(c.written, ParamField("display_name")),
                      GetFieldText(*c.pages, ParamField("display_name")))
                << c.path;
        }
    }
    EXPECT_EQ(GetFieldText(set, ParamField("display_name")), "Gate");
    EXPECT_EQ(GetFieldText(cases[3].written, ParamField("display_name")), "");
}

// A stored value goes back as its page shows it.
TEST(PageSave, StoredValuesGoBackAsThePagesShowThem) {
    const struct {
        const char* field;
        std::int64_t stored, written;
    } cases[] = {
        {"talk.auto_answer", 100, 61},
        {"talk.auto_answer", 60, 60},
        {"talk.gain", 150, 100},
        {"talk.echo", 9, 4},
        {"keepalive", 0, 30},
        {"expiry", 10, 3600},
        {"expiry", 7200, 7200},
        {"monitor.volume", 30, 60},
        {"uart_ctrl.parity", 7, 255},
        {"uart_ctrl.parity", 4, 4},
        {"uart_data.flow", 3, 255},
        {"uart_data.mode", 2, 2},
        {"uart_ctrl.data_bits", 9, 8},
        {"uart_data.data_bits", 7, 7},
        {"uart_ctrl.stop_bits", 3, 1},
        {"uart_data.max_frame", 2000, 1440},
        {"timezone", 7, 480},
        {"timezone", -210, -210},
        {"dhcp", 5, 0},
        {"talk.input", 5, 1},
        {"uart_data.protocol", 0, 1},
    };
    for (const auto& c : cases) {
        TParamBlock terminal = Terminal("SIP1601", true, 0x11);
        const TParamField& field = ParamField(c.field);
        if (field.width == 1)
            terminal[field.offset] = static_cast<std::uint8_t>(c.stored);  // flags as stored
        else
            SetFieldInt(terminal, field, c.stored);
        const TParamBlock written = SaveShownPages(terminal, terminal);
        EXPECT_EQ(GetFieldInt(written, ParamField(c.field)), c.written)
            << c.field << " " << c.stored;
    }
    // The monitor volume's copy follows it; an empty multicast codec list shows the first codec.
    TParamBlock terminal = Terminal("SIP1601", true, 0x11);
    SetFieldInt(terminal, ParamField("monitor.volume"), 30);
    SetCodecs(terminal, ParamField("multicast.codec"), {});
    const TParamBlock written = SaveShownPages(terminal, terminal);
    EXPECT_EQ(written[178], 60);
    EXPECT_EQ(std::vector<std::uint8_t>(written.begin() + 936, written.begin() + 944),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PageSave, BytesThatDoNotDecodeAreKeptRatherThanTurnedIntoQuestionMarks) {
    TParamBlock terminal = Terminal("SIP310", false, 0x21);
    const std::uint8_t name[] = {0xFF, 0xFE, 'A', 0};
    std::copy(std::begin(name), std::end(name), terminal.begin() + 796);
    const TFieldAssignment user{&ParamField("sip.user"), "8002", nullptr};
    TParamBlock written;
    ASSERT_EQ(SaveAssignedValues(terminal, std::span(&user, 1), written), "");
    EXPECT_TRUE(std::equal(std::begin(name), std::end(name), written.begin() + 796));
    EXPECT_EQ(GetFieldText(written, ParamField("sip.user")), "8002");
}

TEST(PageSave, ValuesATerminalCannotTakeAreRefused) {
    const struct {
        const char* model;
        const char* name;
        const char* text;
        std::string refusal;
    } cases[] = {
        {"SIP520", "event_server", "10.0.0.9",
         "event_server: the terminal has no page \"GPIO\" (no data serial port)"},
        {"SIP520", "uart_data.baud", "96",
         "uart_data.baud: the terminal has no page \"DataUart\" (no data serial port)"},
        {"SIP520", "key1.mode", "1",
         "key1.mode: the terminal has no page \"KeySetting\" (model family 520)"},
        {"PA-1", "talk.gain", "10",
         "talk.gain: the terminal has no page \"IntercomSetting\" (a model without a family)"},
        {"SIP1601", "display_name", "\xF0\x9F\x98\x80",
         "display_name: \"\xF0\x9F\x98\x80\" has characters that the GBK code page cannot hold"},
        {"SIP1601", "display_name", "\xC3\xC5", "display_name: the text is not UTF-8"},
        {"SIP1601", "display_name", "\xE5\xBC\xA0\xE4\xB8\x89", ""},  // two Chinese characters
    };
    for (const auto& c : cases) {
        const TParamBlock terminal = Terminal(c.model, false, 0x40);
        const TFieldAssignment value{&ParamField(c.name), c.text, nullptr};
        TParamBlock written;
        const std::string refusal = SaveAssignedValues(terminal, std::span(&value, 1), written);
        EXPECT_EQ(refusal.substr(0, c.refusal.size()), c.refusal) << c.name;
        EXPECT_EQ(refusal.empty(), c.refusal.empty()) << refusal;
    }
}

TEST(PageSave, OnlySipTerminalsFromV25AreWritten) {
    const struct {
        const char* model;
        const char* firmware;
        std::string refusal;
    } cases[] = {
        {"SIP1201", "V2.5", ""},
        {"SIP1201", "V2.5.1", ""},
        {"SIP1201", "V3.0", ""},
        {"SIP1201", "V2.4.1", "firmware below V2.5 (\"V2.4.1\")"},
        {"SIP1201", "V2.10", "firmware below V2.5 (\"V2.10\")"},
        {"SIP1201", "", "firmware below V2.5 (\"\")"},
        {"PA-1", "V3.0", "not a SIP terminal (model \"PA-1\")"},
    };
    for (const auto& c : cases) {
        TParamBlock terminal = Terminal(c.model, false, 0x40);
        SetFieldText(terminal, ParamField("firmware"), c.firmware);
        EXPECT_EQ(WriteRefusal(terminal), c.refusal) << c.model << " " << c.firmware;
    }
}

}  // namespace
