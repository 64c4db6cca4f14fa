// Replacing a file as a whole: readers see either the old contents or the new, never a mixture.
#pragma once

#include <string>
#include <string_view>

// Outcome of a file operation; error is the system's error text for the message box.
struct TFileResult {
    bool ok = true;
    std::string error;
};

// Writes bytes to a temporary file in the folder of path, flushes it to the disk and renames it
// over path. On failure the temporary file is removed and path keeps its old contents.
TFileResult WriteFileAtomically(const std::string& path, std::string_view bytes);

// The system's text for an error number.
TFileResult FileError(int errorNumber);
