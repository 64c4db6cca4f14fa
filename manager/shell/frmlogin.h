// The login dialog that LoginDevice shows when a terminal asks for credentials.
#pragma once

#include <QDialog>

class QLineEdit;

class TFrmLogin : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmLogin(QWidget* parent = nullptr);

    QLineEdit* edtUserName;
    QLineEdit* edtPassword;
};
