// The manager's side of the hand-off to the updater: the terminals of the device list written
// to "~devlist.lst" in the program folder, for Vellup to read when it starts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/devlistfile.h"

// The rows at the given indexes (the selected rows), in list order; others are ignored.
std::vector<TDevListRow> PickHandoffRows(const std::vector<TDevListRow>& all,
                                         const std::vector<std::size_t>& selected);

// Replaces "~devlist.lst" in folder with one line per row. False with the system's error text.
bool WriteUpdateHandoff(const std::string& folder, const std::vector<TDevListRow>& rows,
                        std::string* error);
