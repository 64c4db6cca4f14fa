// Parameter files ("*.dps"): exactly one parameter block, byte for byte, no header or checksum.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "manager/params/paramblock.h"

// The block of a file's bytes; nothing when the length is not 1356.
std::optional<TParamBlock> ParseParamFile(std::string_view bytes);

struct TParamFileResult {
    enum class TError { kNone, kIo, kLength };
    TError error = TError::kNone;
    std::string message;  // the system's error text for kIo
    bool ok() const { return error == TError::kNone; }
};

TParamFileResult LoadParamFile(const std::string& path, TParamBlock& block);
// Replaces the file atomically.
TParamFileResult SaveParamFile(const std::string& path, const TParamBlock& block);

// A file's block suits a terminal when both model names have the same, non-empty default file
// name, i.e. both models belong to the same family.
bool IsParamFileCompatible(const TParamBlock& file, const TParamBlock& terminal);
