// The device text another program sends to the manager (command line or local-socket message):
// account;display name;IP;MAC;model;firmware;network interface.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "manager/shell/devicelist.h"

// Splits a delimited list: a field in double quotes may hold any character, a doubled quote
// inside standing for one; outside quotes a field ends at the delimiter and at any character of
// code 32 or less, and such characters between fields are skipped; two delimiters in a row give
// an empty field, and a delimiter at the very end gives a last empty field. The text ends at its
// first zero byte.
std::vector<std::string> SplitDelimitedText(std::string_view text, char delimiter = ';',
                                            char quote = '"');

// The seven fields of a device text, trimmed of blanks around it. Fields missing from a shorter
// text are empty; fields beyond the seventh are ignored. Bytes that are not UTF-8 become U+FFFD.
TDeviceText ParseDeviceText(std::string_view text);
