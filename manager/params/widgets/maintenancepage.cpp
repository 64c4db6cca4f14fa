// The maintenance page: the terminal's own login, its time zone and two time servers.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "manager/params/paramtexts.h"
#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/basicpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

class TMaintenancePage : public TPropertyPage {
  public:
    explicit TMaintenancePage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* login = NewGroup(this, "grpBoxSystemUser", "登录信息");
        user_ = NewTextBox(login, "edtSystemUser_Name", 15, 16);
        password_ = NewTextBox(login, "edtSystemUser_Password", 15, 16);
        password_->setEchoMode(QLineEdit::Password);
        auto* loginGrid = new QGridLayout(login);
        AddRow(loginGrid, NewLabel(login, "lblSystemUser_Name", "用  户  名"), user_);
        AddRow(loginGrid, NewLabel(login, "lblSystemUser_Password", "密        码"), password_);

        QGroupBox* time = NewGroup(this, "grpBox520TimeZone", "时区设置");
        zone_ = new QComboBox(time);
        zone_->setObjectName("cmbBox520TimeZone_Current");
        for (std::string_view text : TimeZoneTexts())
            zone_->addItem(QString::fromUtf8(text.data(), text.size()));
        server1_ = NewServerBox(time, "cmbBox520TimeZone_TimeServerIp1", 15, 16, true);
        server2_ = NewServerBox(time, "cmbBox520TimeZone_TimeServerIp2", 15, 16, true);
        auto* timeGrid = new QGridLayout(time);
        AddRow(timeGrid, NewLabel(time, "lbl520TimeZone_Current", "当前时区"), zone_);
        AddRow(timeGrid, NewLabel(time, "lbl520TimeZone_TimeServerIp1", "时区服务器地址1"),
               server1_);
        AddRow(timeGrid, NewLabel(time, "lbl520TimeZone_TimeServerIp2", "时区服务器地址2"),
               server2_);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(login);
        layout->addWidget(time);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        SetBoxText(user_, FieldQText(block, "maint.user"));
        SetBoxText(password_, FieldQText(block, "maint.password"));
        const auto minutes = static_cast<int>(GetFieldInt(block, ParamField("timezone")));
        const int index = zone_->findText(QString::fromStdString(TimeZoneText(minutes)));
        zone_->setCurrentIndex(index >= 0 ? index : kDefaultTimeZoneIndex);
        LoadServerBox(server1_, context_, kTimeServer1Key, AddressOrEmpty(block, "time_server1"));
        LoadServerBox(server2_, context_, kTimeServer2Key, AddressOrEmpty(block, "time_server2"));
    }

    // Both login fields are cleared before writing, so an empty box leaves 16 zero bytes.
    void Save(TParamBlock& block) const override {
        SetFieldText(block, ParamField("maint.user"), BoxText(user_));
        SetFieldText(block, ParamField("maint.password"), BoxText(password_));
        SetFieldInt(block, ParamField("timezone"),
                    TimeZoneMinutes(zone_->currentText().toStdString()));
        const struct {
            QComboBox* box;
            const char* field;
            std::string_view key;
        } servers[] = {{server1_, "time_server1", kTimeServer1Key},
                       {server2_, "time_server2", kTimeServer2Key}};
        for (const auto& server : servers) {
            const std::string text = BoxText(server.box);
            SetFieldIp(block, ParamField(server.field), text);
            RememberServerText(context_, server.key, text);
        }
    }

    std::optional<TPageCheckFailure> Check() const override {
        const std::optional<TCheckFailure> failure =
            CheckTimeServers(BoxText(server1_), BoxText(server2_));
        if (!failure) return std::nullopt;
        return CheckFailureAt(*failure, failure->field == "time_server1" ? server1_ : server2_);
    }

  private:
    QLineEdit *user_, *password_;
    QComboBox *zone_, *server1_, *server2_;
};

}  // namespace

void RegisterMaintenancePage(TPageRegistry& registry) {
    registry.AddPage({.name = "DevMaintenance", .create = [](TEditorContext& context) {
                          return new TMaintenancePage(context);
                      }});
}
