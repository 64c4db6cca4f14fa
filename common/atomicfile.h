// Replacing a file as a whole: the new bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the target. Readers see either the old file or the new
// one, never a half-written file, and a failed write leaves the old file intact.
#pragma once

#include <string>
#include <string_view>

// Returns false and sets *error (when given) to the system's error text on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file. Returns false and sets *error (when given) to the system's error text
// when the file cannot be opened or read; *missing (when given) tells whether it does not exist.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr,
                   bool* missing = nullptr);
