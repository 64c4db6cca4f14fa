// The pages every terminal has, through the editor: what a block shows, what a save writes, the
// typing limits, the remembered server addresses; and the reserved bytes through every page.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <functional>

#include "common/inifile.h"
#include "editortestkit.h"
#include "manager/access/localinterfaces.h"
#include "manager/params/paramfamily.h"
#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/familyrestrictions.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Types text as key presses, one character each.
void Type(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

// Every byte non-zero, the model and feature bit 3 set, valid addresses where checks look.
TParamBlock Patterned(const char* model) {
    TParamBlock block;
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(1 + (i * 37) % 255);
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    block[8] |= kFeatureDataPort;
    return block;
}

void ExpectReservedKept(const TParamBlock& before, const TParamBlock& after) {
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            ASSERT_EQ(after[i], before[i]) << "reserved byte " << i;
}

TEST(EditorPagesReserved, LoadThenSaveOfEveryRegisteredPageKeepsEveryReservedByte) {
    TEditorBench bench;
    TEditorContext context;
    context.prompter = &bench.prompter;
    context.settingsFile = QString::fromStdString(bench.SettingsFile());
    context.dataFolder = bench.Folder() + "Data/";
    const TParamBlock block = Patterned("SIP1601");
    const TPageRegistry registry = StandardPageRegistry();
    for (const TPageRegistration& registration : registry.Pages()) {
        SCOPED_TRACE(registration.name);
        std::unique_ptr<TPropertyPage> page(registration.create(context));
        page->Load(block);
        TParamBlock saved = block;
        page->Save(saved);
        ExpectReservedKept(block, saved);
    }
    // And through the editor's save, for every family.
    for (const char* model : {"SIP310", "SIP520", "SIP430", "SIP1601", "SIP460", "SIP650", "X"}) {
        SCOPED_TRACE(model);
        const TParamBlock terminal = Patterned(model);
        TFrmProperty& editor = bench.Open(terminal);
        QTest::mouseClick(bench.Find<QPushButton>("btnSave"), Qt::LeftButton);
        ASSERT_EQ(editor.result(), QDialog::Accepted)
            << bench.prompter.MessageTexts().join(";").toStdString();
        ExpectReservedKept(terminal, editor.Block());
    }
}

TEST(EditorPagesRegistry, EveryFamilyRestrictionNamesAControlOfItsRegisteredPage) {
    TEditorContext context;
    const TPageRegistry registry = StandardPageRegistry();
    for (const TFamilyRestriction& restriction : FamilyRestrictions()) {
        const TPageRegistration* registration = registry.Page(restriction.page);
        if (registration == nullptr) continue;
        std::unique_ptr<TPropertyPage> page(registration->create(context));
        for (const QString& control : ControlNames(restriction))
            EXPECT_NE(page->findChild<QWidget*>(control), nullptr)
                << registration->name << ": " << control.toStdString();
    }
}

// The text a control shows, and a text entered into it.
QString Shown(QWidget* control) {
    if (auto* box = qobject_cast<QLineEdit*>(control)) return box->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    if (auto* spin = qobject_cast<QSpinBox*>(control)) return QString::number(spin->value());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? "on" : "";
    return static_cast<QLabel*>(control)->text();
}
void Enter(QWidget* control, const QString& text) {
    if (auto* box = qobject_cast<QLineEdit*>(control)) return box->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->isEditable() ? combo->setEditText(text) : combo->setCurrentText(text);
    if (auto* spin = qobject_cast<QSpinBox*>(control)) return spin->setValue(text.toInt());
    static_cast<QAbstractButton*>(control)->setChecked(text == "on");
}

// Stores a field's value as the terminal would, also outside what the editor accepts.
void Store(TParamBlock& block, const char* name, const std::string& value) {
    const TParamField& field = ParamField(name);
    if (field.kind == TFieldKind::kIpv4) return SetFieldIp(block, field, value);
    if (field.kind == TFieldKind::kText || field.kind == TFieldKind::kTextCleared)
        return SetFieldText(block, field, value);
    if (field.kind == TFieldKind::kCodecList) {  // the bytes themselves: "0,3"
        std::size_t i = field.offset;
        for (const QString& code : QString::fromStdString(value).split(','))
            block[i++] = static_cast<std::uint8_t>(code.toInt());
        return;
    }
    SetFieldInt(block, field, std::stoll(value));
}

TEST(EditorPagesBinding, EachControlShowsItsFieldAndSaveWritesWhatItHolds) {
    struct Case {
        const char* field;
        const char* stored;
        const char* control;
        const char* shown;
        const char* entered;  // nullptr: left as shown
        const char* saved;    // as the command line shows the field
    } cases[] = {
        {"dhcp", "0", "rdBtnBaseNetwork_DhcpEnable", "", "on", "1"},
        {"auto_dns", "1", "rdBtnBaseDns_Disable", "", "on", "0"},
        {"ip", "10.1.1.10", "EdtBaseNet_IP", "10.1.1.10", "192.168.1.300", "0.0.0.0"},
        {"mask", "255.0.0.0", "EdtBaseNet_SubMask", "255.0.0.0", " 255.255.0.0 ", "255.255.0.0"},
        {"gateway", "0.0.0.0", "EdtBaseNet_Gateway", "0.0.0.0", nullptr, "0.0.0.0"},
        {"dns1", "0.0.0.0", "EdtBaseDns_Primary", "", "8.8.8.8", "8.8.8.8"},
        {"dns2", "8.8.4.4", "EdtBaseDns_Secondary", "8.8.4.4", "", ""},
        {"mgmt.server", "10.1.1.2", "cmbBoxBaseServer_IP", "10.1.1.2", " pbx.lan ", "pbx.lan"},
        {"mgmt.port", "9000", "SpEdtBaseServer_Port", "9000", "8877", "8877"},
        {"run_status", "72", "lblAccountBase_StatusVal", "已经注册, 播放", nullptr, "72"},
        {"run_status", "65", "lblAccountBase_StatusVal", "已经注册", nullptr, "65"},
        {"display_name", "Front", "edtAccountBase_DisplayName", "Front", "Gate 1", "Gate 1"},
        // Longer than the box lets anyone type: shown and saved whole.
        {"display_name", "Reception desk, 2nd floor", "edtAccountBase_DisplayName",
         "Reception desk, 2nd floor", nullptr, "Reception desk, 2nd floor"},
        {"sip.user", "1001", "edtAccountBase_UserNumber", "1001", "2002", "2002"},
        {"sip.password", "abc", "edtAccountBase_Password", "abc", "", ""},
        {"sip.local_port", "5060", "spEdtAccountBase_Port", "5060", "5070", "5070"},
        {"keepalive", "0", "spEdtAccountBase_KeepAlive", "30", nullptr, "30"},
        {"expiry", "10", "spEdtAccountBase_Expire", "3600", nullptr, "3600"},
        {"expiry", "7200", "spEdtAccountBase_Expire", "7200", "20", "20"},
        {"sip.server", "1.2.3.4", "cmbBoxAccountSip_IP", "1.2.3.4", "", ""},
        {"sip.port", "5060", "spEdtAccountSip_Port", "5060", "5061", "5061"},
        {"maint.user", "admin", "edtSystemUser_Name", "admin", " ", ""},
        {"maint.password", "1234", "edtSystemUser_Password", "1234", "pw", "pw"},
        {"timezone", "330", "cmbBox520TimeZone_Current", "+05:30", nullptr, "+05:30"},
        {"timezone", "100", "cmbBox520TimeZone_Current", "+08:00", nullptr, "+08:00"},
        {"timezone", "480", "cmbBox520TimeZone_Current", "+08:00", "-03:30", "-03:30"},
        {"time_server1", "0.0.0.0", "cmbBox520TimeZone_TimeServerIp1", "", "10.0.0.5", "10.0.0.5"},
        {"time_server2", "10.0.0.9", "cmbBox520TimeZone_TimeServerIp2", "10.0.0.9", "", ""},
        {"talk.input", "2", "rdBtnTalk_Mic", "", "on", "0"},
        {"talk.gain", "15", "spEdtTalk_Gain", "15", "30", "30"},
        {"talk.echo", "9", "cmbBoxTalk_Aec", "最高", nullptr, "4"},
        {"talk.auto_answer", "61", "chkBoxTalk_RingHangup", "on", nullptr, "61"},
        {"talk.auto_answer", "75", "chkBoxTalk_RingHangup", "on", "", "0"},
        {"talk.auto_answer", "20", "spEdtTalk_RingTime", "20", "45", "45"},
        {"talk.ring_line", "0", "chkBoxTalk_RingLine", "", "on", "1"},
        {"talk.line_out", "1", "chkBoxTalk_TalkLine", "on", "", "0"},
        {"talk.ring_volume", "70", "spEdtTalk_RingVolume", "70", "80", "80"},
        {"talk.volume", "60", "spEdtTalk_TalkVolume", "60", nullptr, "60"},
        {"talk.call_key_hangup", "0", "rdBtnKey_ModeEnable", "", "on", "1"},
        {"multicast.gain", "16", "spEdtMulticast_Gain", "16", "18", "18"},
        {"multicast.codec", "0,3", "cmbBoxMulticast_Codec", "G.722", "G.711a(PCMA)", "2"},
        {"key.input_mode", "1", "rdBtnKey_ModeHold", "on", nullptr, "1"},
        {"key.prompt_tone", "0", "rdBtnKey_MulticastRingEnable", "", "on", "1"},
        {"key1.target", "8001", "EdtKey_1Sip", "8001", " 8002 ", "8002"},
        {"monitor.volume", "20", "spEdtMonitorMulticast_Volume", "60", nullptr, "60"},
        {"monitor.volume", "75", "spEdtMonitorMulticast_Volume", "75", "90", "90"},
        {"uart_ctrl.baud", "1152", "cmbBoxSerialCtrl_Baud", "115200 bps", nullptr, "1152"},
        {"uart_ctrl.data_bits", "5", "cmbBoxSerialCtrl_Data", "8 bits", nullptr, "8"},
        {"uart_ctrl.stop_bits", "3", "cmbBoxSerialCtrl_Stop", "1 bit", nullptr, "1"},
        {"uart_ctrl.target_ip", "10.0.0.3", "cmbBoxSerialCtrlNet_TargetIp", "10.0.0.3", nullptr,
         "10.0.0.3"},
        {"uart_data.baud", "96", "cmbBoxSerialData_Baud", "9600 bps", "19200 bps", "192"},
        {"uart_data.baud", "96", "cmbBoxSerialData_Baud", "9600 bps", "fast", "96"},
        {"uart_data.parity", "7", "cmbBoxSerialData_Parity", "", nullptr, "255"},
        {"uart_data.flow", "2", "cmbBoxSerialData_Flow", "DUPLEX", "RTS", "1"},
        {"uart_data.stop_bits", "2", "cmbBoxSerialData_Stop", "2 bits", nullptr, "2"},
        {"uart_data.keepalive", "30", "spEdtSerialDataNet_KeepAlive", "30", nullptr, "30"},
        {"uart_data.protocol", "0", "cmbBoxSerialDataNet_Protocol", "UDP", nullptr, "1"},
        {"uart_data.mode", "2", "cmbBoxSerialDataNet_Mode", "Client Mode", "Server Mode", "0"},
        {"uart_data.max_frame", "1440", "spEdtSerialData_MaxPack", "1440", "512", "512"},
        {"uart_data.frame_interval", "10", "spEdtSerialData_LeastTime", "10", "200", "200"},
        {"uart_data.local_port", "6007", "spEdtSerialDataNet_LocalPort", "6007", "7000", "7000"},
        {"uart_data.target_ip", "0.0.0.0", "cmbBoxSerialDataNet_TargetIp", "", "10.0.0.8",
         "10.0.0.8"},
        {"event_server", "0.0.0.0", "cmbBoxGpio_IpAddress", "0.0.0.0", " 10.0.0.4", "10.0.0.4"},
    };
    TEditorBench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.stored);
        TParamBlock block = MakeBlock("SIP1601", true);
        Store(block, c.field, c.stored);
        TFrmProperty& editor = bench.Open(block);
        QWidget* control = bench.Find<QWidget>(c.control);
        EXPECT_EQ(Shown(control), QString::fromUtf8(c.shown));
        if (c.entered) Enter(control, QString::fromUtf8(c.entered));
        QTest::mouseClick(bench.Find<QPushButton>("btnSave"), Qt::LeftButton);
        ASSERT_EQ(editor.result(), QDialog::Accepted);
        EXPECT_EQ(FormatFieldValue(editor.Block(), ParamField(c.field)), c.saved);
    }
}

TEST(EditorPagesTyping, BoxesTakeWhatTheirFieldsHoldAndAddressBoxesOnlyDigitsAndDots) {
    TEditorBench bench;
    TParamBlock block = MakeBlock("SIP1601", true);
    bench.Open(block);
    auto* ip = bench.Find<QLineEdit>("EdtBaseNet_IP");
    EXPECT_FALSE(ip->isEnabled());
    bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpDisable")->setChecked(true);
    EXPECT_TRUE(ip->isEnabled());
    EXPECT_EQ(bench.Find<QLineEdit>("edtAccountBase_UserNumber")->contextMenuPolicy(),
              Qt::NoContextMenu);
    EXPECT_EQ(bench.Find<QLineEdit>("edtSystemUser_Password")->echoMode(), QLineEdit::Password);

    const QString address = "1a9 2.-168,.1.x1000000";
    struct Case {
        QLineEdit* box;
        QString typed, kept;
    } cases[] = {
        {bench.Find<QLineEdit>("edtAccountBase_UserNumber"), "1234567890123456", "123456789012345"},
        {bench.Find<QLineEdit>("edtAccountBase_Password"), "abcdefghijklmnopq", "abcdefghijklmno"},
        {bench.Find<QLineEdit>("edtSystemUser_Name"), "administrator123", "administrator12"},
        {bench.Find<QLineEdit>("edtAccountBase_DisplayName"), "ABCDEFGHIJKLMNOPQ",
         "ABCDEFGHIJKLMNOP"},
        // 16 characters are allowed, but the field holds 31 bytes: 15 of these.
        {bench.Find<QLineEdit>("edtAccountBase_DisplayName"), QString(17, QChar(0x4E2D)),
         QString(15, QChar(0x4E2D))},
        {ip, address, "192.168.1.10000"},
        {bench.Find<QLineEdit>("EdtBaseDns_Secondary"), address, "192.168.1.10000"},
        {bench.Find<QComboBox>("cmbBox520TimeZone_TimeServerIp1")->lineEdit(), address,
         "192.168.1.10000"},
        // A key target holds 15 characters; a frame interval one byte.
        {bench.Find<QLineEdit>("EdtKey_1Sip"), "80012345678901234", "800123456789012"},
        {bench.Find<QLineEdit>("edtKey_2IP"), "239.255.255.2500", "239.255.255.250"},
        {bench.Find<QSpinBox>("spEdtSerialData_LeastTime")->findChild<QLineEdit*>(), "1000", "100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box->objectName().toStdString());
        c.box->setEnabled(true);
        c.box->clear();
        Type(c.box, c.typed);
        EXPECT_EQ(c.box->text(), c.kept);
    }
}

TEST(EditorPagesServers, ServerBoxesOfferTheRememberedAddressAndSaveRemembersNewOnes) {
    TEditorBench bench;
    WriteFile(bench.SettingsFile(),
              "; kept\r\n[SYSTEM]\r\nLanguage=1\r\n[Pelmora]\r\n"
              "SipServerIP = 10.0.0.7 \r\n");
    TFrmProperty& editor = bench.Open(MakeBlock("SIP1601"));
    auto* sip = bench.Find<QComboBox>("cmbBoxAccountSip_IP");
    ASSERT_EQ(sip->count(), 1);
    EXPECT_EQ(sip->itemText(0), "10.0.0.7");
    EXPECT_EQ(bench.Find<QComboBox>("cmbBoxBaseServer_IP")->count(), 0);
    bench.Find<QComboBox>("cmbBoxBaseServer_IP")->setEditText("pbx.lan");
    sip->setEditText("");
    bench.Find<QComboBox>("cmbBox520TimeZone_TimeServerIp2")->setEditText("10.0.0.9");
    QTest::mouseClick(bench.Find<QPushButton>("btnSave"), Qt::LeftButton);
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(bench.SettingsFile()),
              "; kept\r\n[SYSTEM]\r\nLanguage=1\r\n[Pelmora]\r\nSipServerIP = 10.0.0.7 \r\n"
              "ManageServerIP=pbx.lan\r\nTimeServerIP2=10.0.0.9\r\n");
}

TEST(ServerAddresses, AMissingFileRemembersNothingAndOneThatCannotBeReadIsLeftAlone) {
    TEditorBench bench;
    EXPECT_EQ(RememberedServer(bench.SettingsFile(), kManageServerKey), "");
    const QString unreadable = bench.Folder() + "unreadable.ini";
    ASSERT_TRUE(QDir().mkdir(unreadable));
    RememberServer(unreadable.toStdString(), kSipServerKey, "sip.lan");
    EXPECT_EQ(RememberedServer(unreadable.toStdString(), kSipServerKey), "");
    EXPECT_TRUE(QFileInfo(unreadable).isDir());
}

TEST(ServerAddresses, DefaultManagementServerFallsBackToThePlayerInterfaceThenTheFirstAddress) {
    TEditorBench bench;
    const std::string file = bench.SettingsFile();
    SetLocalInterfaces({{htonl(0x7F000001), htonl(0xFF000000)}, {htonl(0x0A000105), 0}});
    struct Case {
        const char* ini;
        const char* expected;
    } cases[] = {
        {"[Pelmora]\nManageServerIP=10.0.0.3\n[PLAYER]\nDefaultInterface=10.0.0.4\n", "10.0.0.3"},
        {"[Pelmora]\nManageServerIP=\n[PLAYER]\nDefaultInterface= 10.0.0.4\n", "10.0.0.4"},
        {"[PLAYER]\n", "10.0.1.5"},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.ini);
        EXPECT_EQ(DefaultManagementServer(file), c.expected) << c.ini;
    }
    SetLocalInterfaces({{htonl(0x7F000001), htonl(0xFF000000)}});
    EXPECT_EQ(DefaultManagementServer(file), "");
}

}  // namespace
