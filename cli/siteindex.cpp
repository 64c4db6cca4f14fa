#include "cli/siteindex.h"

#include <filesystem>

#include "common/tablefile.h"
#include "manager/access/addresstext.h"

void TSiteIndex::Add(const TParamBlock& block, const std::string& reachedAt,
                     const std::string& file) {
    auto text = [&block](const char* name) { return GetFieldText(block, ParamField(name)); };
    rows_.push_back({MacToText(block.data() + kParamMacOffset),
                     reachedAt.empty() ? GetFieldIp(block, ParamField("ip")) : reachedAt,
                     text("model"), text("firmware"), text("sip.user"), text("display_name"),
                     std::filesystem::path(file).filename().string()});
}

bool TSiteIndex::Write(const std::string& folder, std::string* error) const {
    return WriteTableFile((std::filesystem::path(folder) / "index.csv").string(),
                          {"MAC", "IP", "Model", "Firmware", "Account", "Display name", "File"},
                          rows_, error);
}
