#include "updater/handoff.h"

#include "common/atomicfile.h"
#include "updater/updatefile.h"

bool LoadHandoff(const std::filesystem::path& file, std::vector<TDevListRow>* rows,
                 std::string* error) {
    std::string bytes, reason;
    if (!ReadWholeFile(PathUtf8(file), bytes, &reason)) {
        *error = "Cannot open file \"" + PathUtf8(file) + "\". " + reason;
        return false;
    }
    *rows = ParseDevList(bytes);
    return true;
}
