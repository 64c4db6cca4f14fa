// Update files ("B32" header, image from offset 4096), pak files, the recall file
// "updatefile.txt", and building the update job with every check and its message.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "updater/updatejob.h"

// Paths from and to UTF-8 texts (the window's texts, log lines, the recall file).
std::filesystem::path Utf8Path(const std::string& utf8);
std::string PathUtf8(const std::filesystem::path& path);

// The header texts shown in the window's file information (UTF-8).
struct THeaderInfo {
    std::string version;      // offset 8, 32 bytes
    std::string dateTime;     // offset 72, 16 bytes
    std::string deviceType;   // offset 40, 32 bytes
    std::string description;  // offset 88, 1024 bytes
};

// The texts of the header fields, each up to its first zero byte.
THeaderInfo HeaderInfoOf(const std::array<std::uint8_t, kHeaderSize>& header);

// Reads the header of an update file for display; nullopt when the file is 1132 bytes or
// shorter, or cannot be read.
std::optional<THeaderInfo> ReadHeaderInfo(const std::filesystem::path& file);

// The file name of the first "*.pak" file in the folder (in name order), or empty.
std::string FindPakFile(const std::filesystem::path& folder);

// The first line of "updatefile.txt" in the program folder, or nullopt when the file does not
// exist or has no line.
std::optional<std::string> ReadRecallFile(const std::filesystem::path& programFolder);
// Replaces "updatefile.txt" atomically with the single line: the update file path. False with a
// message in *error when the file cannot be written.
bool WriteRecallFile(const std::filesystem::path& programFolder, const std::string& updateFile,
                     std::string* error = nullptr);

struct TJobMessage {
    enum class Kind { Error, Information } kind;
    std::string text;
};

struct TJobRequest {
    std::string updateFile;  // the update file box
    bool pakChecked = false;
    std::string pakName;  // the file name of the pak option
    std::filesystem::path programFolder;
};

// Builds the update job of a Start (password not yet set). On a stop, returns nullopt and fills
// *message; the log lines about the pak file go to log as they arise. A job without pak data
// sends none, whatever an earlier Start loaded. "updatefile.txt" receives the file's full path;
// when it cannot be written, the job is built all the same, the reason goes to log and to
// *warning (when given).
std::optional<TUpdateJob> BuildUpdateJob(const TJobRequest& request,
                                         const std::function<void(const std::string&)>& log,
                                         TJobMessage* message, std::string* warning = nullptr);
