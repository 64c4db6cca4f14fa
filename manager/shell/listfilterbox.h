// The filter box above the main list: rows that do not hold the typed text are hidden in the view
// (never removed or moved), a hidden row leaves the selection, and a label tells "N of M shown"
// while a text is typed. Ctrl+F in the window focuses the box, Esc in the box clears it.
#pragma once

#include <QObject>

#include "manager/shell/devicelist.h"

class QLabel;
class QLineEdit;
class QTreeView;
class QWidget;

class TListFilterBox : public QObject {
    Q_OBJECT
  public:
    // box and count belong to the window; window receives the Ctrl+F key.
    TListFilterBox(const TDeviceList& list, QTreeView* view, QLineEdit* box, QLabel* count,
                   QWidget* window);
    // Hides and shows rows by the box's text after the rows or the text changed.
    void Apply();
    // The box's hint and the count in the current language.
    void Retranslate();

  private:
    const TDeviceList& list_;
    QTreeView* view_;
    QLineEdit* box_;
    QLabel* count_;
};
