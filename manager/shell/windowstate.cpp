#include "manager/shell/windowstate.h"

#include <QByteArray>
#include <QHeaderView>
#include <QMainWindow>
#include <string>

#include "manager/settings/settingsstore.h"

namespace {

constexpr const char* kGeometry = "MainWindowGeometry";
constexpr const char* kToolBars = "MainWindowState";
constexpr const char* kColumns = "MainListColumns";

QByteArray Read(const ISettingsStore& store, const char* name) {
    const std::optional<std::string> text = store.ReadText(name);
    return text ? QByteArray::fromBase64(QByteArray::fromStdString(*text)) : QByteArray();
}

void Write(ISettingsStore& store, const char* name, const QByteArray& bytes) {
    store.WriteText(name, bytes.toBase64().toStdString());
}

}  // namespace

void RestoreWindowState(QMainWindow& window, QHeaderView& columns, const ISettingsStore* store) {
    if (store == nullptr) return;
    // Each restore checks its bytes and ignores what it cannot read.
    window.restoreGeometry(Read(*store, kGeometry));
    window.restoreState(Read(*store, kToolBars));
    columns.restoreState(Read(*store, kColumns));
}

void SaveWindowState(const QMainWindow& window, const QHeaderView& columns, ISettingsStore* store) {
    if (store == nullptr) return;
    Write(*store, kGeometry, window.saveGeometry());
    Write(*store, kToolBars, window.saveState());
    Write(*store, kColumns, columns.saveState());
}
