// The parameter-file commands of the property editor, without its windows: default parameters
// (the family's default parameter file, else the built-in default groups), save parameters (the
// terminal's block as the family's default file) and import (length and family checks). The
// command line's `params defaults` uses the same steps.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "manager/params/paramblock.h"

// The data folder's path of the family's default parameter file; empty without a family.
std::string DefaultParamFilePath(const std::string& dataFolder, const TParamBlock& terminal);

struct TDefaultParams {
    enum class TSource { kFile, kBuiltIn, kIoError };
    TSource source = TSource::kBuiltIn;
    TParamBlock block;         // kFile, kBuiltIn: the block the pages load
    bool wrongLength = false;  // the family file was not 1356 bytes long (built-ins follow)
    std::string error;         // kIoError: the system's text; nothing is loaded
};
// The family file when it exists, is 1356 bytes long and belongs to the same family (with the
// terminal's run status); otherwise a copy of the terminal's block with the built-in defaults.
TDefaultParams DefaultParams(const TParamBlock& terminal, const std::string& dataFolder,
                             std::string_view managementServer);

// Writes the terminal's block as the family's default file, creating the data folder when
// missing. An empty result on success, else the error text (nothing is written).
std::string SaveDefaultParams(const TParamBlock& terminal, const std::string& dataFolder);

struct TImportParams {
    enum class TOutcome { kLoaded, kIoError, kWrongLength, kIncompatible };
    TOutcome outcome = TOutcome::kLoaded;
    TParamBlock block;  // kLoaded: the file's block with the terminal's run status
    std::string error;  // kIoError: the system's text
};
TImportParams ImportParams(const std::string& path, const TParamBlock& terminal);
// The same for a block already read from a file: the family check and the run status.
TImportParams ImportParamBlock(const TParamBlock& file, const TParamBlock& terminal);
