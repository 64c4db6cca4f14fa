#include "common/reportfile.h"

#include "common/atomicfile.h"
#include "common/csv.h"

bool WriteReportFile(const std::string& path, const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows, std::string* error) {
    if (path.ends_with(".xlsx")) {
        *error = "this build writes reports as .csv only";
        return false;
    }
    std::string text = "\xEF\xBB\xBF";
    auto line = [&text](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            text += (i ? "," : "") + CsvField(fields[i]);
        text += "\r\n";
    };
    line(header);
    for (const auto& row : rows)
        line(row);
    return WriteFileAtomically(path, text, error);
}
