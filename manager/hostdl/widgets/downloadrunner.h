// A table download with its progress dialog, as the address-book pages and their callers start it.
#pragma once

#include <chrono>
#include <string>

#include "manager/hostdl/hostdownload.h"

class QWidget;

struct TDownloadDialogOptions {
    int totalParts = -1;  // the bar's total; -1: DownloadProgressTotal of the entries
    std::chrono::milliseconds startDelay{1000};  // from showing the dialog to starting the job
    THostTiming timing;                          // the protocol's waits (tests shorten them)
};

// Shows the progress dialog modally with 1 part completed, starts the job on a worker thread
// after the start delay, and returns when the dialog has closed and the job has ended: yes when
// the job succeeded. Stop before the start closes the dialog at once and sends nothing; stop
// during the job closes it as soon as the job has returned.
bool RunDownloadDialog(QWidget* parent, EDownloadKind kind, const std::string& address,
                       const TDownloadEntries& entries, const TDownloadDialogOptions& options = {});
