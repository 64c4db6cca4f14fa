// The box that shows the progress of a search inside the main window.
#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

class TFrmSearchWait : public QFrame {
    Q_OBJECT
  public:
    TFrmSearchWait(int maximum, QWidget* parent);

    // Sets the progress in steps (the network search is step 1, each Books row one more);
    // values past the maximum stay at the maximum.
    void SetProgress(int steps);
    // Within the first step, while the library listens: the part of its search window gone by
    // (0 to 1). The bar only moves forward.
    void SetSearchElapsed(double part);
    void Finish();

    QLabel* lblHint;
    QProgressBar* pbSearch;
};
