// The about box: program version, build date (the program file's last-write date) and a logo,
// replaced by "Logo.jpeg" or "Logo.jpg" of the program folder when one exists.
#pragma once

#include <QDialog>

class QLabel;

// The version text shown after the program name: " V1.3.9".
QString VersionText();

class TFrmAbout : public QDialog {
    Q_OBJECT
  public:
    TFrmAbout(const QString& programFolder, const QString& programFile, QWidget* parent = nullptr);

    QLabel* imgLogo;
    QLabel* lblProduct;
    QLabel* lblVersion;
    QLabel* lblBuildDate;
};
