#include "common/devlistfile.h"

#include "common/textcodec.h"
#include "common/textutil.h"

namespace {

constexpr std::size_t kFieldCount = 6;

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t semi = line.find(';', start);
        if (semi == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, semi - start));
        start = semi + 1;
    }
}

TDevListRow RowFromFields(std::vector<std::string_view> fields) {
    if (fields.size() > kFieldCount) {
        // Join fields 2 .. n-4 back into the display name with the ";" they were split at.
        std::size_t surplus = fields.size() - kFieldCount;
        const char* first = fields[2].data();
        const std::string_view& last = fields[2 + surplus];
        fields[2] = std::string_view(first, last.data() + last.size() - first);
        fields.erase(fields.begin() + 3, fields.begin() + 3 + surplus);
    }
    fields.resize(kFieldCount);
    TDevListRow row;
    row.mac = FromDeviceBytes(fields[0]);
    row.ip = FromDeviceBytes(fields[1]);
    row.name = FromDeviceBytes(fields[2]);
    row.version = FromDeviceBytes(fields[3]);
    row.netif = FromDeviceBytes(fields[4]);
    row.model = FromDeviceBytes(fields[5]);
    return row;
}

}  // namespace

std::string FormatDevList(const std::vector<TDevListRow>& rows) {
    std::string out;
    for (const TDevListRow& row : rows) {
        for (const std::string* field :
             {&row.mac, &row.ip, &row.name, &row.version, &row.netif, &row.model}) {
            if (field != &row.mac) out += ';';
            out += ToDeviceBytes(*field);
        }
        out += "\r\n";
    }
    return out;
}

std::vector<TDevListRow> ParseDevList(std::string_view bytes) {
    std::vector<TDevListRow> rows;
    while (!bytes.empty())
        rows.push_back(RowFromFields(SplitFields(TakeLine(bytes))));
    return rows;
}
