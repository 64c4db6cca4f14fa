// The account page: the terminal's SIP account, its SIP server and its registration.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/params/pagevalues.h"
#include "manager/params/paramtexts.h"
#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/basicpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

class TAccountPage : public TPropertyPage {
  public:
    explicit TAccountPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* account = NewGroup(this, "grpBoxAccountBase", "账号信息");
        status_ = NewLabel(account, "lblAccountBase_StatusVal", "");
        // The user number, the SIP password and the maintenance login take what their
        // 16-byte fields hold with the terminator: 15 characters.
        displayName_ = NewTextBox(account, "edtAccountBase_DisplayName", 16, 32);
        userNumber_ = NewTextBox(account, "edtAccountBase_UserNumber", 15, 16);
        userNumber_->setContextMenuPolicy(Qt::NoContextMenu);
        password_ = NewTextBox(account, "edtAccountBase_Password", 15, 16);
        localPort_ = NewNumberBox(account, "spEdtAccountBase_Port", 0, 65535);
        keepAlive_ = NewNumberBox(account, "spEdtAccountBase_KeepAlive", 1, 255);
        expiry_ = NewNumberBox(account, "spEdtAccountBase_Expire", 20, 7200);
        auto* accountGrid = new QGridLayout(account);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_Status", "注册状态"), status_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_DisplayName", "显示名称"),
               displayName_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_UserNumber", "用户账号"),
               userNumber_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_Password", "用户密码"), password_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_Port", "本地SIP端口"), localPort_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_KeepAlive", "保活时间"), keepAlive_);
        AddRow(accountGrid, NewLabel(account, "lblAccountBase_Expire", "保活时间"), expiry_);

        QGroupBox* sip = NewGroup(this, "grpBoxAccountSip", "SIP服务器");
        server_ = NewServerBox(sip, "cmbBoxAccountSip_IP", 63, 64, false);
        serverPort_ = NewNumberBox(sip, "spEdtAccountSip_Port", 0, 65535);
        auto* sipGrid = new QGridLayout(sip);
        AddRow(sipGrid, NewLabel(sip, "lblAccountSip_IP", "服务器地址"), server_);
        AddRow(sipGrid, NewLabel(sip, "lblAccountSip_Port", "服务器端口"), serverPort_);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(account);
        layout->addWidget(sip);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        const auto status = static_cast<std::uint8_t>(GetFieldInt(block, ParamField("run_status")));
        status_->setText(QString::fromStdString(StatusText(status)));
        SetBoxText(displayName_, FieldQText(block, "display_name"));
        SetBoxText(userNumber_, FieldQText(block, "sip.user"));
        SetBoxText(password_, FieldQText(block, "sip.password"));
        localPort_->setValue(static_cast<int>(GetFieldInt(block, ParamField("sip.local_port"))));
        keepAlive_->setValue(ShownKeepAlive(GetFieldInt(block, ParamField("keepalive"))));
        expiry_->setValue(ShownExpiry(GetFieldInt(block, ParamField("expiry"))));
        LoadServerBox(server_, context_, kSipServerKey,
                      GetFieldText(block, ParamField("sip.server")));
        serverPort_->setValue(static_cast<int>(GetFieldInt(block, ParamField("sip.port"))));
    }

    // The field table copies the display name and the user number to their mirrors.
    void Save(TParamBlock& block) const override {
        SetFieldText(block, ParamField("display_name"), BoxText(displayName_));
        SetFieldText(block, ParamField("sip.user"), BoxText(userNumber_));
        SetFieldText(block, ParamField("sip.password"), BoxText(password_));
        SetFieldInt(block, ParamField("sip.local_port"), localPort_->value());
        SetFieldInt(block, ParamField("keepalive"), keepAlive_->value());
        SetFieldInt(block, ParamField("expiry"), expiry_->value());
        const std::string server = BoxText(server_);
        SetFieldText(block, ParamField("sip.server"), server);
        RememberServerText(context_, kSipServerKey, server);
        SetFieldInt(block, ParamField("sip.port"), serverPort_->value());
    }

  private:
    QLabel* status_;
    QLineEdit *displayName_, *userNumber_, *password_;
    QSpinBox *localPort_, *keepAlive_, *expiry_, *serverPort_;
    QComboBox* server_;
};

}  // namespace

void RegisterAccountPage(TPageRegistry& registry) {
    registry.AddPage({.name = "AccountInfo",
                      .create = [](TEditorContext& context) { return new TAccountPage(context); }});
}
