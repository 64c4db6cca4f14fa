#include "manager/books/widgets/frmmulticastedit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "common/widgets/typedcharfilter.h"
#include "manager/books/bookrules.h"

namespace {

const TBookEditTexts kTexts{
    "TFrmMulticastEdit",
    "FrmMulticastEdit",
    "组播地址",
    {QStringLiteral("序    号"), QStringLiteral("分区名称"), QStringLiteral("组播地址"),
     QStringLiteral("端口号")},
    "lvMulticasts",
    "pnlMulticastSelect",
    "lblMulticastSelect",
    "组播地址勾选个数/ 总数：",
    "lblMulticastNum",
    "lblMulticastHint",
    "注：请勾选相应的组播地址，然后【确定】",
    "注：请选择具体组播地址，然后【确定】",
    {QStringLiteral("添  加(&A)"), QStringLiteral("修  改(&M)"), QStringLiteral("删  除(&D)"),
     QStringLiteral("确    定(&O)"), QStringLiteral("关  闭(&C)")},
    TBookKind::kMulticasts,
};

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TFrmMulticastEdit::TFrmMulticastEdit(TBookEditMode mode, std::string listPath, IPrompter& prompter,
                                     QWidget* parent)
    : TFrmBookEdit(kTexts, mode, std::move(listPath), prompter, parent) {
    setObjectName("FrmMulticastEdit");
    edtMulticastName_ = new QLineEdit(this);
    edtMulticastName_->setObjectName("edtMulticastName");
    edtMulticastName_->setMaxLength(booklimit::kZoneName);
    edtMulticastIP_ = new QLineEdit(this);
    edtMulticastIP_->setObjectName("edtMulticastIP");
    edtMulticastIP_->setMaxLength(booklimit::kAddress);
    AllowTypedCharacters(edtMulticastIP_, "0123456789.");
    spEdtMulticastPort_ = new QSpinBox(this);
    spEdtMulticastPort_->setObjectName("spEdtMulticastPort");
    spEdtMulticastPort_->setRange(0, booklimit::kMaxPort);

    auto* grid = new QGridLayout;
    grid->addWidget(NewLabel(this, "lblMulticastName", QStringLiteral("分区名称")), 0, 0);
    grid->addWidget(edtMulticastName_, 0, 1);
    grid->addWidget(NewLabel(this, "lblMulticastIP", QStringLiteral("组播地址")), 1, 0);
    grid->addWidget(edtMulticastIP_, 1, 1);
    grid->addWidget(NewLabel(this, "lblMulticastPort", QStringLiteral("端口号")), 1, 2);
    grid->addWidget(spEdtMulticastPort_, 1, 3);
    SetInputs(grid);
}

void TFrmMulticastEdit::SetInUse(const QStringList& inUse, bool checkInUse) {
    inUse_ = inUse;
    checkInUse_ = checkInUse;
}

std::optional<std::vector<std::string>> TFrmMulticastEdit::CheckedColumns(
    std::optional<std::size_t> exceptRow) {
    const TMulticastInput input{edtMulticastName_->text().trimmed().toStdString(),
                                edtMulticastIP_->text().trimmed().toStdString(),
                                spEdtMulticastPort_->cleanText().trimmed().toStdString()};
    switch (CheckMulticast(Rows(), input, exceptRow)) {
        case TMulticastProblem::kNone:
            return std::vector<std::string>{input.zoneName, input.address, input.port};
        // The fields are bounded, so "too long" and a bad port only name the field concerned.
        case TMulticastProblem::kEmptyZoneName:
        case TMulticastProblem::kZoneNameTooLong:
            Refuse(1, QStringLiteral("分区名称不能为空，请输入"), edtMulticastName_);
            break;
        case TMulticastProblem::kEmptyAddress:
            Refuse(2, QStringLiteral("组播地址不能为空，请输入"), edtMulticastIP_);
            break;
        case TMulticastProblem::kBadAddress:
        case TMulticastProblem::kAddressTooLong:
            Refuse(9, QStringLiteral("IP地址不正确，请查正！"), edtMulticastIP_);
            break;
        case TMulticastProblem::kEmptyPort:
        case TMulticastProblem::kBadPort:
            Refuse(3, QStringLiteral("端口号不能为空，请输入"), spEdtMulticastPort_);
            break;
        case TMulticastProblem::kZoneNameTaken:
            Refuse(4, QStringLiteral("分区名称[%s]已存在列表中，请更正"), edtMulticastName_,
                   {Q(input.zoneName)});
            break;
        case TMulticastProblem::kAddressTaken:
            Refuse(5, QStringLiteral("组播地址[%s]已存在列表中，请更正"), edtMulticastIP_,
                   {Q(input.address)});
            break;
    }
    return std::nullopt;
}

void TFrmMulticastEdit::FillInputs(const TListRow& row) {
    edtMulticastName_->setText(Q(row.Column(multicastcol::kZoneName)));
    edtMulticastIP_->setText(Q(row.Column(multicastcol::kAddress)));
    bool number = false;
    const int port = Q(row.Column(multicastcol::kPort)).toInt(&number);
    if (number && port >= 0 && port <= booklimit::kMaxPort)
        spEdtMulticastPort_->setValue(port);
    else
        spEdtMulticastPort_->clear();
}

void TFrmMulticastEdit::ClearInputs() {
    spEdtMulticastPort_->clear();
    edtMulticastIP_->clear();
    edtMulticastName_->clear();
}

void TFrmMulticastEdit::ClearInputsOnDeselect() {
    ClearInputs();
}

void TFrmMulticastEdit::AfterStore(bool, const std::vector<std::string>&) {
    ClearInputs();
    edtMulticastName_->setFocus();
}

QString TFrmMulticastEdit::DeleteQuestion(const TListRow& row) const {
    return MessageText(6, QStringLiteral("确定要删除组播地址[%s=%s:%s]？"),
                       {Q(row.Column(multicastcol::kZoneName)),
                        Q(row.Column(multicastcol::kAddress)), Q(row.Column(multicastcol::kPort))});
}

QString TFrmMulticastEdit::PreselectionKey(const QString& text) const {
    return text;
}

QString TFrmMulticastEdit::RowKey(const TListRow& row) const {
    return Q(row.Column(multicastcol::kAddress)) + "=" + Q(row.Column(multicastcol::kPort));
}

bool TFrmMulticastEdit::OkAllowed() {
    const std::size_t limit = booklimit::kMaxSelectedZones;
    if (Mode() == TBookEditMode::kSelect && Rows().size() > limit &&
        static_cast<std::size_t>(TickCount()) > limit) {
        ShowMessage(7, QStringLiteral("选择的组播地址数最大上限为 %s个，请检查"),
                    {QString::number(limit)});
        return false;
    }
    const std::optional<std::size_t> row = SelectedIndex();
    if (Mode() == TBookEditMode::kPick && checkInUse_ && !inUse_.isEmpty() && row &&
        inUse_.contains(RowKey(Rows()[*row]), Qt::CaseInsensitive)) {
        ShowMessage(8, QStringLiteral("组播地址[%s]和端口号[%s]已被使用，请更改"),
                    {Q(Rows()[*row].Column(multicastcol::kAddress)),
                     Q(Rows()[*row].Column(multicastcol::kPort))});
        return false;
    }
    return true;
}
