#include "manager/params/paramblock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/params/paramfamily.h"

namespace {

std::vector<std::uint8_t> Bytes(const TParamBlock& block, std::size_t offset, std::size_t n) {
    return {block.begin() + offset, block.begin() + offset + n};
}

// A block whose every byte is non-zero, so that what a write leaves alone is visible.
TParamBlock Patterned() {
    TParamBlock block;
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0xA0 + i % 7);
    return block;
}

TEST(ParamFieldTable, FieldsAndReservedRangesCoverTheBlockExactlyOnce) {
    std::vector<int> owners(kParamBlockBytes, 0);
    for (const TParamField& field : ParamFields())
        for (std::size_t i = field.offset; i < field.offset + field.width; ++i)
            ++owners.at(i);
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            ++owners.at(i);
    for (std::size_t i = 0; i < kParamBlockBytes; ++i)
        EXPECT_EQ(owners[i], 1) << "byte " << i;
}

TEST(ParamFieldTable, NamesAreUniqueAndPagesExist) {
    for (const TParamField& field : ParamFields()) {
        EXPECT_EQ(FindParamField(field.name), &field) << field.name;
        if (!field.page.empty()) {
            EXPECT_NE(FindPage(field.page), nullptr) << field.name;
        }
        if (!field.mirror.empty()) {
            EXPECT_NE(FindParamField(field.mirror), nullptr) << field.name;
        }
    }
    EXPECT_EQ(FindParamField("no.such"), nullptr);
}

// Each value written through its text form gives these bytes and reads back as text.
TEST(ParamFieldValues, TextFormsGiveTheBytesOfTheirEncoding) {
    struct Case {
        const char* name;
        const char* text;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
        const char* shown;  // nullptr: the text itself
    } cases[] = {
        {"mgmt.port", "8877", 176, {0x22, 0xAD}, nullptr},
        {"sip.port", "5060", 638, {0xC4, 0x13}, nullptr},
        {"monitor1.port", "5000", 946, {0x88, 0x13}, nullptr},
        {"sip.local_port", "5062", 760, {0x13, 0xC6}, nullptr},
        {"expiry", "3600", 762, {0x10, 0x0E}, nullptr},
        {"timezone", "-03:30", 696, {0x2E, 0xFF}, nullptr},
        {"timezone", "-210", 696, {0x2E, 0xFF}, "-03:30"},
        {"timezone", "+05:45", 696, {0x59, 0x01}, nullptr},
        {"talk.codecs", "3,2", 924, {3, 2, 0, 0, 0, 0, 0, 0}, nullptr},
        {"multicast.codec", "G.722", 936, {3, 0, 0, 0, 0, 0, 0, 0}, "3"},
        {"ip", "192.168.1.20", 144, {192, 168, 1, 20}, nullptr},
        {"dns1", "", 156, {0, 0, 0, 0}, nullptr},
        {"dns2", "0.0.0.0", 160, {0, 0, 0, 0}, ""},
        {"dhcp", "0", 164, {0}, nullptr},
        {"keepalive", "255", 934, {0xFF}, nullptr},
        {"key2.port", "6000", 470, {0x17, 0x70}, nullptr},
        {"key1.port", "0", 346, {0, 0}, ""},
        {"sip.server",
         "sip.example",
         860,
         {'s', 'i', 'p', '.', 'e', 'x', 'a', 'm', 'p', 'l', 'e', 0},
         nullptr},
        {"monitor.volume", "75", 932, {75}, nullptr},
        // One more field of each encoding, each with its worked bytes.
        {"uart_ctrl.local_port", "6006", 208, {0x17, 0x76}, nullptr},
        {"uart_data.baud", "1152", 324, {0x80, 0x04}, nullptr},
        {"uart_ctrl.target_ip", "10.0.2.1", 212, {10, 0, 2, 1}, nullptr},
        {"maint.user", "ab", 80, {'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, nullptr},
        {"talk.input", "1", 181, {1}, nullptr},
        {"multicast.input", "0", 683, {0}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        TParamBlock block = Patterned();
        const TParamField& field = ParamField(c.name);
        EXPECT_EQ(ParseFieldValue(block, field, c.text), "");
        EXPECT_EQ(Bytes(block, c.offset, c.bytes.size()), c.bytes);
        EXPECT_EQ(FormatFieldValue(block, field), c.shown ? c.shown : c.text);
    }
}

// The byte order of every 16-bit and 32-bit field, as the terminals' firmware reads it: the value
// 0x1234 (0x12345678) written into each field gives these bytes at its offset.
TEST(ParamFieldValues, EveryMultiByteNumberHasTheTerminalsByteOrder) {
    const std::vector<std::uint8_t> bigEndian{0x12, 0x34}, littleEndian{0x34, 0x12};
    struct Case {
        const char* name;
        std::size_t offset;
        const std::vector<std::uint8_t>& bytes;
    } cases[] = {
        {"mgmt.port", 176, bigEndian},
        {"sip.local_port", 760, bigEndian},
        {"key1.port", 346, bigEndian},
        {"key2.port", 470, bigEndian},
        {"key3.port", 482, bigEndian},
        {"key4.port", 618, bigEndian},
        {"uart_ctrl.local_port", 208, bigEndian},
        {"uart_ctrl.target_port", 210, bigEndian},
        {"uart_data.local_port", 276, bigEndian},
        {"uart_data.target_port", 278, bigEndian},
        {"sip.port", 638, littleEndian},
        {"expiry", 762, littleEndian},
        {"monitor1.port", 946, littleEndian},
        {"monitor10.port", 1126, littleEndian},
        {"uart_ctrl.baud", 256, littleEndian},
        {"uart_ctrl.frame_size", 264, littleEndian},
        {"uart_data.baud", 324, littleEndian},
        {"uart_data.max_frame", 332, littleEndian},
        {"timezone", 696, littleEndian},
    };
    for (const Case& c : cases) {
        TParamBlock block = Patterned();
        const TParamField& field = ParamField(c.name);
        SetFieldInt(block, field, 0x1234);
        EXPECT_EQ(Bytes(block, c.offset, 2), c.bytes) << c.name;
        EXPECT_EQ(GetFieldInt(block, field), 0x1234) << c.name;
    }
    TParamBlock block = Patterned();
    SetFieldInt(block, ParamField("features"), 0x12345678);
    EXPECT_EQ(Bytes(block, 8, 4), (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
    block[8] = 0x08, block[9] = 0x00, block[10] = 0x00, block[11] = 0x80;
    EXPECT_EQ(GetFieldInt(block, ParamField("features")), 0x80000008);
}

TEST(ParamFieldValues, ReadingRulesOfFlagsCodecsAndSignedNumbers) {
    TParamBlock block = Patterned();
    block[164] = 2;  // flag: only 1 is on
    block[181] = 2;  // flag-like: anything but 0 is on
    const std::uint8_t codecs[8] = {0, 5, 2, 2, 1, 3, 1, 0};
    std::copy(std::begin(codecs), std::end(codecs), block.begin() + 924);
    block[696] = 0xE0, block[697] = 0x01;
    const std::uint8_t mac[6] = {0, 26, 43, 60, 77, 94};
    std::copy(std::begin(mac), std::end(mac), block.begin() + 2);
    EXPECT_EQ(GetFieldInt(block, ParamField("dhcp")), 0);
    EXPECT_EQ(GetFieldInt(block, ParamField("talk.input")), 1);
    EXPECT_EQ(GetCodecs(block, ParamField("talk.codecs")), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(FormatFieldValue(block, ParamField("timezone")), "+08:00");
    EXPECT_EQ(FormatFieldValue(block, ParamField("mac")), "0.26.43.60.77.94");
}

TEST(ParamFieldValues, CharacterFieldsKeepOrClearTheBytesBehindTheTerminator) {
    TParamBlock block = Patterned();
    // 16 characters: stored with a terminator, copied to 112 without one.
    SetFieldText(block, ParamField("display_name"), "ABCDEFGHIJKLMNOP");
    const std::vector<std::uint8_t> sixteen{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                                            'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
    EXPECT_EQ(Bytes(block, 796, 16), sixteen);
    EXPECT_EQ(block[812], 0);
    EXPECT_EQ(Bytes(block, 112, 16), Bytes(block, 796, 16));
    // A user number of 16 characters keeps 15 and a terminator; its copy equals the field.
    SetFieldText(block, ParamField("sip.user"), "1234567890123456");
    EXPECT_EQ(FormatFieldValue(block, ParamField("sip.user")), "123456789012345");
    EXPECT_EQ(block[675], 0);
    EXPECT_EQ(Bytes(block, 128, 16), Bytes(block, 660, 16));
    // An empty password over "abc" changes only the first byte.
    SetFieldText(block, ParamField("sip.password"), "abc");
    TParamBlock before = block;
    SetFieldText(block, ParamField("sip.password"), "");
    before[520] = 0;
    EXPECT_EQ(block, before);
    // A field cleared before writing holds only zeros after an empty text.
    SetFieldText(block, ParamField("maint.user"), "");
    EXPECT_EQ(Bytes(block, 80, 16), std::vector<std::uint8_t>(16, 0));
    // An address the encoder does not accept is stored as 0.0.0.0.
    SetFieldIp(block, ParamField("ip"), "192.168.1.300");
    EXPECT_EQ(Bytes(block, 144, 4), std::vector<std::uint8_t>(4, 0));
}

TEST(ParamFieldValues, BadTextsAreRefusedNamingTheFieldAndChangeNothing) {
    struct Case {
        const char* name;
        const char* text;
        const char* error;
    } cases[] = {
        {"ip", "192.168.1.300", "ip: \"192.168.1.300\" is not an IPv4 address"},
        {"mgmt.port", "65536", "mgmt.port: \"65536\" is not a number from 0 to 65535"},
        {"mgmt.port", "80x", "mgmt.port: \"80x\" is not a number from 0 to 65535"},
        {"keepalive", "0", "keepalive: \"0\" is not a number from 1 to 255"},
        {"expiry", "10", "expiry: \"10\" is not a number from 20 to 7200"},
        {"dhcp", "2", "dhcp: \"2\" is not a number from 0 to 1"},
        {"display_name", "ABCDEFGHIJKLMNOPQ", "display_name: at most 16 characters"},
        {"sip.user", "1234567890123456", "sip.user: at most 15 characters"},
        {"display_name", "一二三四五六七八九十一二三四五六",
         "display_name: the text does not fit its 32-byte field"},
        {"timezone", "+08:10",
         "timezone: \"+08:10\" is not one of the time zones -12:00 to +14:00"},
        {"timezone", "100", "timezone: \"100\" is not one of the time zones -12:00 to +14:00"},
        {"timezone", "-2147483648",
         "timezone: \"-2147483648\" is not one of the time zones -12:00 to +14:00"},
        {"talk.codecs", "1,4", "talk.codecs: \"4\" is not a codec (1, 2 or 3, each once)"},
        {"talk.codecs", "1,1", "talk.codecs: \"1\" is not a codec (1, 2 or 3, each once)"},
        {"mac", "1.2.3.4.5.6", "mac: the field is read only"},
        {"run_status", "0", "run_status: the field is read only"},
        {"display_name_copy", "x", "display_name_copy: the field is read only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        TParamBlock block = Patterned();
        EXPECT_EQ(ParseFieldValue(block, ParamField(c.name), c.text), c.error);
        EXPECT_EQ(block, Patterned());
    }
}

TEST(ParamRecords, KeyRecordsAreClearedThenWrittenByMode) {
    TParamBlock block = Patterned();
    SetKeyRecord(block, 1, {true, "239.1.1.1", 5004});  // key 2: scattered offsets
    EXPECT_EQ(Bytes(block, 432, 2), (std::vector<std::uint8_t>{1, 1}));
    EXPECT_EQ(Bytes(block, 434, 2), Bytes(Patterned(), 434, 2));  // reserved between
    EXPECT_EQ(Bytes(block, 470, 2), (std::vector<std::uint8_t>{0x13, 0x8C}));
    EXPECT_EQ(FormatFieldValue(block, ParamField("key2.target")), "239.1.1.1");
    EXPECT_EQ(Bytes(block, 445, 7), std::vector<std::uint8_t>(7, 0));
    SetKeyRecord(block, 0, {false, "8001", 5004});  // a SIP call has no port
    EXPECT_EQ(Bytes(block, 344, 4), (std::vector<std::uint8_t>{0, 2, 0, 0}));
    EXPECT_EQ(GetKeyRecord(block, 0).target, "8001");
    EXPECT_FALSE(GetKeyRecord(block, 0).multicast);
    EXPECT_EQ(GetKeyRecord(block, 1).port, 5004);
}

TEST(ParamRecords, MonitorEntriesOfOnePriorityShowTheLastOneAndSaveAsTen) {
    TParamBlock block = Patterned();
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        block[944 + 20 * k + 1] = 5;
        SetFieldText(block, ParamField("monitor" + std::to_string(k + 1) + ".address"),
                     "239.0.0." + std::to_string(k));
    }
    TMonitorRows rows = GetMonitorRows(block);
    for (std::size_t row = 0; row < kMonitorEntries; ++row)
        EXPECT_EQ(rows[row].address, row == 4 ? "239.0.0.9" : "") << row;
    SetMonitorRows(block, rows);
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        EXPECT_EQ(block[944 + 20 * k], k);
        EXPECT_EQ(block[944 + 20 * k + 1], k + 1);
        EXPECT_EQ(
            FormatFieldValue(block, ParamField("monitor" + std::to_string(k + 1) + ".address")),
            k == 4 ? "239.0.0.9" : "");
    }
    // Priority 0 goes to row 1; above 10 nowhere.
    block[945] = 0, block[965] = 11, block[985] = 2;
    SetFieldText(block, ParamField("monitor1.address"), "239.9.9.1");
    SetFieldText(block, ParamField("monitor2.address"), "239.9.9.2");
    SetFieldText(block, ParamField("monitor3.address"), "239.9.9.3");
    rows = GetMonitorRows(block);
    EXPECT_EQ(rows[0].address, "239.9.9.1");
    EXPECT_EQ(rows[1].address, "239.9.9.3");
    for (const TMonitorRow& row : rows)
        EXPECT_NE(row.address, "239.9.9.2");
}

}  // namespace
