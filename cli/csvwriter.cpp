#include "cli/csvwriter.h"

TTableCells DeviceListTable(const TDeviceList& list) {
    TTableCells table{{"State", "Account", "DisplayName", "IP", "MAC", "Model", "Firmware",
                       "Interface", "Location"},
                      {}};
    for (const TDeviceRow& row : list.Rows()) {
        std::vector<std::string>& cells = table.rows.emplace_back(1, row.state);
        cells.insert(cells.end(), row.columns.begin(), row.columns.end());
    }
    return table;
}
