// The stores on QSettings in native format: the registry on Windows, INI-style files elsewhere
// (their folders can be redirected with QSettings::setPath, as the tests do).
#include <QSettings>
#include <QString>

#include "manager/settings/settingsstore.h"

namespace {

class TQSettingsStore : public ISettingsStore {
  public:
    TQSettingsStore(QSettings::Scope scope, QString organization, QString application)
        : scope_(scope),
          organization_(std::move(organization)),
          application_(std::move(application)) {}

    std::optional<std::string> ReadText(const std::string& name) const override {
        QSettings settings(QSettings::NativeFormat, scope_, organization_, application_);
        const QString key = QString::fromStdString(name);
        if (!settings.contains(key)) return std::nullopt;
        return settings.value(key).toString().toStdString();
    }

    TStoreWriteResult WriteText(const std::string& name, const std::string& value) override {
        QSettings settings(QSettings::NativeFormat, scope_, organization_, application_);
        if (!settings.isWritable()) return {TStoreWrite::Unavailable, {}};
        settings.setValue(QString::fromStdString(name), QString::fromStdString(value));
        settings.sync();
        switch (settings.status()) {
            case QSettings::NoError:
                return {TStoreWrite::Written, {}};
            case QSettings::AccessError:
                return {TStoreWrite::Unavailable, {}};
            case QSettings::FormatError:
                break;
        }
        return {TStoreWrite::Failed,
                settings.fileName().toStdString() + ": the settings could not be written"};
    }

  private:
    QSettings::Scope scope_;
    QString organization_;
    QString application_;
};

}  // namespace

std::unique_ptr<ISettingsStore> MakeUserSettingsStore() {
    return std::make_unique<TQSettingsStore>(QSettings::UserScope, "Tarnix", "Drovik");
}

std::unique_ptr<ISettingsStore> MakeMachineSettingsStore() {
    return std::make_unique<TQSettingsStore>(QSettings::SystemScope, "Tarnix", "Pelmora");
}
