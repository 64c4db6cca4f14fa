#include "cli/csvwriter.h"

std::string DeviceListCsv(const TDeviceList& list) {
    std::string csv = "State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location\r\n";
    for (const TDeviceRow& row : list.Rows()) {
        csv += CsvField(row.state);
        for (const std::string& text : row.columns)
            csv += ',' + CsvField(text);
        csv += "\r\n";
    }
    return csv;
}
