// pelmora-cli books download: sends a download selection of the data folder to terminals.
//
//   pelmora-cli [--home DIR] books download contacts|zones TARGET ... [--user U --password P]
//
// contacts sends "DlContacts.dat" to the device, group and group-device tables, zones sends
// "DlMulticasts.dat" to the zone table. TARGET is a terminal's IP text or its MAC text on the
// local network; the targets are served one after the other with the address-book pages' login,
// entries, online check, job and logout. The job's progress texts go to stderr, one result line
// per target ("TARGET<TAB>ok" or "TARGET<TAB>failed") to stdout.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Whether args (argv without the program name) run books download.
bool IsBooksDownloadCommand(const std::vector<std::string>& args);

// Exit 0 when every target succeeded, 1 when any failed, 2 for bad arguments, a missing or empty
// selection file or no device-access library.
int RunBooksDownloadCli(const std::vector<std::string>& args, const std::string& programFolder,
                        std::ostream& out, std::ostream& err);
