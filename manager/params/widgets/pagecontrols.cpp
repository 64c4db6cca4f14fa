#include "manager/params/widgets/pagecontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QValidator>
#include <algorithm>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/typedcharfilter.h"
#include "manager/params/serveraddresses.h"

namespace {

constexpr char kTypingLimit[] = "typingLimit";

// Refuses an edit whose text needs more bytes in the device code page than the field holds.
class TDeviceBytesValidator : public QValidator {
  public:
    TDeviceBytesValidator(std::size_t maxBytes, QObject* parent)
        : QValidator(parent), maxBytes_(maxBytes) {}
    State validate(QString& input, int&) const override {
        return ToDeviceBytes(input.toStdString()).size() <= maxBytes_ ? Acceptable : Invalid;
    }

  private:
    std::size_t maxBytes_;
};

// Address keys: digits and "."; the editing keys pass.
const QString kAddressKeys = QStringLiteral("0123456789.");

void LimitBox(QLineEdit* box, int maxChars, std::size_t fieldWidth) {
    box->setProperty(kTypingLimit, maxChars);
    box->setMaxLength(maxChars);
    box->setValidator(new TDeviceBytesValidator(fieldWidth - 1, box));
}

}  // namespace

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name);
    return label;
}

QGroupBox* NewGroup(QWidget* parent, const char* name, const char* caption) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    group->setObjectName(name);
    return group;
}

QRadioButton* NewRadio(QWidget* parent, const char* name, const char* caption) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption), parent);
    radio->setObjectName(name);
    return radio;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(name);
    return box;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPushButton* NewClearButton(QWidget* parent, const QString& name, int row) {
    return NewButton(parent, name, QStringLiteral("清空(&%1)").arg(row % 10).toUtf8().constData());
}

QSpinBox* NewNumberBox(QWidget* parent, const char* name, int min, int max) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(min, max);
    return box;
}

QLineEdit* NewTextBox(QWidget* parent, const char* name, int maxChars, std::size_t fieldWidth) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    LimitBox(box, maxChars, fieldWidth);
    return box;
}

QLineEdit* NewAddressBox(QWidget* parent, const char* name) {
    QLineEdit* box = NewTextBox(parent, name, 15, 16);
    AllowTypedCharacters(box, kAddressKeys);
    return box;
}

QComboBox* NewServerBox(QWidget* parent, const char* name, int maxChars, std::size_t fieldWidth,
                        bool addressKeysOnly) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    LimitBox(box->lineEdit(), maxChars, fieldWidth);
    if (addressKeysOnly) AllowTypedCharacters(box->lineEdit(), kAddressKeys);
    return box;
}

void SetBoxText(QLineEdit* box, const QString& text) {
    const int limit = box->property(kTypingLimit).toInt();
    box->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    box->setText(text);
}

std::string BoxText(const QLineEdit* box) {
    return std::string(TrimBlanks(box->text().toStdString()));
}

std::string BoxText(const QComboBox* box) {
    return std::string(TrimBlanks(box->currentText().toStdString()));
}

void LoadServerBox(QComboBox* box, const TEditorContext& context, std::string_view key,
                   const std::string& text) {
    box->clear();
    const std::string remembered = RememberedServer(context.settingsFile.toStdString(), key);
    if (!remembered.empty()) box->addItem(QString::fromStdString(remembered));
    SetBoxText(box->lineEdit(), QString::fromStdString(text));
}

void RememberServerText(const TEditorContext& context, std::string_view key,
                        const std::string& text) {
    if (!text.empty()) RememberServer(context.settingsFile.toStdString(), key, text);
}

QString FieldQText(const TParamBlock& block, std::string_view field) {
    return QString::fromStdString(GetFieldText(block, ParamField(field)));
}

std::string AddressOrEmpty(const TParamBlock& block, std::string_view field) {
    const std::string text = GetFieldIp(block, ParamField(field));
    return text == "0.0.0.0" ? std::string() : text;
}

TPageCheckFailure CheckFailureAt(const TCheckFailure& failure, QWidget* box) {
    return {box, TrText(PropertyMessageKey(failure.keyWord),
                        QString::fromStdString(failure.defaultText))};
}

QString PickContactHint() {
    return TrText("Pelmora/TFrmProperty/BtnSelectContact.Hint", QStringLiteral("从联系人中选择"));
}

QString PickMulticastHint() {
    return TrText("Pelmora/TFrmProperty/BtnSelectMulticast.Hint",
                  QStringLiteral("从组播地址中选择"));
}

void AddRow(QGridLayout* grid, QWidget* label, QWidget* control) {
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    grid->setColumnStretch(1, 1);
}
