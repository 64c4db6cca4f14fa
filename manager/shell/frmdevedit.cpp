#include "manager/shell/frmdevedit.h"

#include <algorithm>
#include <utility>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"
#include "common/widgets/keymessage.h"
#include "common/widgets/prompter.h"
#include "common/widgets/typedcharfilter.h"
#include "manager/access/addresstext.h"

TFrmDevEdit::TFrmDevEdit(TMode mode, const QStringList& pairs, const QString& editedAccount,
                         IPrompter& prompter, QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      pairs_(pairs.begin(), pairs.end()),
      editedAccount_(mode == TMode::Add ? QString() : editedAccount),
      prompter_(prompter) {
    setObjectName("FrmDevEdit");
    setWindowTitle("Add device");

    grpBoxDevInfo = new QGroupBox(QStringLiteral("设备信息"), this);
    grpBoxDevInfo->setObjectName("grpBoxDevInfo");
    lblDevNumber = new QLabel(QStringLiteral("用户账号"), grpBoxDevInfo);
    lblDevNumber->setObjectName("lblDevNumber");
    lblDevName = new QLabel(QStringLiteral("显示名称"), grpBoxDevInfo);
    lblDevName->setObjectName("lblDevName");
    lblDevIP = new QLabel(QStringLiteral("ＩＰ地址"), grpBoxDevInfo);
    lblDevIP->setObjectName("lblDevIP");

    EdtDevNumber = new QLineEdit(grpBoxDevInfo);
    EdtDevNumber->setObjectName("EdtDevNumber");
    EdtDevNumber->setMaxLength(16);
    AllowTypedCharacters(EdtDevNumber, "0123456789");
    EdtDevName = new QLineEdit(grpBoxDevInfo);
    EdtDevName->setObjectName("EdtDevName");
    EdtDevName->setMaxLength(16);
    EdtDevIP = new QLineEdit(grpBoxDevInfo);
    EdtDevIP->setObjectName("EdtDevIP");
    EdtDevIP->setMaxLength(15);
    AllowTypedCharacters(EdtDevIP, "0123456789.");

    auto* grid = new QGridLayout(grpBoxDevInfo);
    grid->addWidget(lblDevNumber, 0, 0);
    grid->addWidget(EdtDevNumber, 0, 1);
    grid->addWidget(lblDevName, 1, 0);
    grid->addWidget(EdtDevName, 1, 1);
    grid->addWidget(lblDevIP, 2, 0);
    grid->addWidget(EdtDevIP, 2, 1);

    btnDevOk = new QPushButton(QStringLiteral("添  加(&A)"), this);
    btnDevOk->setObjectName("btnDevOk");
    btnDevOk->setDefault(true);
    btnDevCancel = new QPushButton(QStringLiteral("关  闭(&C)"), this);
    btnDevCancel->setObjectName("btnDevCancel");
    btnDevCancel->setAutoDefault(false);
    connect(btnDevOk, &QPushButton::clicked, this, &TFrmDevEdit::btnDevOkClick);
    connect(btnDevCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnDevOk);
    buttons->addWidget(btnDevCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpBoxDevInfo);
    layout->addLayout(buttons);
    EdtDevNumber->setFocus();
}

void TFrmDevEdit::SetTexts(const QString& account, const QString& name, const QString& ip) {
    // The limits are for typing. QLineEdit cuts a longer text to its limit, and a row's texts
    // may be longer (a display name from a terminal has up to 31 characters), so the box takes
    // the row's whole text and keeps it when the user saves without touching it.
    const std::pair<QLineEdit*, const QString*> boxes[] = {
        {EdtDevNumber, &account}, {EdtDevName, &name}, {EdtDevIP, &ip}};
    for (const auto& [box, text] : boxes) {
        box->setMaxLength(std::max(box->maxLength(), static_cast<int>(text->size())));
        box->setText(*text);
    }
}

QString TFrmDevEdit::Account() const {
    return EdtDevNumber->text().trimmed();
}
QString TFrmDevEdit::DisplayName() const {
    return EdtDevName->text().trimmed();
}
QString TFrmDevEdit::IpText() const {
    return EdtDevIP->text().trimmed();
}

void TFrmDevEdit::showEvent(QShowEvent* event) {
    if (mode_ == TMode::Modify) {
        setWindowTitle(TrText("Pelmora/TFrmDevEdit/Self.Caption0", QStringLiteral("修改设备")));
        btnDevOk->setText(
            TrText("Pelmora/TFrmDevEdit/btnDevOk.Caption0", QStringLiteral("保    存(&S)")));
        btnDevCancel->setText(
            TrText("Pelmora/TFrmDevEdit/btnDevCancel.Caption0", QStringLiteral("取    消(&C)")));
    }
    QDialog::showEvent(event);
    EdtDevNumber->setFocus();
}

void TFrmDevEdit::Refuse(int keyWord, const QString& defaultText, QLineEdit* focus,
                         const QString& arg) {
    ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, "FrmDevAddEdit", keyWord, defaultText,
                   arg.isNull() ? QStringList() : QStringList{arg}, windowTitle());
    focus->setFocus();
}

void TFrmDevEdit::btnDevOkClick() {
    const QString account = Account();
    if (account.isEmpty())
        return Refuse(1, QStringLiteral("用户账号不能为空，请输入！"), EdtDevNumber);
    const QString name = DisplayName();
    if (name.isEmpty()) return Refuse(2, QStringLiteral("显示名称不能为空，请输入！"), EdtDevName);
    const QString ip = IpText();
    if (!IsValidIPStrict(ip.toStdString()))
        return Refuse(3, QStringLiteral("IP地址为空或不正确，请检查！"), EdtDevIP);
    const QString pair = account + "=" + ip;
    if (account != editedAccount_ && pairs_.count(pair) != 0)
        return Refuse(4, QStringLiteral("用户账号为[%s]已存在，请核对后再输入！"), EdtDevNumber,
                      account);

    if (mode_ == TMode::Modify) {
        accept();
        return;
    }
    if (addRow_) addRow_(account, name, ip);
    pairs_.insert(pair);
    EdtDevNumber->clear();
    EdtDevName->clear();
    EdtDevIP->clear();
    EdtDevNumber->setFocus();
}
