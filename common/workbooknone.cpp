// Workbook files in a build made without libzip and libxlsxwriter: refused with a plain message.
#include "common/workbook.h"

namespace {
constexpr const char* kNoWorkbooks = "this build cannot read or write .xlsx workbooks; use CSV";
}

bool WorkbooksBuilt() {
    return false;
}

bool ParseWorkbook(std::string_view, TTable& table, TTableError* error) {
    table = TTable{};
    if (error) *error = {0, 0, kNoWorkbooks};
    return false;
}

bool WorkbookBytes(const std::vector<std::string>&, const std::vector<std::vector<std::string>>&,
                   std::string&, std::string* error) {
    if (error) *error = kNoWorkbooks;
    return false;
}
