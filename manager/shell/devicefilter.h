// Finding terminals in a long list: which rows a typed text leaves visible. The rows themselves,
// their order and every file or hand-off made from them never depend on it.
#pragma once

#include <string_view>

#include "manager/shell/devicelist.h"

// Yes when text (blanks around it ignored) is empty, or when the account, display name, IP, MAC
// text, model, firmware or location holds it; ASCII letters match in either case.
bool RowMatchesFilter(const TDeviceRow& row, std::string_view text);
