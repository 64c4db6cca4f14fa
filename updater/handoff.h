// Reading the manager's hand-off file "~devlist.lst" from the program folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/devlistfile.h"

inline constexpr char kHandoffFileName[] = "~devlist.lst";

// Reads the rows of a hand-off file; false with the system's error text when it cannot be read.
bool LoadHandoff(const std::filesystem::path& file, std::vector<TDevListRow>* rows,
                 std::string* error);
