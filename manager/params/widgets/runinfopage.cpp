// The run-information page: what the terminal runs and how it is reached, read only.
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "manager/access/addresstext.h"
#include "manager/params/paramtexts.h"
#include "manager/params/widgets/basicpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

struct TRunInfoRow {
    const char* name;
    const char* caption;
};
// Firmware, the five display texts in their order, MAC, account with its status.
constexpr TRunInfoRow kRows[] = {
    {"lblRunInfo_Firmware", "固件版本"},  {"lblRunInfo_IP", "IP地址"},
    {"lblRunInfo_SubMask", "子网掩码"},   {"lblRunInfo_Gateway", "网关地址"},
    {"lblRunInfo_DnsPrimary", "首选DNS"}, {"lblRunInfo_DnsSecondary", "备选DNS"},
    {"lblRunInfo_Mac", "物理地址"},       {"lblRunInfo_Account", "账    号"},
};
constexpr std::size_t kRowCount = std::size(kRows);

class TRunInfoPage : public TPropertyPage {
  public:
    explicit TRunInfoPage(TEditorContext& context) : TPropertyPage(context) {
        auto* grid = new QGridLayout;
        for (std::size_t i = 0; i < kRowCount; ++i) {
            values_[i] = NewLabel(this, (std::string(kRows[i].name) + "Val").c_str(), "");
            values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
            AddRow(grid, NewLabel(this, kRows[i].name, kRows[i].caption), values_[i]);
        }
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(grid);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        values_[0]->setText(FieldQText(block, "firmware"));
        for (std::size_t i = 0; i < context_.displayTexts.size(); ++i)
            values_[i + 1]->setText(context_.displayTexts[i]);
        values_[6]->setText(QString::fromStdString(MacToText(block.data() + kParamMacOffset)));
        const auto status = static_cast<std::uint8_t>(GetFieldInt(block, ParamField("run_status")));
        values_[7]->setText(FieldQText(block, "sip.user") + " " +
                            QString::fromStdString(StatusText(status)));
    }

  private:
    std::array<QLabel*, kRowCount> values_{};
};

}  // namespace

void RegisterRunInfoPage(TPageRegistry& registry) {
    registry.AddPage({.name = "RunInfo",
                      .create = [](TEditorContext& context) { return new TRunInfoPage(context); },
                      .runInfo = true});
}
