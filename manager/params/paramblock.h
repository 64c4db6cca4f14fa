// A terminal's parameter block: 1356 bytes exchanged byte for byte with the terminal and stored
// byte for byte in parameter files, described once as a table of fields.
//
// Every field has a stable dotted name ("sip.user"), an offset, a width, an encoding, a range, a
// shown-empty rule, a built-in default and the editor page that owns it. Encoders, decoders, the
// built-in defaults, the reserved-range list, the command line, the simulator and the tests all
// read this one table. Repeated records (key records, monitor entries) are one record layout plus
// the offsets of each instance; key 2's members lie apart from each other.
//
// Character fields go through the device code page. Fields "cleared before writing" are
// zero-filled first; other character fields keep the bytes after the terminator. Reserved ranges
// are never read or written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t kParamBlockBytes = 1356;

// The block as a value: copies copy all 1356 bytes.
struct TParamBlock {
    std::array<std::uint8_t, kParamBlockBytes> bytes{};

    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }
    static constexpr std::size_t size() { return kParamBlockBytes; }
    std::uint8_t& operator[](std::size_t i) { return bytes[i]; }
    const std::uint8_t& operator[](std::size_t i) const { return bytes[i]; }
    auto begin() { return bytes.begin(); }
    auto end() { return bytes.end(); }
    auto begin() const { return bytes.begin(); }
    auto end() const { return bytes.end(); }
    bool operator==(const TParamBlock&) const = default;
};
static_assert(sizeof(TParamBlock) == kParamBlockBytes);

// Offsets the shell and the main window use outside the editor.
constexpr std::size_t kParamMacOffset = 2;
constexpr std::size_t kParamModelOffset = 12;
constexpr std::size_t kParamModelWidth = 32;
constexpr std::size_t kParamRunStatusOffset = 170;
constexpr std::uint32_t kFeatureDataPort = 0x08;  // feature flags: data serial port, event server

enum class TFieldKind : std::uint8_t {
    kText,         // character field: terminator written, the bytes after it kept
    kTextCleared,  // character field cleared before writing
    kIpv4,         // 4 bytes, network order
    kPortBe,       // unsigned 16-bit, most significant byte first
    kLe16,         // unsigned 16-bit, least significant byte first
    kSignedLe16,   // signed 16-bit, least significant byte first
    kLe32,         // unsigned 32-bit bit set, least significant byte first (feature flags)
    kFlag,         // 1 on, anything else off; written 1 or 0
    kFlagLike,     // 0 off, anything else on; written 0 or 1
    kByte,         // unsigned 8-bit
    kCodecList,    // 8 codec codes in priority order
    kMac,          // 6 bytes, shown as the MAC text
    kBytes,        // raw bytes (copies of other fields)
};

// Where the built-in default of a field comes from.
enum class TDefaultKind : std::uint8_t {
    kKept,              // the terminal's own value stays
    kNumber,            // number (numeric kinds, flags)
    kText,              // text (character fields; dotted text for IPv4 fields)
    kClearedText,       // the field zero-filled, then the text
    kFamily,            // a column of the family default table
    kManagementServer,  // DefaultManagementServer, given by the caller
    kCodecs123,         // codes 1, 2, 3 in the first three bytes, the other five kept
    kFirstByteZero,     // only the first byte set to zero (monitor entry addresses)
};

// Columns of the family default table.
enum class TFamilyValue : std::uint8_t {
    kTalkGain,
    kMulticastGain,
    kEchoLevel,
    kTalkVolume,
    kRingVolume,
    kPlayVolume,
    kAutoAnswer,
};

// Groups in which the default-parameters command applies the built-in defaults.
enum class TDefaultGroup : std::uint8_t {
    kNone,  // never set by the defaults (identity, run state, copies, time)
    kNetwork,
    kAccount,
    kTalk,
    kMulticast,
    kKey,
    kMonitor,
    kControlSerial,
    kDataSerial,
    kEventServer,
    kMaintenance,
};

// How a field's value forms its text on the command line (beyond its encoding).
enum class TTextForm : std::uint8_t {
    kPlain,
    kTimeZone,  // minutes east of UTC as "+08:00"
};

struct TFieldDefault {
    TDefaultKind kind = TDefaultKind::kKept;
    std::int64_t number = 0;
    std::string_view text;
    TFamilyValue family = TFamilyValue::kTalkGain;
};

struct TParamField {
    std::string name;  // stable dotted name, e.g. "sip.user" or "key2.target"
    std::uint16_t offset = 0;
    std::uint16_t width = 0;
    TFieldKind kind = TFieldKind::kBytes;
    // Numeric kinds: the accepted values. Character fields: max is the most characters the
    // editor accepts (at most width - 1 bytes are stored in any case).
    std::int64_t min = 0, max = 0;
    bool zeroShownEmpty = false;  // 0 (or 0.0.0.0) is shown as an empty box
    bool readOnly = false;        // identity and run state: never written by the system
    TFieldDefault def;
    TDefaultGroup group = TDefaultGroup::kNone;
    std::string_view page;    // owning page of the page table ("BaseParam"), empty for none
    std::string_view mirror;  // a field that receives a copy of this one's first bytes on write
    TTextForm form = TTextForm::kPlain;
    std::string_view meaning;  // one line for `params fields`
};

struct TByteRange {
    std::uint16_t first, last;  // inclusive
};

// Every field of the block, in offset order of the table (records expanded: "key1.mode", ...,
// "monitor1.address" for entry 0 through "monitor10.address" for entry 9).
const std::vector<TParamField>& ParamFields();
// Nullptr for an unknown name.
const TParamField* FindParamField(std::string_view name);
// The field of a name the program itself uses; an unknown name is a programming error (abort).
const TParamField& ParamField(std::string_view name);

// Bytes that no field covers: carried unchanged through every save, export and file.
std::span<const TByteRange> ReservedRanges();

// The key records: one layout (mode, type, port, target) at four places; key 2's members lie
// apart. The monitor list: ten entries of 20 bytes (number, priority, port, address).
struct TKeyRecordInstance {
    std::string_view name;                 // "key2"
    std::array<std::uint16_t, 4> offsets;  // of mode, type, port, target
};
constexpr std::size_t kMonitorEntries = 10;
constexpr std::size_t kMonitorFirstOffset = 944;
constexpr std::size_t kMonitorEntryBytes = 20;
std::span<const TKeyRecordInstance> KeyRecords();

// Field access through the encodings. Numeric access: kPortBe, kLe16, kSignedLe16, kLe32, kFlag
// (1 or 0 by its rule), kFlagLike (1 or 0), kByte. Text access: kText, kTextCleared. Address
// access: kIpv4. Writes update the field's mirror too.
std::int64_t GetFieldInt(const TParamBlock& block, const TParamField& field);
void SetFieldInt(TParamBlock& block, const TParamField& field, std::int64_t value);
std::string GetFieldText(const TParamBlock& block, const TParamField& field);  // FixedToStr
void SetFieldText(TParamBlock& block, const TParamField& field, std::string_view utf8);
std::string GetFieldIp(const TParamBlock& block, const TParamField& field);  // dotted text
void SetFieldIp(TParamBlock& block, const TParamField& field, std::string_view text);
// Codec list: the known codes in order, zeros, unknown codes and repeats skipped.
std::vector<int> GetCodecs(const TParamBlock& block, const TParamField& field);
// The codes in order, then zero bytes up to the end of the list.
void SetCodecs(TParamBlock& block, const TParamField& field, std::span<const int> codes);

// A key record's value: a SIP call to target, or a multicast to the address target and port.
struct TKeyRecordValue {
    bool multicast = false;
    std::string target;
    int port = 0;
};
// key from 0 (key 1) to 3. A mode other than 0 reads as multicast.
TKeyRecordValue GetKeyRecord(const TParamBlock& block, std::size_t key);
// Target cleared and port 0 first; then a SIP call as mode 0, type 2 and the number, or a
// multicast as mode 1, type 1, the address and the port.
void SetKeyRecord(TParamBlock& block, std::size_t key, const TKeyRecordValue& value);

// The ten rows of the monitor list (row n from 1 is index n - 1).
struct TMonitorRow {
    std::string address;
    int port = 0;
};
using TMonitorRows = std::array<TMonitorRow, kMonitorEntries>;
// Each entry in turn goes to the row of its priority (0 and 1: row 1; 2 to 10: rows 2 to 10;
// above 10: nowhere); a later entry replaces an earlier one in the same row.
TMonitorRows GetMonitorRows(const TParamBlock& block);
// All ten entries: entry k gets number k, priority k + 1, the port and the address of row k + 1.
void SetMonitorRows(TParamBlock& block, const TMonitorRows& rows);

// Codec codes and their names.
constexpr int kCodecPcmu = 1, kCodecPcma = 2, kCodecG722 = 3;
std::string_view CodecName(int code);  // "G.711u(PCMU)", "G.711a(PCMA)", "G.722", or ""

// The value as the command line shows it: texts as they are, addresses dotted (empty where 0 is
// shown empty), numbers in decimal, flags 0 or 1, codec lists as codes "3,2", the MAC text,
// the time zone as "+08:00", raw bytes in hexadecimal.
std::string FormatFieldValue(const TParamBlock& block, const TParamField& field);
// Why a given text must not reach a terminal: it is not valid UTF-8, or the device code page
// cannot hold one of its characters (the terminal would receive '?'). Empty when it may.
std::string CodePageRefusal(std::string_view name, std::string_view text);
// Stores a text given in that form after checking it against the field's encoding and range.
// Returns an empty text on success, otherwise an error naming the field (the block is then
// unchanged). Read-only fields are refused.
std::string ParseFieldValue(TParamBlock& block, const TParamField& field, std::string_view text);
