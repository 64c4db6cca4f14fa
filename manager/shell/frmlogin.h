// The login dialog that LoginDevice shows when a terminal asks for credentials.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFrmLogin : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmLogin(QWidget* parent = nullptr);

    QGroupBox* grpBoxLogin;
    QLabel* lblUserName;
    QLabel* lblPassword;
    QLineEdit* edtUserName;
    QLineEdit* edtPassword;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};
