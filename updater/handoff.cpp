#include "updater/handoff.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "updater/updatefile.h"

bool LoadHandoff(const std::filesystem::path& file, std::vector<TDevListRow>* rows,
                 std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = "Cannot open file \"" + PathUtf8(file) + "\". " + std::strerror(errno);
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "Cannot read file \"" + PathUtf8(file) + "\". " + std::strerror(errno);
        return false;
    }
    *rows = ParseDevList(bytes);
    return true;
}
