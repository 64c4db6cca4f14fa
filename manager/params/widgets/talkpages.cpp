// The talk page (inputs, gains, volumes, echo cancellation, auto-answer, codecs, call-key
// hang-up) and the multicast page (input, gain, codec).
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"
#include "manager/params/pagevalues.h"
#include "manager/params/widgets/codeclist.h"
#include "manager/params/widgets/functionpages.h"
#include "manager/params/widgets/pagecontrols.h"

namespace {

// A radio pair of its own; the first is chosen when on.
struct TRadioPair {
    QRadioButton *on, *off;
    void Set(bool value) const { (value ? on : off)->setChecked(true); }
};
TRadioPair NewRadioPair(QWidget* parent, const char* onName, const char* onCaption,
                        const char* offName, const char* offCaption) {
    TRadioPair pair{NewRadio(parent, onName, onCaption), NewRadio(parent, offName, offCaption)};
    auto* group = new QButtonGroup(parent);
    group->addButton(pair.on);
    group->addButton(pair.off);
    return pair;
}

QWidget* InRow(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return row;
}

// A number box with its "默认" button, which puts a family default value into it.
struct TDefaultedBox {
    QSpinBox* box;
    QPushButton* button;
};
// The button's object name and caption: the "默认" buttons of a page differ in their mnemonics.
struct TDefaultButton {
    const char* name;
    const char* caption;
};

int FamilyValue(const TEditorContext& context, TFamilyValue column) {
    return context.familyDefaults ? context.familyDefaults->Value(column) : 0;
}

// The box's text as a number; the family value when it holds none.
int NumberOr(const QSpinBox* box, const TEditorContext& context, TFamilyValue column) {
    const std::optional<std::int64_t> number = BoxNumber(box->cleanText().toStdString());
    return number ? static_cast<int>(*number) : FamilyValue(context, column);
}

void SetByte(TParamBlock& block, const char* field, std::int64_t value) {
    SetFieldInt(block, ParamField(field), value);
}
std::int64_t Byte(const TParamBlock& block, const char* field) {
    return GetFieldInt(block, ParamField(field));
}

class TTalkPage : public TPropertyPage {
  public:
    explicit TTalkPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* group = NewGroup(this, "grpBoxTalk", "对    讲");
        auto* grid = new QGridLayout(group);
        input_ = NewRadioPair(group, "rdBtnTalk_Mic", "&Mic", "rdBtnTalk_LineIn", "Li&ne in");
        AddRow(grid, NewLabel(group, "lblTalk_Input", "输入通道"),
               InRow(group, {input_.on, input_.off}));
        gain_ = Defaulted(group, grid, "lblTalk_Gain", "输入增益(0~100)", "spEdtTalk_Gain",
                          {"btnTalk_DefGain", "默认(&F)"}, TFamilyValue::kTalkGain);
        aec_ = new QComboBox(group);
        aec_->setObjectName("cmbBoxTalk_Aec");
        for (const char* level : {"禁用", "低", "中", "高", "最高"})
            aec_->addItem(QString::fromUtf8(level));
        QPushButton* defAec = NewButton(group, "btnTalk_DefAec", "默认(&A)");
        connect(defAec, &QPushButton::clicked, this,
                [this] { aec_->setCurrentIndex(FamilyValue(context_, TFamilyValue::kEchoLevel)); });
        AddRow(grid, NewLabel(group, "lblTalk_Aec", "回音消除等级"), InRow(group, {aec_, defAec}));
        ringTime_ =
            Defaulted(group, grid, "lblTalk_RingTime", "自动接听时间(0~30)", "spEdtTalk_RingTime",
                      {"btnTalk_DefRingTime", "默认(&T)"}, TFamilyValue::kAutoAnswer);
        hangUp_ = NewCheckBox(group, "chkBoxTalk_RingHangup", "自动挂断(&H)");
        grid->addWidget(hangUp_, grid->rowCount() - 1, 2);
        connect(hangUp_, &QCheckBox::toggled, this, [this](bool on) {
            ringTime_.box->setEnabled(!on);
            ringTime_.button->setEnabled(!on);
        });
        ringVolume_ =
            Defaulted(group, grid, "lblTalk_RingVolume", "振铃音量(0~100)", "spEdtTalk_RingVolume",
                      {"btnTalk_DefRingVolume", "默认(&U)"}, TFamilyValue::kRingVolume);
        ringLine_ = NewCheckBox(group, "chkBoxTalk_RingLine", "允许振铃线路输出(&R)");
        grid->addWidget(ringLine_, grid->rowCount() - 1, 2);
        talkVolume_ =
            Defaulted(group, grid, "lblTalk_TalkVolume", "对讲音量(0~100)", "spEdtTalk_TalkVolume",
                      {"btnTalk_DefTalkVolume", "默认(&L)"}, TFamilyValue::kTalkVolume);
        talkLine_ = NewCheckBox(group, "chkBoxTalk_TalkLine", "允许对讲线路输出(&K)");
        grid->addWidget(talkLine_, grid->rowCount() - 1, 2);

        codecs_ = NewCodecCheckList(group, "chkListTalk_Codec");
        QPushButton* up = NewButton(group, "btnTalk_CodecUp", "▲");
        QPushButton* down = NewButton(group, "btnTalk_CodecDown", "▼");
        up->setToolTip(TrText("Pelmora/TFrmProperty/btnTalk_CodecUp.Hint",
                              QStringLiteral("把所选编解码上移")));
        down->setToolTip(TrText("Pelmora/TFrmProperty/btnTalk_CodecDown.Hint",
                                QStringLiteral("把所选编解码下移")));
        connect(up, &QPushButton::clicked, this, [this] { MoveCodecItem(codecs_, -1); });
        connect(down, &QPushButton::clicked, this, [this] { MoveCodecItem(codecs_, +1); });
        auto* moves = new QWidget(group);
        auto* movesLayout = new QVBoxLayout(moves);
        movesLayout->addWidget(up);
        movesLayout->addWidget(down);
        movesLayout->addStretch();
        AddRow(grid, NewLabel(group, "lblTalk_Codec", "编解码"), InRow(group, {codecs_, moves}));

        hangUpKey_ = NewRadioPair(group, "rdBtnKey_ModeEnable", "允    许(&W)",
                                  "rdBtnKey_ModeDisable", "禁    止(&O)");
        AddRow(grid, NewLabel(group, "lblTalk_KeyHangup", "呼叫键挂断"),
               InRow(group, {hangUpKey_.on, hangUpKey_.off}));

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        input_.Set(Byte(block, "talk.input") == 0);
        gain_.box->setValue(static_cast<int>(Byte(block, "talk.gain")));
        aec_->setCurrentIndex(
            static_cast<int>(std::min<std::int64_t>(Byte(block, "talk.echo"), 4)));
        const std::int64_t answer = Byte(block, "talk.auto_answer");
        if (answer < kAutoHangUp) ringTime_.box->setValue(static_cast<int>(answer));
        hangUp_->setChecked(answer >= kAutoHangUp);
        ringTime_.box->setEnabled(answer < kAutoHangUp);
        ringTime_.button->setEnabled(answer < kAutoHangUp);
        ringVolume_.box->setValue(static_cast<int>(Byte(block, "talk.ring_volume")));
        ringLine_->setChecked(Byte(block, "talk.ring_line") == 1);
        talkVolume_.box->setValue(static_cast<int>(Byte(block, "talk.volume")));
        talkLine_->setChecked(Byte(block, "talk.line_out") == 1);
        LoadCodecList(codecs_, block, ParamField("talk.codecs"));
        hangUpKey_.Set(Byte(block, "talk.call_key_hangup") == 1);
    }

    void Save(TParamBlock& block) const override {
        const int input = input_.on->isChecked() ? 0 : 1;
        SetByte(block, "talk.input", input);
        SetByte(block, "multicast.input", input);
        SetByte(block, "talk.gain", NumberOr(gain_.box, context_, TFamilyValue::kTalkGain));
        SetByte(block, "talk.echo", std::max(aec_->currentIndex(), 0));
        SetByte(block, "talk.auto_answer",
                hangUp_->isChecked() ? kAutoHangUp : ringTime_.box->value());
        SetByte(block, "talk.ring_line", ringLine_->isChecked() ? 1 : 0);
        SetByte(block, "talk.ring_volume",
                NumberOr(ringVolume_.box, context_, TFamilyValue::kRingVolume));
        SetByte(block, "talk.line_out", talkLine_->isChecked() ? 1 : 0);
        SetByte(block, "talk.volume",
                NumberOr(talkVolume_.box, context_, TFamilyValue::kTalkVolume));
        SaveCodecList(codecs_, block, ParamField("talk.codecs"));
        SetByte(block, "talk.call_key_hangup", hangUpKey_.on->isChecked() ? 1 : 0);
    }

  private:
    TDefaultedBox Defaulted(QWidget* group, QGridLayout* grid, const char* labelName,
                            const char* caption, const char* boxName, TDefaultButton button,
                            TFamilyValue column) {
        TDefaultedBox pair{NewNumberBox(group, boxName, 0, 100),
                           NewButton(group, button.name, button.caption)};
        connect(pair.button, &QPushButton::clicked, this,
                [this, box = pair.box, column] { box->setValue(FamilyValue(context_, column)); });
        AddRow(grid, NewLabel(group, labelName, caption), InRow(group, {pair.box, pair.button}));
        return pair;
    }

    TRadioPair input_, hangUpKey_;
    TDefaultedBox gain_, ringTime_, ringVolume_, talkVolume_;
    QComboBox* aec_;
    QCheckBox *hangUp_, *ringLine_, *talkLine_;
    QListWidget* codecs_;
};

class TMulticastPage : public TPropertyPage {
  public:
    explicit TMulticastPage(TEditorContext& context) : TPropertyPage(context) {
        QGroupBox* group = NewGroup(this, "grpBoxMulticast", "组    播");
        auto* grid = new QGridLayout(group);
        input_ =
            NewRadioPair(group, "rdBtnMulticast_Mic", "&Mic", "rdBtnMulticast_LineIn", "Li&ne in");
        AddRow(grid, NewLabel(group, "lblMulticast_Input", "输入通道"),
               InRow(group, {input_.on, input_.off}));
        gain_ = NewNumberBox(group, "spEdtMulticast_Gain", 0, 100);
        QPushButton* defGain = NewButton(group, "btnMulticast_DefGain", "默认(&F)");
        connect(defGain, &QPushButton::clicked, this,
                [this] { gain_->setValue(FamilyValue(context_, TFamilyValue::kMulticastGain)); });
        AddRow(grid, NewLabel(group, "lblMulticast_Gain", "输入增益(0~100)"),
               InRow(group, {gain_, defGain}));
        codec_ = new QComboBox(group);
        codec_->setObjectName("cmbBoxMulticast_Codec");
        for (int code : {kCodecPcmu, kCodecPcma, kCodecG722})
            codec_->addItem(QString::fromUtf8(CodecName(code).data()), code);
        codec_->setCurrentIndex(0);
        AddRow(grid, NewLabel(group, "lblMulticast_Codec", "编解码"), codec_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();
    }

    void Load(const TParamBlock& block) override {
        input_.Set(Byte(block, "multicast.input") == 0);
        gain_->setValue(static_cast<int>(Byte(block, "multicast.gain")));
        LoadCodecChoice(codec_, block, ParamField("multicast.codec"));
    }

    // Runs after the talk page: its input choice is the one stored in the multicast input.
    void Save(TParamBlock& block) const override {
        SetByte(block, "multicast.input", input_.on->isChecked() ? 0 : 1);
        SetByte(block, "multicast.gain", NumberOr(gain_, context_, TFamilyValue::kMulticastGain));
        SaveCodecChoice(codec_, block, ParamField("multicast.codec"));
    }

  private:
    TRadioPair input_;
    QSpinBox* gain_;
    QComboBox* codec_;
};

}  // namespace

void RegisterTalkPage(TPageRegistry& registry) {
    registry.AddPage({.name = "IntercomSetting",
                      .create = [](TEditorContext& context) { return new TTalkPage(context); }});
}

void RegisterMulticastPage(TPageRegistry& registry) {
    registry.AddPage({.name = "MulticastSetting", .create = [](TEditorContext& context) {
                          return new TMulticastPage(context);
                      }});
}
