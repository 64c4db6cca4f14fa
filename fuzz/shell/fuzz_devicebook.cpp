// Arbitrary bytes as a device book: loading never fails on content, gives one row per whole
// record with valid UTF-8 texts, and saving those rows gives records that load to the same rows.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/textcodec.h"
#include "manager/shell/devicebook.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

const std::string& Path() {
    static const std::string path = "/tmp/fuzz_devicebook-" + std::to_string(::getpid()) + ".dat";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(Path().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    TDeviceList list;
    Check(LoadDeviceFile(Path(), false, list).ok);
    Check(list.RowCount() == size / devbook::kSize);
    for (const TDeviceRow& row : list.Rows())
        for (const std::string& text : row.columns)
            Check(SanitizeUtf8(text) == text);

    TDeviceList books;
    Check(LoadDeviceFile(Path(), true, books).ok);
    Check(books.RowCount() <= list.RowCount());

    Check(SaveDeviceFile(Path(), list).ok);
    TDeviceList again;
    Check(LoadDeviceFile(Path(), false, again).ok);
    Check(again.RowCount() == list.RowCount());
    for (std::size_t i = 0; i < list.RowCount(); ++i)
        Check(again.Row(i).netInfo == list.Row(i).netInfo);
    std::remove(Path().c_str());
    return 0;
}
