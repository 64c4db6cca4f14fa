// Arbitrary bytes as a parameter file: only exactly 1356 bytes give a block, which then holds
// those bytes; every field reads to valid UTF-8, the page texts and rules never crash, and a
// block restored onto itself is itself. Other lengths serve as a value text for every field, as
// the command line takes them: a refused text leaves the block as it was. Those texts stop at 256
// bytes, four times the widest field: a longer one takes the same way through every check and
// would only make each run slower.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "manager/params/pagesave.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"
#include "manager/params/paramtexts.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<TParamBlock> block = ParseParamFile(bytes);
    Check(block.has_value() == (size == kParamBlockBytes));
    if (!block) {
        const TParamBlock before{};
        const std::string_view text = bytes.substr(0, 256);
        for (const TParamField& field : ParamFields()) {
            TParamBlock after = before;
            if (!ParseFieldValue(after, field, text).empty()) Check(after == before);
        }
        return 0;
    }
    Check(std::string_view(reinterpret_cast<const char*>(block->data()), block->size()) == bytes);
    for (const TParamField& field : ParamFields()) {
        const std::string text = FormatFieldValue(*block, field);
        Check(SanitizeUtf8(text) == text);
    }
    const std::string status = StatusText((*block)[kParamRunStatusOffset]);
    Check(SanitizeUtf8(status) == status);
    for (std::size_t key = 0; key < KeyRecords().size(); ++key)
        GetKeyRecord(*block, key);
    const TMonitorRows rows = GetMonitorRows(*block);
    TParamBlock saved = *block;
    SetMonitorRows(saved, rows);
    Check(GetMonitorRows(saved).size() == kMonitorEntries);
    Check(IsParamFileCompatible(*block, *block) == (BlockFamily(*block) != TModelFamily::kNone));
    // A save of what a save wrote changes nothing, and never touches a reserved byte.
    const TParamBlock once = SaveShownPages(*block, *block);
    Check(SaveShownPages(once, once) == once);
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            Check(once[i] == (*block)[i]);
    TParamBlock defaults = *block;
    ApplyBuiltInDefaults(defaults, "10.1.1.2");
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            Check(defaults[i] == (*block)[i]);
    return 0;
}
