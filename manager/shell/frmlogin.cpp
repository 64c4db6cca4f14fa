#include "manager/shell/frmlogin.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmLogin::TFrmLogin(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmLogin");
    setWindowTitle("Login");

    auto* group = new QGroupBox(QStringLiteral("登录信息"), this);
    group->setObjectName("grpBoxLogin");
    edtUserName = new QLineEdit(QStringLiteral("admin"), group);
    edtUserName->setObjectName("edtUserName");
    edtUserName->setMaxLength(15);
    edtPassword = new QLineEdit(QStringLiteral("50738264"), group);
    edtPassword->setObjectName("edtPassword");
    edtPassword->setMaxLength(15);
    edtPassword->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("用  户  名"), edtUserName);
    form->addRow(QStringLiteral("密        码"), edtPassword);

    auto* btnOk = new QPushButton(QStringLiteral("确    定"), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    auto* btnCancel = new QPushButton(QStringLiteral("取    消"), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}
