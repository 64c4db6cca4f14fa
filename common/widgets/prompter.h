// Message boxes and small input dialogs go through one interface, so tests can answer them
// without a modal loop (testing/scriptedprompter.h).
#pragma once

#include <QString>

class QWidget;

class IPrompter {
  public:
    enum class Kind { Error, Warning, Information, Confirmation };

    virtual ~IPrompter() = default;

    // A message box with one OK button; Confirmation shows Yes and No and answers true for Yes.
    virtual bool Message(QWidget* parent, Kind kind, const QString& title, const QString& text) = 0;

    // A text input dialog; false when cancelled. A password dialog hides what is typed.
    virtual bool AskText(QWidget* parent, const QString& title, const QString& label, QString* text,
                         bool password) = 0;

    // File dialogs; an empty result means cancelled. filter uses Qt's form: "Dat file (*.dat)".
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter, const QString& defaultSuffix) = 0;
};

// The real dialogs.
class TDialogPrompter : public IPrompter {
  public:
    bool Message(QWidget* parent, Kind kind, const QString& title, const QString& text) override;
    bool AskText(QWidget* parent, const QString& title, const QString& label, QString* text,
                 bool password) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter, const QString& defaultSuffix) override;
};
