#include "manager/shell/frmlogin.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmLogin::TFrmLogin(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmLogin");
    setWindowTitle("Login");

    grpBoxLogin = new QGroupBox(QStringLiteral("登录信息"), this);
    grpBoxLogin->setObjectName("grpBoxLogin");
    edtUserName = new QLineEdit(QStringLiteral("admin"), grpBoxLogin);
    edtUserName->setObjectName("edtUserName");
    edtUserName->setMaxLength(15);
    edtPassword = new QLineEdit(QStringLiteral("50738264"), grpBoxLogin);
    edtPassword->setObjectName("edtPassword");
    edtPassword->setMaxLength(15);
    edtPassword->setEchoMode(QLineEdit::Password);
    // Shown as "*", not the style's own mask character.
    edtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    lblUserName = new QLabel(QStringLiteral("用  户  名(&U)"), grpBoxLogin);
    lblUserName->setObjectName("lblUserName");
    lblPassword = new QLabel(QStringLiteral("密        码(&P)"), grpBoxLogin);
    lblPassword->setObjectName("lblPassword");
    auto* form = new QFormLayout(grpBoxLogin);
    form->addRow(lblUserName, edtUserName);
    form->addRow(lblPassword, edtPassword);

    btnOk = new QPushButton(QStringLiteral("确    定(&O)"), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取    消(&C)"), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpBoxLogin);
    layout->addLayout(buttons);
}
