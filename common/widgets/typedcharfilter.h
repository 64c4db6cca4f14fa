// Drops typed characters outside an allowed set. Control keys (backspace, tab, enter, editing
// shortcuts) pass. Unlike a validator it never refuses an edit of a text that already holds
// other characters, such as a row's account "alice" in a box that takes digits.
#pragma once

#include <QObject>
#include <QString>

class QWidget;

class TTypedCharacterFilter : public QObject {
  public:
    TTypedCharacterFilter(QString allowed, QObject* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString allowed_;
};

// Lets box take only the characters of allowed when typed; the filter lives as long as the box.
void AllowTypedCharacters(QWidget* box, const QString& allowed);
