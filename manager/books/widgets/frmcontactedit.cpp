#include "manager/books/widgets/frmcontactedit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "manager/books/bookrules.h"

namespace {

const TBookEditTexts kTexts{
    "TFrmContactEdit",
    "FrmContactEdit",
    "联系人",
    {QStringLiteral("序    号"), QStringLiteral("Sip账号"), QStringLiteral("显示名称"),
     QStringLiteral("分组名称")},
    "lvContacts",
    "pnlContactSelect",
    "lblContactSelect",
    "联系人勾选个数/ 总数：",
    "lblContactNum",
    "lblContactHint",
    "注：请勾选相应的联系人，然后【确定】",
    "注：请选择具体联系人，然后【确定】",
    {QStringLiteral("添    加(&A)"), QStringLiteral("修    改(&M)"), QStringLiteral("删    除(&D)"),
     QStringLiteral("确   定(&O)"), QStringLiteral("关   闭(&C)")},
    TBookKind::kContacts,
};

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

TFrmContactEdit::TFrmContactEdit(TBookEditMode mode, std::string listPath, IPrompter& prompter,
                                 QWidget* parent)
    : TFrmBookEdit(kTexts, mode, std::move(listPath), prompter, parent) {
    setObjectName("FrmContactEdit");
    edtSipNumber_ = NewEdit(this, "edtSipNumber", booklimit::kSipAccount);
    edtUserName_ = NewEdit(this, "edtUserName", booklimit::kDisplayName);
    cmbBoxGroupName_ = new QComboBox(this);
    cmbBoxGroupName_->setObjectName("cmbBoxGroupName");
    cmbBoxGroupName_->setEditable(true);
    cmbBoxGroupName_->setInsertPolicy(QComboBox::NoInsert);
    cmbBoxGroupName_->lineEdit()->setMaxLength(booklimit::kGroupName);

    auto* grid = new QGridLayout;
    grid->addWidget(NewLabel(this, "lblSipNumber", QStringLiteral("Sip账号")), 0, 0);
    grid->addWidget(edtSipNumber_, 0, 1);
    grid->addWidget(NewLabel(this, "lblUserName", QStringLiteral("显示名称")), 0, 2);
    grid->addWidget(edtUserName_, 0, 3);
    grid->addWidget(NewLabel(this, "lblGroupName", QStringLiteral("分组名称")), 1, 0);
    grid->addWidget(cmbBoxGroupName_, 1, 1, 1, 3);
    SetInputs(grid);
}

std::optional<std::vector<std::string>> TFrmContactEdit::CheckedColumns(
    std::optional<std::size_t> exceptRow) {
    const TContactInput input{edtSipNumber_->text().trimmed().toStdString(),
                              edtUserName_->text().trimmed().toStdString(),
                              cmbBoxGroupName_->currentText().trimmed().toStdString()};
    switch (CheckContact(Rows(), input, exceptRow)) {
        case TContactProblem::kNone:
            return std::vector<std::string>{input.sipAccount, input.displayName, input.groupName};
        // The fields stop typing at the limits, so "too long" only names the field concerned.
        case TContactProblem::kEmptySipAccount:
        case TContactProblem::kSipAccountTooLong:
            Refuse(1, QStringLiteral("Sip账号不能为空，请输入"), edtSipNumber_);
            break;
        case TContactProblem::kEmptyDisplayName:
        case TContactProblem::kDisplayNameTooLong:
            Refuse(2, QStringLiteral("显示名称不能为空，请输入"), edtUserName_);
            break;
        case TContactProblem::kEmptyGroupName:
        case TContactProblem::kGroupNameTooLong:
            Refuse(3, QStringLiteral("分组名称不能为空，请输入"), cmbBoxGroupName_);
            break;
        case TContactProblem::kSipAccountTaken:
            Refuse(4, QStringLiteral("Sip账号[%s]已存在列表中，请更正"), edtSipNumber_,
                   {QString::fromStdString(input.sipAccount)});
            break;
    }
    return std::nullopt;
}

void TFrmContactEdit::FillInputs(const TListRow& row) {
    edtSipNumber_->setText(QString::fromStdString(row.Column(contactcol::kSipAccount)));
    edtUserName_->setText(QString::fromStdString(row.Column(contactcol::kDisplayName)));
    cmbBoxGroupName_->setEditText(QString::fromStdString(row.Column(contactcol::kGroupName)));
}

void TFrmContactEdit::ClearInputs() {
    edtSipNumber_->clear();
    edtUserName_->clear();
    cmbBoxGroupName_->setEditText(QString());
}

void TFrmContactEdit::ClearInputsOnDeselect() {
    // The group stays: the next contact is often of the same group.
    edtSipNumber_->clear();
    edtUserName_->clear();
}

void TFrmContactEdit::AfterStore(bool added, const std::vector<std::string>& columns) {
    if (added) {
        const QString group = QString::fromStdString(columns[contactcol::kGroupName]);
        if (cmbBoxGroupName_->findText(group, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            cmbBoxGroupName_->insertItem(0, group);
    }
    ClearInputs();
    edtSipNumber_->setFocus();
}

QString TFrmContactEdit::DeleteQuestion(const TListRow& row) const {
    return MessageText(5, QStringLiteral("确定要删除联系人[%s=%s]？"),
                       {QString::fromStdString(row.Column(contactcol::kSipAccount)),
                        QString::fromStdString(row.Column(contactcol::kDisplayName))});
}

QString TFrmContactEdit::PreselectionKey(const QString& text) const {
    return text.section('=', 0, 0);
}

QString TFrmContactEdit::RowKey(const TListRow& row) const {
    return QString::fromStdString(row.Column(contactcol::kSipAccount));
}

void TFrmContactEdit::ListLoaded() {
    // The known groups, taken from the last row to the first.
    cmbBoxGroupName_->clear();
    for (auto row = Rows().rbegin(); row != Rows().rend(); ++row) {
        const QString group = QString::fromStdString(row->Column(contactcol::kGroupName)).trimmed();
        if (!group.isEmpty() &&
            cmbBoxGroupName_->findText(group, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            cmbBoxGroupName_->addItem(group);
    }
    cmbBoxGroupName_->setEditText(QString());
}

bool TFrmContactEdit::OkAllowed() {
    const std::size_t limit = booklimit::kMaxSelectedContacts;
    if (Mode() == TBookEditMode::kSelect && Rows().size() > limit &&
        static_cast<std::size_t>(TickCount()) > limit) {
        ShowMessage(6, QStringLiteral("选择的联系人数最大上限为 %s个，请检查"),
                    {QString::number(limit)});
        return false;
    }
    return true;
}
