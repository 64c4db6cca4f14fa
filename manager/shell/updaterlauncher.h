// Starting Vellup from the program folder and waiting for its end. Meanwhile the manager keeps
// painting its windows but takes no input, so nothing can change the list being updated.
#pragma once

#include <QString>

// The updater's file in a program folder ("Vellup", "Vellup.exe" on Windows).
QString UpdaterProgramPath(const QString& programFolder);

// Starts the updater and returns when it has ended; false when it could not be started.
// When the manager runs on another home folder than its program folder, the updater is told
// to use that folder too, so it finds the hand-off file written there.
bool RunUpdaterAndWait(const QString& programFolder, const QString& homeFolder);
