// The key page: the key input mode, the multicast prompt tone, and per call key either a SIP
// number to call or a multicast address and port, taken from the address books when wanted.
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "manager/params/pagevalues.h"
#include "manager/params/widgets/functionpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

constexpr int kKeys = 4;
constexpr int kMulticastMode = 1;  // list position of "组    播"

QByteArray KeyName(const char* pattern, int key) {
    return QString::fromLatin1(pattern).arg(key + 1).toLatin1();
}

QWidget* NewPanel(QWidget* parent, const QByteArray& name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    return panel;
}

struct TKeyRow {
    QLabel* label;
    QComboBox* mode;
    QWidget *sipPanel, *multicastPanel;
    QLineEdit *sip, *address, *port;
};

class TKeyPage : public TPropertyPage {
  public:
    explicit TKeyPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* group = NewGroup(this, "grpBoxKey", "按键定义");
        auto* grid = new QGridLayout(group);
        hold_ = Pair(group, grid, "lblKey_Mode", "按键模式", {"rdBtnKey_ModeHold", "保    持(&H)"},
                     {"rdBtnKey_ModeTrigger", "触    发(&T)"});
        tone_ = Pair(group, grid, "lblKey_MulticastRing", "组播提示音",
                     {"rdBtnKey_MulticastRingEnable", "允    许(&W)"},
                     {"rdBtnKey_MulticastRingDisable", "禁    止(&O)"});
        for (int k = 0; k < kKeys; ++k)
            rows_[k] = NewRow(group, grid, k);
        // Key 4 is loaded and saved but never shown.
        for (QWidget* widget :
             {static_cast<QWidget*>(rows_[3].label), static_cast<QWidget*>(rows_[3].mode),
              rows_[3].sipPanel, rows_[3].multicastPanel})
            widget->setVisible(false);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        hold_.first->setChecked(GetFieldInt(block, ParamField("key.input_mode")) == 1);
        hold_.second->setChecked(!hold_.first->isChecked());
        tone_.first->setChecked(GetFieldInt(block, ParamField("key.prompt_tone")) == 1);
        tone_.second->setChecked(!tone_.first->isChecked());
        for (int k = 0; k < kKeys; ++k) {
            const TKeyRecordValue key = GetKeyRecord(block, static_cast<std::size_t>(k));
            const TKeyRow& row = rows_[k];
            row.mode->setCurrentIndex(key.multicast ? kMulticastMode : 0);
            const QString target = QString::fromStdString(key.target);
            SetBoxText(row.sip, key.multicast ? QString() : target);
            SetBoxText(row.address, key.multicast ? target : QString());
            row.port->setText(key.multicast && key.port != 0 ? QString::number(key.port)
                                                             : QString());
            ShowModeRow(k);
        }
    }

    void Save(TParamBlock& block) const override {
        SetFieldInt(block, ParamField("key.input_mode"), hold_.first->isChecked() ? 1 : 0);
        SetFieldInt(block, ParamField("key.prompt_tone"), tone_.first->isChecked() ? 1 : 0);
        for (int k = 0; k < kKeys; ++k) {
            const TKeyRow& row = rows_[k];
            TKeyRecordValue key;
            key.multicast = row.mode->currentIndex() == kMulticastMode;
            if (key.multicast) {
                key.target = BoxText(row.address);
                const std::optional<std::int64_t> port = BoxNumber(BoxText(row.port));
                key.port = port && *port <= 65535 ? static_cast<int>(*port) : 0;
            } else {
                key.target = BoxText(row.sip);
            }
            SetKeyRecord(block, static_cast<std::size_t>(k), key);
        }
    }

  private:
    using TPair = std::pair<QRadioButton*, QRadioButton*>;
    struct TCaption {
        const char* name;
        const char* caption;
    };

    TPair Pair(QWidget* group, QGridLayout* grid, const char* labelName, const char* caption,
               TCaption on, TCaption off) {
        const TPair pair{NewRadio(group, on.name, on.caption),
                         NewRadio(group, off.name, off.caption)};
        auto* buttons = new QButtonGroup(group);
        buttons->addButton(pair.first);
        buttons->addButton(pair.second);
        auto* row = new QWidget(group);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(pair.second);
        layout->addWidget(pair.first);
        layout->addStretch();
        AddRow(grid, NewLabel(group, labelName, caption), row);
        return pair;
    }

    TKeyRow NewRow(QWidget* group, QGridLayout* grid, int k) {
        TKeyRow row;
        const QByteArray labelName = KeyName("lblKey_%1", k);
        row.label = NewLabel(group, labelName.constData(),
                             QString::fromUtf8("按    键%1").arg(k + 1).toUtf8().constData());
        row.mode = new QComboBox(group);
        row.mode->setObjectName(QString::fromLatin1(KeyName("cmbBoxKey_%1Mode", k)));
        row.mode->addItem(QString::fromUtf8("呼    叫"));
        row.mode->addItem(QString::fromUtf8("组    播"));

        row.sipPanel = NewPanel(group, KeyName("pnlKey_%1Sip", k));
        row.sip = NewTextBox(row.sipPanel, KeyName("EdtKey_%1Sip", k).constData(), 15, 16);
        QPushButton* pickSip = NewButton(row.sipPanel, KeyName("BtnKey_%1SipSelect", k), "...");
        pickSip->setToolTip(PickContactHint());
        row.sipPanel->layout()->addWidget(
            NewLabel(row.sipPanel, KeyName("lblKey_%1Sip", k).constData(), "SIP账号"));
        row.sipPanel->layout()->addWidget(row.sip);
        row.sipPanel->layout()->addWidget(pickSip);

        row.multicastPanel = NewPanel(group, KeyName("pnlKey_%1Multicast", k));
        row.address = NewTextBox(row.multicastPanel, KeyName("edtKey_%1IP", k).constData(), 15, 16);
        row.port = new QLineEdit(row.multicastPanel);
        row.port->setObjectName(QString::fromLatin1(KeyName("edtKey_%1Port", k)));
        row.port->setMaxLength(5);
        row.port->setValidator(new QIntValidator(0, 65535, row.port));
        QPushButton* pickCast =
            NewButton(row.multicastPanel, KeyName("BtnKey_%1MulticastSelect", k), "...");
        pickCast->setToolTip(PickMulticastHint());
        QPushButton* clear =
            NewClearButton(row.multicastPanel, KeyName("BtnKey_%1MulticastClear", k), k + 1);
        for (QWidget* widget :
             {static_cast<QWidget*>(
                  NewLabel(row.multicastPanel, KeyName("lblKey_%1IP", k).constData(), "组播地址")),
              static_cast<QWidget*>(row.address),
              static_cast<QWidget*>(
                  NewLabel(row.multicastPanel, KeyName("lblKey_%1Port", k).constData(), "端口号")),
              static_cast<QWidget*>(row.port), static_cast<QWidget*>(pickCast),
              static_cast<QWidget*>(clear)})
            row.multicastPanel->layout()->addWidget(widget);

        const int line = grid->rowCount();
        grid->addWidget(row.label, line, 0);
        grid->addWidget(row.mode, line, 1);
        grid->addWidget(row.sipPanel, line, 2);
        grid->addWidget(row.multicastPanel, line, 3);

        connect(row.mode, &QComboBox::currentIndexChanged, this, [this, k] { ShowModeRow(k); });
        connect(pickSip, &QPushButton::clicked, this, [this, k] { PickSip(k); });
        connect(pickCast, &QPushButton::clicked, this, [this, k] { PickZone(k); });
        connect(clear, &QPushButton::clicked, this, [this, k] {
            rows_[k].address->clear();
            rows_[k].port->clear();
        });
        return row;
    }

    // Keys 1 to 3 show the row of their mode; key 4 shows nothing.
    void ShowModeRow(int k) {
        if (k == kKeys - 1) return;
        const bool multicast = rows_[k].mode->currentIndex() == kMulticastMode;
        rows_[k].sipPanel->setVisible(!multicast);
        rows_[k].multicastPanel->setVisible(multicast);
    }

    void PickSip(int k) {
        if (!context_.pickContact) return;
        const TContactPick pick = context_.pickContact(this);
        if (pick.result == TPickResult::kCancelled) return;
        SetBoxText(rows_[k].sip, pick.result == TPickResult::kPicked ? pick.sipAccount : QString());
    }

    void PickZone(int k) {
        if (!context_.pickMulticast) return;
        const TMulticastPick pick = context_.pickMulticast(this, {}, false);
        if (pick.result == TPickResult::kCancelled) return;
        const bool picked = pick.result == TPickResult::kPicked;
        SetBoxText(rows_[k].address, picked ? pick.address : QString());
        rows_[k].port->setText(picked ? pick.port : QString());
    }

    TPair hold_, tone_;
    std::array<TKeyRow, kKeys> rows_;
};

}  // namespace

void RegisterKeyPage(TPageRegistry& registry) {
    registry.AddPage({.name = "KeySetting",
                      .create = [](TEditorContext& context) { return new TKeyPage(context); }});
}
