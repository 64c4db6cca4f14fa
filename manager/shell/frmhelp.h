// The help window: the user guide (Markdown with pictures) in a browser inside the program, with
// its links between sections and back to the start.
#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

class TFrmHelp : public QWidget {
    Q_OBJECT
  public:
    // A window of its own (parent: the main window, which it stays above); shows guideFile.
    TFrmHelp(const QString& guideFile, QWidget* parent);

    QTextBrowser* txtGuide;
    QPushButton *btnBack, *btnHome, *btnClose;
};
