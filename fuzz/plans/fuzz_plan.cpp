// Arbitrary bytes as a settings plan: the check never crashes; a refused plan says where; an
// accepted one holds only non-empty values its fields take, and stores them into a block.
#include <cstdint>
#include <string_view>

#include "fuzz/support/fuzzsupport.h"
#include "manager/plans/plan.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TPlan plan;
    std::vector<TPlanError> errors;
    const bool accepted = ParsePlan(bytes, plan, errors);
    Check(accepted == errors.empty());
    for (const TPlanError& error : errors)
        Check(error.line >= 0 && !error.text.empty());  // 0: the file as a whole
    if (!accepted) return 0;
    for (const TPlanRow& row : plan.rows) {
        for (const TFieldAssignment& value : row.values) {
            Check(!value.text.empty());
            Check(CheckValueForm(value.Named(), value.text).empty());
        }
        TParamBlock block{};
        AssignFieldValues(block, row.values);
    }
    return 0;
}
