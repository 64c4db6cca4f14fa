// The device list as CSV (RFC 4180, UTF-8, CRLF line ends), as pelmora-cli prints it.
#pragma once

#include <string>
#include <string_view>

#include "manager/shell/devicelist.h"

// The field as it stands, or in double quotes (inner quotes doubled) when it holds a comma, a
// double quote, a line break, or blanks at either end.
std::string CsvField(std::string_view text);

// The header State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location and one line
// per row in list order.
std::string DeviceListCsv(const TDeviceList& list);
