// The network page: static or DHCP addressing, DNS servers and the management server.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/basicpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

class TNetworkPage : public TPropertyPage {
  public:
    explicit TNetworkPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* network = NewGroup(this, "grpBoxBaseNetwork", "网络设置");
        dhcpOn_ = NewRadio(network, "rdBtnBaseNetwork_DhcpEnable", "自动获得IP地址(&O)");
        dhcpOff_ = NewRadio(network, "rdBtnBaseNetwork_DhcpDisable", "使用下面的IP地址(&U)");
        ip_ = NewAddressBox(network, "EdtBaseNet_IP");
        mask_ = NewAddressBox(network, "EdtBaseNet_SubMask");
        gateway_ = NewAddressBox(network, "EdtBaseNet_Gateway");
        auto* networkGrid = new QGridLayout(network);
        networkGrid->addWidget(dhcpOn_, 0, 0, 1, 2);
        networkGrid->addWidget(dhcpOff_, 1, 0, 1, 2);
        AddRow(networkGrid, NewLabel(network, "lblBaseNet_IP", "IP地址"), ip_);
        AddRow(networkGrid, NewLabel(network, "lblBaseNet_SubMask", "子网掩码"), mask_);
        AddRow(networkGrid, NewLabel(network, "lblBaseNet_Gateway", "网关地址"), gateway_);

        QGroupBox* dns = NewGroup(this, "grpBoxBaseDns", "DNS设置");
        dnsOn_ = NewRadio(dns, "rdBtnBaseDns_Enable", "自动获得DNS地址(&B)");
        dnsOff_ = NewRadio(dns, "rdBtnBaseDns_Disable", "使用下面的DNS地址(&N)");
        dns1_ = NewAddressBox(dns, "EdtBaseDns_Primary");
        dns2_ = NewAddressBox(dns, "EdtBaseDns_Secondary");
        auto* dnsGrid = new QGridLayout(dns);
        dnsGrid->addWidget(dnsOn_, 0, 0, 1, 2);
        dnsGrid->addWidget(dnsOff_, 1, 0, 1, 2);
        AddRow(dnsGrid, NewLabel(dns, "lblBaseDns_Primary", "首选DNS"), dns1_);
        AddRow(dnsGrid, NewLabel(dns, "lblBaseDns_Secondary", "备选DNS"), dns2_);

        QGroupBox* server = NewGroup(this, "grpBoxBaseServer", "管理服务器");
        server_ = NewServerBox(server, "cmbBoxBaseServer_IP", 31, 32, false);
        port_ = NewNumberBox(server, "SpEdtBaseServer_Port", 0, 65535);
        auto* serverGrid = new QGridLayout(server);
        AddRow(serverGrid, NewLabel(server, "lblBaseServer_IP", "服务器地址"), server_);
        AddRow(serverGrid, NewLabel(server, "lblBaseServer_Port", "服务器端口"), port_);

        auto* layout = new QVBoxLayout(this);
        for (QWidget* group : {static_cast<QWidget*>(network), static_cast<QWidget*>(dns),
                               static_cast<QWidget*>(server)})
            layout->addWidget(group);
        layout->addStretch();

        connect(dhcpOff_, &QRadioButton::toggled, this, [this](bool manual) {
            for (QLineEdit* box : {ip_, mask_, gateway_})
                box->setEnabled(manual);
        });
        connect(dnsOff_, &QRadioButton::toggled, this, [this](bool manual) {
            for (QLineEdit* box : {dns1_, dns2_})
                box->setEnabled(manual);
        });
    }

    void Load(const TParamBlock& block) override {
        const bool dhcp = GetFieldInt(block, ParamField("dhcp")) == 1;
        (dhcp ? dhcpOn_ : dhcpOff_)->setChecked(true);
        for (QLineEdit* box : {ip_, mask_, gateway_})
            box->setEnabled(!dhcp);
        SetBoxText(ip_, QString::fromStdString(GetFieldIp(block, ParamField("ip"))));
        SetBoxText(mask_, QString::fromStdString(GetFieldIp(block, ParamField("mask"))));
        SetBoxText(gateway_, QString::fromStdString(GetFieldIp(block, ParamField("gateway"))));
        const bool autoDns = GetFieldInt(block, ParamField("auto_dns")) == 1;
        (autoDns ? dnsOn_ : dnsOff_)->setChecked(true);
        for (QLineEdit* box : {dns1_, dns2_})
            box->setEnabled(!autoDns);
        SetBoxText(dns1_, QString::fromStdString(AddressOrEmpty(block, "dns1")));
        SetBoxText(dns2_, QString::fromStdString(AddressOrEmpty(block, "dns2")));
        LoadServerBox(server_, context_, kManageServerKey,
                      GetFieldText(block, ParamField("mgmt.server")));
        port_->setValue(static_cast<int>(GetFieldInt(block, ParamField("mgmt.port"))));
    }

    void Save(TParamBlock& block) const override {
        SetFieldInt(block, ParamField("dhcp"), dhcpOn_->isChecked() ? 1 : 0);
        SetFieldIp(block, ParamField("ip"), BoxText(ip_));
        SetFieldIp(block, ParamField("mask"), BoxText(mask_));
        SetFieldIp(block, ParamField("gateway"), BoxText(gateway_));
        SetFieldInt(block, ParamField("auto_dns"), dnsOn_->isChecked() ? 1 : 0);
        SetFieldIp(block, ParamField("dns1"), BoxText(dns1_));
        SetFieldIp(block, ParamField("dns2"), BoxText(dns2_));
        const std::string server = BoxText(server_);
        SetFieldText(block, ParamField("mgmt.server"), server);
        RememberServerText(context_, kManageServerKey, server);
        SetFieldInt(block, ParamField("mgmt.port"), port_->value());
    }

    std::optional<TPageCheckFailure> Check() const override {
        const TNetworkInput input{dhcpOn_->isChecked(), BoxText(ip_),        BoxText(mask_),
                                  BoxText(gateway_),    dnsOn_->isChecked(), BoxText(dns1_),
                                  BoxText(dns2_)};
        const std::optional<TCheckFailure> failure = CheckNetworkInput(input);
        if (!failure) return std::nullopt;
        const std::pair<const char*, QLineEdit*> boxes[] = {
            {"ip", ip_}, {"mask", mask_}, {"gateway", gateway_}, {"dns1", dns1_}, {"dns2", dns2_}};
        QLineEdit* box = nullptr;
        for (const auto& [field, candidate] : boxes)
            if (failure->field == field) box = candidate;
        return CheckFailureAt(*failure, box);
    }

  private:
    QRadioButton *dhcpOn_, *dhcpOff_, *dnsOn_, *dnsOff_;
    QLineEdit *ip_, *mask_, *gateway_, *dns1_, *dns2_;
    QComboBox* server_;
    QSpinBox* port_;
};

}  // namespace

void RegisterNetworkPage(TPageRegistry& registry) {
    registry.AddPage({.name = "BaseParam",
                      .create = [](TEditorContext& context) { return new TNetworkPage(context); }});
}
