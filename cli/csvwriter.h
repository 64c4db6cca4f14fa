// The device list as a table, as pelmora-cli prints it (CSV) or saves it (CSV or workbook).
#pragma once

#include <string>
#include <string_view>

#include "common/tablefile.h"

#include "manager/shell/devicelist.h"

// The header State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location and one row
// per row of the list, in list order.
TTableCells DeviceListTable(const TDeviceList& list);
