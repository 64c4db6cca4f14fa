// A window's size, place and list column widths, kept per user between runs. Both programs keep
// them under the same value names, each in its own per-user settings.
#pragma once

#include <QByteArray>
#include <QString>

class QHeaderView;
class QWidget;

// Named byte values in the user's settings.
class IWindowLayoutStore {
  public:
    virtual ~IWindowLayoutStore() = default;
    // The kept bytes, or empty bytes when nothing is kept under the name.
    virtual QByteArray ReadBytes(const char* name) const = 0;
    // A store that cannot be written is not reported: the layout of a window is not worth a
    // message box.
    virtual void WriteBytes(const char* name, const QByteArray& bytes) = 0;
};

// The per-user QSettings of one organisation and application (the registry on Windows, an INI
// file elsewhere; QSettings::setPath redirects it, as the tests do).
class TUserLayoutStore : public IWindowLayoutStore {
  public:
    TUserLayoutStore(QString organization, QString application);
    QByteArray ReadBytes(const char* name) const override;
    void WriteBytes(const char* name, const QByteArray& bytes) override;

  private:
    QString organization_;
    QString application_;
};

// Restores what SaveWindowLayout kept; without a store or a kept layout the window and its
// columns stay as built. Bytes that do not read as a layout are ignored.
void RestoreWindowLayout(QWidget& window, QHeaderView& columns, const IWindowLayoutStore* store);
void SaveWindowLayout(const QWidget& window, const QHeaderView& columns, IWindowLayoutStore* store);
