#include "manager/shell/updatehandoff.h"

#include <algorithm>
#include <filesystem>

#include "common/atomicfile.h"

std::vector<TDevListRow> PickHandoffRows(const std::vector<TDevListRow>& all,
                                         const std::vector<std::size_t>& selected) {
    std::vector<TDevListRow> rows;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (std::find(selected.begin(), selected.end(), i) != selected.end())
            rows.push_back(all[i]);
    return rows;
}

bool WriteUpdateHandoff(const std::string& folder, const std::vector<TDevListRow>& rows,
                        std::string* error) {
    std::string path = (std::filesystem::path(folder) / "~devlist.lst").string();
    std::string reason;
    if (WriteFileAtomically(path, FormatDevList(rows), &reason)) return true;
    *error = "Cannot create file \"" + path + "\". " + reason;
    return false;
}
