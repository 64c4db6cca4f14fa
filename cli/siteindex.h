// The index of a site's backups: one row per parameter file written, so that a folder of
// backups reads as an inventory (MAC, IP, model, firmware, account, display name, file).
#pragma once

#include <string>
#include <vector>

#include "manager/params/paramblock.h"

class TSiteIndex {
  public:
    // reachedAt: the address the terminal was reached at; empty for one reached by MAC, whose
    // row shows the block's own address.
    void Add(const TParamBlock& block, const std::string& reachedAt, const std::string& file);
    // Writes "index.csv" into folder; false with the reason in *error.
    bool Write(const std::string& folder, std::string* error) const;

  private:
    std::vector<std::vector<std::string>> rows_;
};
