#include "manager/shell/devicebook.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/textutil.h"

namespace {

using namespace devbook;

// Texts stored with their field, in list column order.
struct TTextField {
    int column;
    std::size_t offset, width;
};
constexpr TTextField kTextFields[] = {
    {kColAccount, kAccount, kAccountWidth},
    {kColDisplayName, kDisplayName, kDisplayNameWidth},
    {kColIp, kIp, kIpWidth},
    {kColMac, kMac, kMacWidth},
    {kColModel, kModel, kModelWidth},
    {kColFirmware, kFirmware, kFirmwareWidth},
    {kColLocation, kLocation, kLocationWidth},
};

// Records read per call; loading a large book stays a few dozen reads.
constexpr std::size_t kReadChunk = 256;

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

TFileResult FileError(int errorNumber) {
    return {false, std::strerror(errorNumber)};
}

}  // namespace

TDevBookRecord RowToBookRecord(const TDeviceRow& row) {
    TDevBookRecord record;  // zero-filled
    std::uint8_t* b = record.bytes.data();
    for (const TTextField& f : kTextFields) {
        const auto column = static_cast<std::size_t>(f.column);
        const std::string& undecoded = row.undecodedBytes[column];
        if (!undecoded.empty() &&
            FixedToStr(reinterpret_cast<const std::uint8_t*>(undecoded.data()), undecoded.size()) ==
                row.columns[column]) {
            std::memcpy(b + f.offset, undecoded.data(), std::min(undecoded.size(), f.width));
        } else {
            StrToFixed(row.columns[column], b + f.offset, f.width);
        }
    }
    if (row.netInfo) {
        std::memcpy(b + kMask, row.netInfo->mask.data(), 4);
        std::memcpy(b + kGateway, row.netInfo->gateway.data(), 4);
        std::memcpy(b + kDns1, row.netInfo->dns1.data(), 4);
        std::memcpy(b + kDns2, row.netInfo->dns2.data(), 4);
    }
    return record;
}

TDeviceRow BookRecordToRow(const TDevBookRecord& record) {
    const std::uint8_t* b = record.bytes.data();
    TDeviceRow row;
    row.state = kStateOffline;
    row.icon = kIconUnreachable;
    for (const TTextField& f : kTextFields) {
        const auto column = static_cast<std::size_t>(f.column);
        row.columns[column] = FixedToStr(b + f.offset, f.width);
        const char* field = reinterpret_cast<const char*>(b + f.offset);
        const std::string_view bytes(field, std::find(field, field + f.width, '\0') - field);
        // Trimmed blanks aside, a text that does not encode back to its bytes lost some of them.
        if (ToDeviceBytes(row.columns[column]) != TrimBlanks(bytes))
            row.undecodedBytes[column] = std::string(bytes);
    }
    TRowNetInfo net;
    std::memcpy(net.mask.data(), b + kMask, 4);
    std::memcpy(net.gateway.data(), b + kGateway, 4);
    std::memcpy(net.dns1.data(), b + kDns1, 4);
    std::memcpy(net.dns2.data(), b + kDns2, 4);
    row.netInfo = net;
    return row;
}

bool IsBooksRecord(const TDevBookRecord& record) {
    static constexpr char kBooks[] = "Books";  // with its zero byte
    return std::memcmp(record.bytes.data() + kLocation, kBooks, sizeof kBooks) == 0;
}

TFileResult SaveDeviceFile(const std::string& path, const TDeviceList& list) {
    std::string bytes;
    bytes.reserve(list.RowCount() * kSize);
    for (const TDeviceRow& row : list.Rows()) {
        const TDevBookRecord record = RowToBookRecord(row);
        bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kSize);
    }
    TFileResult result;
    result.ok = WriteFileAtomically(path, bytes, &result.error);
    return result;
}

TFileResult LoadDeviceFile(const std::string& path, bool booksOnly, TDeviceList& list,
                           TMissingFile missing) {
    TFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const int error = errno;
        if (error != ENOENT || missing == TMissingFile::kError) return FileError(error);
        if (missing == TMissingFile::kNoRows) return {};
        // "ab" creates the file without truncating one that appeared meanwhile.
        TFile created(std::fopen(path.c_str(), "ab"));
        return created ? TFileResult{} : FileError(errno);
    }

    std::vector<TDeviceRow> rows;
    std::vector<TDevBookRecord> chunk(kReadChunk);
    TFileResult result;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), kSize, kReadChunk, file.get());
        for (std::size_t i = 0; i < got; ++i)
            if (!booksOnly || IsBooksRecord(chunk[i])) rows.push_back(BookRecordToRow(chunk[i]));
        if (got < kReadChunk) {
            // A tail shorter than a record is not read; a read error ends the operation.
            if (std::ferror(file.get())) result = FileError(errno ? errno : EIO);
            break;
        }
    }
    list.AppendRows(std::move(rows));
    return result;
}
