#include "common/widgets/windowlayout.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>
#include <utility>

namespace {

constexpr const char* kGeometry = "MainWindowGeometry";
constexpr const char* kColumns = "MainListColumns";

}  // namespace

TUserLayoutStore::TUserLayoutStore(QString organization, QString application)
    : organization_(std::move(organization)), application_(std::move(application)) {}

QByteArray TUserLayoutStore::ReadBytes(const char* name) const {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organization_,
                             application_);
    return settings.value(name).toByteArray();
}

void TUserLayoutStore::WriteBytes(const char* name, const QByteArray& bytes) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organization_, application_);
    settings.setValue(name, bytes);
}

void RestoreWindowLayout(QWidget& window, QHeaderView& columns, const IWindowLayoutStore* store) {
    if (store == nullptr) return;
    // Each restore checks its bytes and leaves things as they are when it cannot read them.
    window.restoreGeometry(store->ReadBytes(kGeometry));
    columns.restoreState(store->ReadBytes(kColumns));
}

void SaveWindowLayout(const QWidget& window, const QHeaderView& columns,
                      IWindowLayoutStore* store) {
    if (store == nullptr) return;
    store->WriteBytes(kGeometry, window.saveGeometry());
    store->WriteBytes(kColumns, columns.saveState());
}
