// The event server page: the address the terminal reports its input events to, with the last
// address typed remembered as "EventServerIP".
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/functionpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

class TEventServerPage : public TPropertyPage {
  public:
    explicit TEventServerPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* group = NewGroup(this, "grpBoxGpio", "事件服务器");
        server_ = NewServerBox(group, "cmbBoxGpio_IpAddress", 31, 32, false);
        auto* grid = new QGridLayout(group);
        AddRow(grid, NewLabel(group, "lblGpio_IpAddress", "IP地址"), server_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        LoadServerBox(server_, context_, kEventServerKey,
                      GetFieldIp(block, ParamField("event_server")));
    }

    void Save(TParamBlock& block) const override {
        const std::string text = BoxText(server_);
        SetFieldIp(block, ParamField("event_server"), text);
        RememberServerText(context_, kEventServerKey, text);
    }

    std::optional<TPageCheckFailure> Check() const override {
        const std::optional<TCheckFailure> failure =
            CheckExtendedAddress("event_server", BoxText(server_));
        if (!failure) return std::nullopt;
        return CheckFailureAt(*failure, server_);
    }

  private:
    QComboBox* server_;
};

}  // namespace

void RegisterEventServerPage(TPageRegistry& registry) {
    registry.AddPage({.name = "GPIO", .create = [](TEditorContext& context) {
                          return new TEventServerPage(context);
                      }});
}
