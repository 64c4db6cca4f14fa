#include "manager/params/paramfilecommands.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/atomicfile.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"

namespace fs = std::filesystem;

namespace {

// A file that is not 1356 bytes long is not read at all: a huge one chosen by mistake
// would otherwise be read whole into memory first.
bool WrongSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return !ec && size != kParamBlockBytes;
}

void CopyRunStatus(const TParamBlock& terminal, TParamBlock& block) {
    block[kParamRunStatusOffset] = terminal[kParamRunStatusOffset];
}

}  // namespace

std::string DefaultParamFilePath(const std::string& dataFolder, const TParamBlock& terminal) {
    const std::string name = DefaultParamFileName(BlockFamily(terminal));
    return name.empty() ? std::string() : (fs::path(dataFolder) / name).string();
}

TDefaultParams DefaultParams(const TParamBlock& terminal, const std::string& dataFolder,
                             std::string_view managementServer) {
    TDefaultParams result;
    const std::string path = DefaultParamFilePath(dataFolder, terminal);
    std::string bytes, error;
    bool missing = false;
    if (path.empty()) {
        // No family, no file: the built-in defaults.
    } else if (WrongSize(path)) {
        result.wrongLength = true;
    } else if (!ReadWholeFile(path, bytes, &error, &missing)) {
        if (!missing) {
            result.source = TDefaultParams::TSource::kIoError;
            result.error = path + ": " + error;
            return result;
        }
    } else {
        const std::optional<TParamBlock> file = ParseParamFile(bytes);
        result.wrongLength = !file;
        // A file of another family is passed over without a message.
        if (file && IsParamFileCompatible(*file, terminal)) {
            result.source = TDefaultParams::TSource::kFile;
            result.block = *file;
            CopyRunStatus(terminal, result.block);
            return result;
        }
    }
    result.block = terminal;
    ApplyBuiltInDefaults(result.block, managementServer);
    return result;
}

std::string SaveDefaultParams(const TParamBlock& terminal, const std::string& dataFolder) {
    const std::string path = DefaultParamFilePath(dataFolder, terminal);
    if (path.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory).message() +
               " (the model has no default parameter file)";
    std::error_code ec;
    fs::create_directories(dataFolder, ec);
    if (ec) return dataFolder + ": " + ec.message();
    const TParamFileResult saved = SaveParamFile(path, terminal);
    return saved.ok() ? std::string() : path + ": " + saved.message;
}

TImportParams ImportParams(const std::string& path, const TParamBlock& terminal) {
    TImportParams result;
    if (WrongSize(path)) return {TImportParams::TOutcome::kWrongLength, {}, {}};
    const TParamFileResult loaded = LoadParamFile(path, result.block);
    if (loaded.error == TParamFileResult::TError::kIo)
        return {TImportParams::TOutcome::kIoError, {}, path + ": " + loaded.message};
    if (loaded.error == TParamFileResult::TError::kLength)
        return {TImportParams::TOutcome::kWrongLength, {}, {}};
    return ImportParamBlock(result.block, terminal);
}

TImportParams ImportParamBlock(const TParamBlock& file, const TParamBlock& terminal) {
    if (!IsParamFileCompatible(file, terminal))
        return {TImportParams::TOutcome::kIncompatible, {}, {}};
    TImportParams result{TImportParams::TOutcome::kLoaded, file, {}};
    CopyRunStatus(terminal, result.block);
    return result;
}
