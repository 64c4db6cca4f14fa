#include "manager/shell/guidefile.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "common/translation.h"

namespace fs = std::filesystem;

namespace {

constexpr int kChineseTraditional = 2;

}  // namespace

std::string GuideFile(const std::string& executableFolder, int languageIndex) {
    const bool chinese =
        languageIndex == lang::kChineseSimplified || languageIndex == kChineseTraditional;
    const std::array<const char*, 2> languages = chinese
                                                     ? std::array<const char*, 2>{"zh_CN", "en"}
                                                     : std::array<const char*, 2>{"en", "zh_CN"};
    const fs::path folder(executableFolder);
    std::error_code error;
    for (const char* language : languages)
        for (const fs::path& guide : {folder / "guide", folder / "../../share/pelmora/guide"}) {
            const fs::path file = guide / language / "guide.md";
            if (fs::is_regular_file(file, error)) return fs::weakly_canonical(file, error).string();
        }
    return {};
}
