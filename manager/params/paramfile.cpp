#include "manager/params/paramfile.h"

#include <algorithm>

#include "common/atomicfile.h"
#include "manager/params/paramfamily.h"

std::optional<TParamBlock> ParseParamFile(std::string_view bytes) {
    if (bytes.size() != kParamBlockBytes) return std::nullopt;
    TParamBlock block;
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return block;
}

TParamFileResult LoadParamFile(const std::string& path, TParamBlock& block) {
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, &error)) return {TParamFileResult::TError::kIo, error};
    const std::optional<TParamBlock> parsed = ParseParamFile(bytes);
    if (!parsed)
        return {TParamFileResult::TError::kLength,
                "the file holds " + std::to_string(bytes.size()) + " bytes instead of " +
                    std::to_string(kParamBlockBytes)};
    block = *parsed;
    return {};
}

TParamFileResult SaveParamFile(const std::string& path, const TParamBlock& block) {
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
    if (!WriteFileAtomically(path, bytes, &error)) return {TParamFileResult::TError::kIo, error};
    return {};
}

bool IsParamFileCompatible(const TParamBlock& file, const TParamBlock& terminal) {
    const std::string name = DefaultParamFileName(BlockFamily(terminal));
    return !name.empty() && name == DefaultParamFileName(BlockFamily(file));
}
