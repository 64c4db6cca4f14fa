// Arbitrary bytes as a list file: loading never fails on content and gives valid UTF-8 texts;
// once written and read back, the rows stay the same through every further write and read.
// (The writes stay in memory: saving is the same bytes replaced atomically, and a synced file
// per input would make the run too slow.)
#include <cstdint>
#include <string>
#include <string_view>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "manager/books/listfile.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = (fuzzsupport::ScratchFolder() / "list.dat").string();
    if (!fuzzsupport::WriteScratchFile(path,
                                       std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;

    TListRows rows;
    std::string error;
    const std::size_t count = LoadListFile(rows, path, &error);
    Check(error.empty() && count == rows.size());
    for (const TListRow& row : rows) {
        Check(!row.number.empty() && SanitizeUtf8(row.number) == row.number);
        Check(row.imageIndex >= 0 && row.imageIndex <= 9);
        for (const std::string& column : row.columns)
            Check(SanitizeUtf8(column) == column);
    }

    // Texts that the code page cannot hold become '?' on the first save; after that the rows
    // are a fixed point of saving and loading.
    TListRows once;
    Check(ParseListFile(FormatListFile(rows), once) == count);
    TListRows twice;
    Check(ParseListFile(FormatListFile(once), twice) == count);
    Check(twice == once);

    if (count > 1) {
        TListRows moved = once;
        MoveListRow(moved, 0, static_cast<int>(count - 1), 0);
        Check(moved.size() == count && moved.front().number == once.front().number);
    }
    return 0;
}
