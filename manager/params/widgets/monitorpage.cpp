// The monitor page: the ten multicast groups the terminal listens to, one row per priority, taken
// from the multicast book; and the play volume.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "manager/params/pagevalues.h"
#include "manager/params/widgets/functionpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

constexpr int kDefaultVolume = 90;

class TMonitorPage : public TPropertyPage {
  public:
    explicit TMonitorPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* group = NewGroup(this, "grpBoxMonitorMulticast", "地址项");
        auto* grid = new QGridLayout(group);
        grid->addWidget(NewLabel(group, "lblMonitorMulticast_IP", "组播地址"), 0, 1);
        grid->addWidget(NewLabel(group, "lblMonitorMulticast_Port", "端口号"), 0, 2);
        grid->addWidget(NewLabel(group, "lblMonitorMulticast_Priority", "优先级"), 0, 5);
        for (int r = 0; r < static_cast<int>(kMonitorEntries); ++r) {
            const QString n = QString::number(r + 1);
            auto* label = new QLabel(QString::fromUtf8("地址") + n, group);
            label->setObjectName("lblMonitorMulticast_Address" + n);
            address_[r] = new QLineEdit(group);
            address_[r]->setObjectName("edtMonitorMulticast_IP" + n);
            address_[r]->setMaxLength(15);
            port_[r] = new QLineEdit(group);
            port_[r]->setObjectName("edtMonitorMulticast_Port" + n);
            port_[r]->setMaxLength(5);
            for (QLineEdit* box : {address_[r], port_[r]})
                box->setReadOnly(true);
            QPushButton* pick = NewButton(group, "spBtnMonitorMulticast_Select" + n, "...");
            pick->setToolTip(PickMulticastHint());
            QPushButton* clear = NewClearButton(group, "spBtnMonitorMulticast_Clear" + n, r + 1);
            auto* priority = new QLabel(n, group);
            priority->setObjectName("lblMonitorMulticast_Priority" + n);
            const int line = r + 1;
            grid->addWidget(label, line, 0);
            grid->addWidget(address_[r], line, 1);
            grid->addWidget(port_[r], line, 2);
            grid->addWidget(pick, line, 3);
            grid->addWidget(clear, line, 4);
            grid->addWidget(priority, line, 5);
            connect(pick, &QPushButton::clicked, this, [this, r] { Pick(r); });
            connect(clear, &QPushButton::clicked, this, [this, r] { SetRow(r, {}, {}); });
        }

        QGroupBox* play = NewGroup(this, "grpBoxMonitorMulticastPlay", "播    放");
        volume_ = NewNumberBox(play, "spEdtMonitorMulticast_Volume", 60, 100);
        QPushButton* defVolume = NewButton(play, "spBtnMonitorMulticast_DefVolume", "默认(&F)");
        connect(defVolume, &QPushButton::clicked, this,
                [this] { volume_->setValue(kDefaultVolume); });
        auto* playLayout = new QHBoxLayout(play);
        playLayout->addWidget(NewLabel(play, "lblMonitorMulticast_Volume", "播放音量(0~100)"));
        playLayout->addWidget(volume_);
        playLayout->addWidget(defVolume);
        playLayout->addStretch();

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addWidget(play);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        volume_->setValue(static_cast<int>(
            std::clamp<std::int64_t>(GetFieldInt(block, ParamField("monitor.volume")), 60, 100)));
        const TMonitorRows rows = GetMonitorRows(block);
        for (int r = 0; r < static_cast<int>(kMonitorEntries); ++r)
            SetRow(r, QString::fromStdString(rows[r].address),
                   rows[r].port == 0 ? QString() : QString::number(rows[r].port));
    }

    void Save(TParamBlock& block) const override {
        const std::optional<std::int64_t> volume = BoxNumber(volume_->cleanText().toStdString());
        SetFieldInt(block, ParamField("monitor.volume"), volume ? *volume : kDefaultVolume);
        TMonitorRows rows;
        for (int r = 0; r < static_cast<int>(kMonitorEntries); ++r) {
            const std::optional<std::int64_t> port = BoxNumber(BoxText(port_[r]));
            rows[r] = {BoxText(address_[r]), port && *port <= 65535 ? static_cast<int>(*port) : 0};
        }
        SetMonitorRows(block, rows);
    }

  private:
    void SetRow(int r, const QString& address, const QString& port) {
        address_[r]->setText(address);
        port_[r]->setText(port);
    }

    // Offers the multicast book; a group already monitored in any row is refused by it.
    void Pick(int r) {
        if (!context_.pickMulticast) return;
        QStringList inUse;
        for (int i = 0; i < static_cast<int>(kMonitorEntries); ++i)
            inUse << QString::fromStdString(BoxText(address_[i])) + "=" +
                         QString::fromStdString(BoxText(port_[i]));
        const TMulticastPick pick = context_.pickMulticast(this, inUse, true);
        if (pick.result == TPickResult::kCancelled) return;
        if (pick.result == TPickResult::kPicked)
            SetRow(r, pick.address, pick.port);
        else
            SetRow(r, {}, {});
    }

    std::array<QLineEdit*, kMonitorEntries> address_, port_;
    QSpinBox* volume_;
};

}  // namespace

void RegisterMonitorPage(TPageRegistry& registry) {
    registry.AddPage({.name = "MonitorMulticast",
                      .create = [](TEditorContext& context) { return new TMonitorPage(context); }});
}
