// Tables written for people: run reports, a site's backup index.
#pragma once

#include <string>
#include <vector>

// A header and rows as CSV with a byte order mark, so spreadsheets read UTF-8; the file is
// replaced atomically. False with the reason in *error.
bool WriteReportFile(const std::string& path, const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows, std::string* error);
