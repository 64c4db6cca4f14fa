// Batch mode: the window's job building, checks, scheduling and conversations without a
// window. Log lines go to stdout as they arise, then one summary line per terminal.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "updater/conversation.h"

struct TBatchOptions {
    std::filesystem::path programFolder;
    std::string updateFile;
    std::string listFile;  // empty: "~devlist.lst" in the program folder
    std::optional<std::string> password;
    std::string passwordFile;
    int threads = 20;
    bool noPak = false;
    int retries = 0;         // further rounds for the terminals that failed
    std::string reportFile;  // empty: no report
    bool progress = false;   // an overall line on stderr at most once a second
    TProtocolTimes times;
};

// Exit codes: every terminal ended "OK" (and the report, if asked for, was written); some did
// not; the batch could not start.
enum EBatchExit { kBatchAllOk = 0, kBatchFault = 1, kBatchNotStarted = 2 };

// Parses the arguments after the program name that follow "--batch"; false with a message.
bool ParseBatchArguments(const std::vector<std::string>& args, TBatchOptions* options,
                         std::string* error);

// Runs a batch on the calling thread, which must own a QCoreApplication's event loop.
int RunBatch(const TBatchOptions& options, std::FILE* out, std::FILE* err);
