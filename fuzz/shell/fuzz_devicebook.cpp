// Arbitrary bytes as a device book: loading never fails on content, gives one row per whole
// record with valid UTF-8 texts, and a row saved and loaded keeps its texts. Records are
// built in memory rather than saved: the atomic writer syncs every file, which would bound the
// target to the disk's speed.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "manager/shell/devicebook.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzzsupport::ScratchFolder() / "devdb.dat";
    if (!fuzzsupport::WriteScratchFile(file,
                                       std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;

    TDeviceList list;
    Check(LoadDeviceFile(file.string(), false, list, TMissingFile::kError).ok);
    Check(list.RowCount() == size / devbook::kSize);
    std::size_t books = 0;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const TDeviceRow& row = list.Row(i);
        for (const std::string& text : row.columns)
            Check(SanitizeUtf8(text) == text);
        TDevBookRecord record;
        std::memcpy(record.bytes.data(), data + i * devbook::kSize, devbook::kSize);
        books += IsBooksRecord(record);

        // Saving a row and loading it again may cut its texts to their fields once; from then
        // on the row stays as it is.
        const TDeviceRow again = BookRecordToRow(RowToBookRecord(row));
        Check(again.netInfo == row.netInfo && again.state == row.state);
        const TDeviceRow stable = BookRecordToRow(RowToBookRecord(again));
        Check(stable.columns == again.columns);
    }

    TDeviceList onlyBooks;
    Check(LoadDeviceFile(file.string(), true, onlyBooks, TMissingFile::kError).ok);
    Check(onlyBooks.RowCount() == books);
    return 0;
}
