// The two serial port pages: the control port (shown, never edited, written back normalised)
// and the data port with its network forwarding.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/params/pagevalues.h"
#include "manager/params/paramfamily.h"
#include "manager/params/widgets/functionpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

// Object names of one page's boxes; the field names follow from prefix ("uart_ctrl.").
struct TSerialNames {
    const char* prefix;
    const char *baud, *parity, *dataBits, *stopBits, *flow, *frameInterval;
    const char *localPort, *targetIp, *targetPort;
};
constexpr TSerialNames kControl{"uart_ctrl.",
                                "cmbBoxSerialCtrl_Baud",
                                "cmbBoxSerialCtrl_Parity",
                                "cmbBoxSerialCtrl_Data",
                                "cmbBoxSerialCtrl_Stop",
                                "cmbBoxSerialCtrl_Flow",
                                "spEdtSerialCtrl_LeastTime",
                                "cmbBoxSerialCtrlNet_LocalPort",
                                "cmbBoxSerialCtrlNet_TargetIp",
                                "cmbBoxSerialCtrlNet_TargetPort"};
constexpr TSerialNames kData{"uart_data.",
                             "cmbBoxSerialData_Baud",
                             "cmbBoxSerialData_Parity",
                             "cmbBoxSerialData_Data",
                             "cmbBoxSerialData_Stop",
                             "cmbBoxSerialData_Flow",
                             "spEdtSerialData_LeastTime",
                             "spEdtSerialDataNet_LocalPort",
                             "cmbBoxSerialDataNet_TargetIp",
                             "spEdtSerialDataNet_TargetPort"};

constexpr std::uint8_t kNoSelection = 255;

QComboBox* NewList(QWidget* parent, const char* name, std::span<const std::string_view> texts,
                   const char* suffix = "") {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (std::string_view text : texts)
        box->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())) + suffix);
    return box;
}

// The stored position selects its entry; one outside the list selects nothing.
void SelectPosition(QComboBox* box, std::int64_t position) {
    box->setCurrentIndex(position >= 0 && position < box->count() ? static_cast<int>(position)
                                                                  : -1);
}
std::int64_t SelectedPosition(const QComboBox* box) {
    return box->currentIndex() >= 0 ? box->currentIndex() : kNoSelection;
}
// The first character of the selected text as a number ("8 bits": 8).
std::int64_t LeadingDigit(const QComboBox* box, std::int64_t none) {
    const QString text = box->currentIndex() >= 0 ? box->currentText() : QString();
    return !text.isEmpty() && text[0].isDigit() ? text[0].digitValue() : none;
}

class TSerialPage : public TPropertyPage {
  public:
    TSerialPage(TEditorContext& context, const TSerialNames& names, bool dataPort)
        : TPropertyPage(context), names_(names), dataPort_(dataPort) {
        QGroupBox* serial = NewGroup(this, dataPort ? "grpBoxSerialData" : "grpBoxSerialCtrl",
                                     dataPort ? "数据串口" : "控制串口");
        auto* grid = new QGridLayout(serial);
        baud_ = NewList(serial, names.baud, BaudRateTexts(), dataPort ? " bps" : "");
        baud_->setEditable(true);
        baud_->setInsertPolicy(QComboBox::NoInsert);
        // Digits and an optional " bps": every rate typed fits the field.
        baud_->lineEdit()->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}( ?b?p?s?)?"), baud_));
        parity_ = NewList(serial, names.parity, ParityTexts());
        dataBits_ = NewList(serial, names.dataBits, DataBitsTexts());
        stopBits_ = NewList(serial, names.stopBits, StopBitsTexts());
        flow_ = NewList(serial, names.flow, FlowTexts());
        // The field holds one byte: the box takes no more than 255.
        frameInterval_ = NewNumberBox(serial, names.frameInterval, 0, 255);
        AddRow(grid, Label(serial, "Baud", "波特率"), baud_);
        AddRow(grid, Label(serial, "Parity", "校验方式"), parity_);
        AddRow(grid, Label(serial, "Data", "数据位"), dataBits_);
        AddRow(grid, Label(serial, "Stop", "停止位"), stopBits_);
        AddRow(grid, Label(serial, "Flow", "流控方式"), flow_);
        AddRow(grid, Label(serial, "LeastTime", "帧间隔(ms)"), frameInterval_);
        if (dataPort) {
            maxFrame_ = NewNumberBox(serial, "spEdtSerialData_MaxPack", 0, 1440);
            AddRow(grid, Label(serial, "MaxPack", "最大帧"), maxFrame_);
        }

        QGroupBox* net =
            NewGroup(this, dataPort ? "grpBoxSerialDataNet" : "grpBoxSerialCtrlNet", "网络参数");
        auto* netGrid = new QGridLayout(net);
        localPort_ = NewNumberBox(net, names.localPort, 0, 65535);
        targetIp_ = NewServerBox(net, names.targetIp, 15, 16, true);
        targetPort_ = NewNumberBox(net, names.targetPort, 0, 65535);
        AddRow(netGrid, Label(net, "LocalPort", "本地端口", true), localPort_);
        if (dataPort) {
            protocol_ = NewList(net, "cmbBoxSerialDataNet_Protocol", ProtocolTexts());
            mode_ = NewList(net, "cmbBoxSerialDataNet_Mode", WorkingModeTexts());
            AddRow(netGrid, Label(net, "Protocol", "协议类型", true), protocol_);
            AddRow(netGrid, Label(net, "Mode", "工作模式", true), mode_);
        }
        AddRow(netGrid, Label(net, "TargetIp", dataPort ? "远端IP地址" : "目标IP地址", true),
               targetIp_);
        AddRow(netGrid, Label(net, "TargetPort", dataPort ? "远端端口" : "目标端口", true),
               targetPort_);
        if (dataPort) {
            keepAlive_ = NewNumberBox(net, "spEdtSerialDataNet_KeepAlive", 0, 255);
            AddRow(netGrid, Label(net, "KeepAlive", "保活时间", true), keepAlive_);
        }

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(serial);
        layout->addWidget(net);
        layout->addStretch();
        // The control port is shown only; its target address is still checked at save.
        if (!dataPort)
            for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                control->setEnabled(false);
    }

    void Load(const TParamBlock& block) override {
        baud_->setEditText(QString::fromStdString(BaudText(static_cast<int>(Int(block, "baud")))));
        SelectPosition(parity_, Int(block, "parity"));
        SelectPosition(flow_, Int(block, "flow"));
        SelectPosition(dataBits_, ShownDataBits(Int(block, "data_bits")) - 7);
        SelectPosition(stopBits_, ShownStopBits(Int(block, "stop_bits")) - 1);
        frameInterval_->setValue(static_cast<int>(Int(block, "frame_interval")));
        localPort_->setValue(static_cast<int>(Int(block, "local_port")));
        targetPort_->setValue(static_cast<int>(Int(block, "target_port")));
        SetBoxText(targetIp_->lineEdit(),
                   QString::fromStdString(AddressOrEmpty(block, Name("target_ip"))));
        if (!dataPort_) return;
        maxFrame_->setValue(static_cast<int>(Int(block, "max_frame")));
        SelectPosition(protocol_, Int(block, "protocol"));
        SelectPosition(mode_, Int(block, "mode"));
        keepAlive_->setValue(static_cast<int>(Int(block, "keepalive")));
    }

    void Save(TParamBlock& block) const override {
        if (!dataPort_)
            for (const TParamField& field : ParamFields())
                if (field.group == TDefaultGroup::kControlSerial)
                    ApplyFieldDefault(block, field, TFamilyDefaults{}, {});
        SetInt(block, "baud", BaudFieldOfText(baud_->currentText().toStdString()).value_or(96));
        SetInt(block, "parity", SelectedPosition(parity_));
        SetInt(block, "flow", SelectedPosition(flow_));
        SetInt(block, "data_bits", LeadingDigit(dataBits_, 8));
        SetInt(block, "stop_bits", LeadingDigit(stopBits_, 1));
        SetInt(block, "frame_interval", frameInterval_->value());
        SetInt(block, "local_port", localPort_->value());
        SetInt(block, "target_port", targetPort_->value());
        SetFieldIp(block, ParamField(Name("target_ip")), BoxText(targetIp_));
        if (!dataPort_) return;
        SetInt(block, "max_frame", maxFrame_->value());
        SetInt(block, "mode", SelectedPosition(mode_));
        SetInt(block, "keepalive", keepAlive_->value());
        // Terminals always receive TCP here, whatever the protocol list shows.
        SetInt(block, "protocol", 1);
    }

    std::optional<TPageCheckFailure> Check() const override {
        const std::optional<TCheckFailure> failure =
            CheckExtendedAddress(Name("target_ip"), BoxText(targetIp_));
        if (!failure) return std::nullopt;
        return CheckFailureAt(*failure, targetIp_);
    }

  private:
    std::string Name(const char* member) const { return std::string(names_.prefix) + member; }
    std::int64_t Int(const TParamBlock& block, const char* member) const {
        return GetFieldInt(block, ParamField(Name(member)));
    }
    void SetInt(TParamBlock& block, const char* member, std::int64_t value) const {
        SetFieldInt(block, ParamField(Name(member)), value);
    }
    QLabel* Label(QWidget* parent, const char* what, const char* caption, bool net = false) const {
        const QString name =
            QString("lblSerial%1%2_%3").arg(dataPort_ ? "Data" : "Ctrl", net ? "Net" : "", what);
        return NewLabel(parent, name.toLatin1().constData(), caption);
    }

    const TSerialNames& names_;
    bool dataPort_;
    QComboBox *baud_, *parity_, *dataBits_, *stopBits_, *flow_;
    QSpinBox *frameInterval_, *localPort_, *targetPort_;
    QComboBox* targetIp_;
    QSpinBox *maxFrame_ = nullptr, *keepAlive_ = nullptr;
    QComboBox *protocol_ = nullptr, *mode_ = nullptr;
};

}  // namespace

void RegisterSerialPages(TPageRegistry& registry) {
    registry.AddPage({.name = "ControlUart", .create = [](TEditorContext& context) {
                          return new TSerialPage(context, kControl, false);
                      }});
    registry.AddPage({.name = "DataUart", .create = [](TEditorContext& context) {
                          return new TSerialPage(context, kData, true);
                      }});
}
