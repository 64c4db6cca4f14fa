#include "cli/csvwriter.h"

std::string CsvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

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
