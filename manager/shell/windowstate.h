// The main window's size, place, tool bars and list column widths, kept per user between runs.
#pragma once

class ISettingsStore;
class QHeaderView;
class QMainWindow;

// Restores what SaveWindowState kept; without a store or a kept state the window stays as built.
void RestoreWindowState(QMainWindow& window, QHeaderView& columns, const ISettingsStore* store);
// Keeps the window's state in the store. A store that cannot be written is not reported: the
// layout of a window is not worth a message box.
void SaveWindowState(const QMainWindow& window, const QHeaderView& columns, ISettingsStore* store);
