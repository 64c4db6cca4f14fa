// pelmora-cli params: a terminal's parameter block through the field table, from a script.
//
//   pelmora-cli [--home DIR] params fields
//   pelmora-cli [--home DIR] params get TARGET [--csv]
//   pelmora-cli [--home DIR] params set TARGET NAME=VALUE ... [--user U --password P]
//   pelmora-cli [--home DIR] params backup --out DIR [TARGET ...]
//   pelmora-cli [--home DIR] params restore FILE.dps TARGET [--user U --password P]
//   pelmora-cli [--home DIR] params defaults TARGET [--user U --password P]
//
// The values of the talk, multicast, key, monitor and data serial pages also go by the names
// and in the forms of those pages ("key1=call:8001", "auto_answer=hangup"; see pagevalues.h).
// defaults applies the family's default parameter file in DIR/Data, else the built-in defaults,
// and writes them back as the editor's save would.
//
// TARGET is a terminal's IP text (reached at that address, logged out after a write) or its MAC
// text (reached by MAC on the local network). Terminals are read and written through the
// device-access library with the window's retry and login rules.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Whether args (argv without the program name) run the params command.
bool IsParamsCommand(const std::vector<std::string>& args);

// Runs it; programFolder is the folder of the executable, used unless --home names another.
// Exit 0 when everything was done, 1 when some terminal failed, 2 for bad arguments or an
// unreadable file.
int RunParamsCli(const std::vector<std::string>& args, const std::string& programFolder,
                 std::ostream& out, std::ostream& err);
