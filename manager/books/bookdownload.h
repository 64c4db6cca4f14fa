// Sending an address-book selection to a family-520 terminal, from the press on a download button
// (or the command line) to the logout: login, save, entries, online check, job, logout.
//
// The sequence is the same wherever it runs; the caller supplies how each step shows itself (the
// property editor's login and progress dialog, or the command line's printing).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "manager/access/devicerecord.h"
#include "manager/books/listfile.h"
#include "manager/hostdl/hostentries.h"

// The entry lists of a selection's rows, in row order: contact rows are (account, display name,
// group), zone rows (zone name, address, port) numbered by their row numbers.
TDownloadEntries BuildSelectionEntries(EDownloadKind kind, const TListRows& rows);

// The target address is a strict dotted address, the search for it answers 1 and the record it
// fills names a SIP model.
using TSearchOne = std::function<std::int32_t(const std::string& ip, TDeviceRecord* record)>;
bool IsTerminalOnline(const std::string& address, const TSearchOne& searchOne);

struct TBookDownloadSteps {
    std::function<bool()> login;  // shows its own messages on failure
    std::function<void()> logout;
    std::function<void()> save;     // the selection into its file (none: nothing to save)
    TSearchOne searchOne;           // the device-access library's search for one address
    std::function<void()> offline;  // tell that the terminal is offline
    // The job with its progress; yes when it succeeded.
    std::function<bool(const std::string& address, const TDownloadEntries& entries)> runJob;
};

enum class TBookDownloadOutcome {
    kEmpty,        // no rows: nothing was done
    kLoginFailed,  // nothing sent, nothing saved
    kOffline,      // nothing sent; logged out
    kDone,
    kFailed,  // the job failed or was stopped; logged out
};

// address: the terminal's own IPv4 address (from its parameter block) as dotted text.
TBookDownloadOutcome RunBookDownload(EDownloadKind kind, const TListRows& rows,
                                     const std::string& address, const TBookDownloadSteps& steps);
