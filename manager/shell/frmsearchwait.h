// The box that shows the progress of a search inside the main window.
#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

class TFrmSearchWait : public QFrame {
    Q_OBJECT
  public:
    TFrmSearchWait(int maximum, QWidget* parent);

    // Sets the progress; values past the maximum stay at the maximum.
    void SetProgress(int value);
    void Finish();

    QLabel* lblHint;
    QProgressBar* pbSearch;
};
