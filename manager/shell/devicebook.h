// The device book "devdb.dat" and the user's device-list files: a plain sequence of 232-byte
// records, no header, no count. Texts are fixed-width fields in the device code page; the IP and
// MAC are stored as their texts. State, icon and network interface are not stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "manager/shell/devicelist.h"

namespace devbook {
constexpr std::size_t kSize = 232;
constexpr std::size_t kAccount = 0, kAccountWidth = 16;
constexpr std::size_t kDisplayName = 16, kDisplayNameWidth = 32;
constexpr std::size_t kIp = 48, kIpWidth = 16;
constexpr std::size_t kMac = 64, kMacWidth = 32;
constexpr std::size_t kModel = 96, kModelWidth = 32;
constexpr std::size_t kFirmware = 128, kFirmwareWidth = 32;
constexpr std::size_t kLocation = 160, kLocationWidth = 32;
constexpr std::size_t kMask = 192;
constexpr std::size_t kGateway = 196;
constexpr std::size_t kDns1 = 200;
constexpr std::size_t kDns2 = 216;
}  // namespace devbook

// The file name of the device book in the program folder.
inline constexpr const char* kDeviceBookFile = "devdb.dat";

struct TDevBookRecord {
    std::array<std::uint8_t, devbook::kSize> bytes{};
};
static_assert(sizeof(TDevBookRecord) == devbook::kSize);

// Zero-filled record of a row: columns 0-5 and 7 cut to their widths (a text still as loaded from
// bytes the code page cannot decode goes back as those bytes), the network record when the
// row has one.
TDevBookRecord RowToBookRecord(const TDeviceRow& row);
// The row of a record as loading gives it: "Offline", icon 0, empty network interface, the
// network record attached.
TDeviceRow BookRecordToRow(const TDevBookRecord& record);
// Yes when the location field, as a zero-terminated text, is exactly "Books".
bool IsBooksRecord(const TDevBookRecord& record);

// Outcome of a file operation; error is the system's error text for the message box.
struct TFileResult {
    bool ok = true;
    std::string error;
};

// Writes every row in list order. The file is replaced atomically (temporary file in the same
// folder, flushed to disk, then renamed), so a failed write leaves the old file as it was.
TFileResult SaveDeviceFile(const std::string& path, const TDeviceList& list);

// What loading does with a file that does not exist.
enum class TMissingFile {
    kCreate,  // create it empty, add no rows (the window); a failed creation is reported
    kNoRows,  // add no rows, create nothing (read-only callers)
    kError,   // report the system's error text
};

// Appends the file's rows (only records located in "Books" when booksOnly). A trailing part
// shorter than a record is ignored. On a read error the rows taken so far stay in the list.
TFileResult LoadDeviceFile(const std::string& path, bool booksOnly, TDeviceList& list,
                           TMissingFile missing = TMissingFile::kCreate);
