#include "cli/paramsdiff.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "cli/clicommands.h"
#include "cli/clitarget.h"
#include "common/csv.h"
#include "common/textutil.h"
#include "manager/access/kvlibrary.h"
#include "manager/params/paramdiff.h"
#include "manager/params/paramfile.h"

namespace {

bool IsParamFileName(const std::string& name) {
    return LowerAscii(name).ends_with(".dps");
}

// Reads the blocks of the words, loading the device-access library only for a terminal.
class TBlockSource {
  public:
    TBlockSource(const std::string& folder, const std::string& programFolder)
        : folder_(folder), programFolder_(programFolder) {}

    std::optional<TParamBlock> Read(const std::string& word, std::string* error) {
        TParamBlock block;
        if (IsParamFileName(word)) {
            const TParamFileResult loaded = LoadParamFile(word, block);
            if (loaded.ok()) return block;
            *error = loaded.error == TParamFileResult::TError::kLength
                         ? "not a parameter file (it is not 1356 bytes long)"
                         : loaded.message;
            return std::nullopt;
        }
        std::optional<TCliTarget> target = ParseCliTarget(word);
        if (!target) {
            *error = "neither a .dps file nor an IP address or MAC text";
            return std::nullopt;
        }
        if (!library_) library_ = TKvLibrary::LoadForProgram(folder_, programFolder_, error);
        if (!library_ || !ReachCliTarget(*library_, *target, error) ||
            !ReadCliTarget(*library_, *target, block, error))
            return std::nullopt;
        return block;
    }

  private:
    std::string folder_, programFolder_;
    std::unique_ptr<TKvLibrary> library_;
};

}  // namespace

int RunParamsDiff(const std::vector<std::string>& words, bool csv, const std::string& folder,
                  const std::string& programFolder, std::ostream& out, std::ostream& err) {
    if (words.size() != 2)
        throw TCliUsageError("diff needs two of FILE.dps or TARGET (the first may be a TARGET)");
    if (!IsParamFileName(words[1]))
        throw TCliUsageError("diff compares with a FILE.dps: \"" + words[1] + "\" is none");
    TBlockSource source(folder, programFolder);
    std::optional<TParamBlock> blocks[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        blocks[i] = source.Read(words[i], &error);
        if (!blocks[i]) {
            err << "pelmora-cli: " << words[i] << ": " << error << "\n";
            return kExitUsage;
        }
    }
    const std::vector<TParamDifference> differences = DiffParamBlocks(*blocks[0], *blocks[1]);
    if (csv) out << "Name," << CsvField(words[0]) << "," << CsvField(words[1]) << "\r\n";
    for (const TParamDifference& d : differences) {
        if (csv)
            out << CsvField(d.name) << "," << CsvField(d.first) << "," << CsvField(d.second)
                << "\r\n";
        else
            out << DifferenceLine(d) << "\n";
    }
    return differences.empty() ? kExitOk : kExitFailure;
}
