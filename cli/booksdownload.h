// pelmora-cli books download: sends a download selection of the data folder to terminals.
//
//   pelmora-cli [--home DIR] books download contacts|zones TARGET ... [--jobs N]
//               [--report FILE.csv] [--user U --password P]
//
// contacts sends "DlContacts.dat" to the device, group and group-device tables, zones sends
// "DlMulticasts.dat" to the zone table. TARGET is a terminal's IP text or its MAC text on the
// local network. Up to N targets at once (default every one, at most 64) each go through the
// address-book pages' login, entries, online check, job and logout, with a socket and waits of
// their own. The job's progress texts go to stderr after the target's name, one result line per
// target as it ends ("TARGET<TAB>ok", "failed", "stopped", "skipped" for a model without address
// book, or "not started") to stdout, and a summary to stderr. Ctrl+C sets every job's stop request;
// the jobs end as the stop button ends them and the terminals not finished are reported.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "manager/books/sitedownload.h"
#include "manager/params/paramdevice.h"

// Whether args (argv without the program name) run books download.
bool IsBooksDownloadCommand(const std::vector<std::string>& args);

// Exit 0 when every target succeeded, 1 when any failed or was stopped, or the report could not be
// written, 2 for bad arguments, a missing or empty
// selection file or no device-access library.
int RunBooksDownloadCli(const std::vector<std::string>& args, const std::string& programFolder,
                        std::ostream& out, std::ostream& err);

// The device-access steps of the command line and its texts; access must outlive the run.
TSiteAccess CliSiteAccess(IDeviceAccess& access,
                          const std::optional<TLoginCredentials>& credentials);
