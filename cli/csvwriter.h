// The device list as CSV (RFC 4180, UTF-8, CRLF line ends), as pelmora-cli prints it.
#pragma once

#include <string>
#include <string_view>

#include "common/csv.h"
#include "manager/shell/devicelist.h"

// The header State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location and one line
// per row in list order.
std::string DeviceListCsv(const TDeviceList& list);
