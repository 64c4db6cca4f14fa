// The pages every terminal has, through the editor: what a block shows, what a save writes, the
// typing limits, the remembered server addresses; and the reserved bytes through every page.
#include <gtest/gtest.h>

#include <arpa/inet.h>

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
    if (auto* radio = qobject_cast<QRadioButton*>(control)) return radio->isChecked() ? "on" : "";
    return static_cast<QLabel*>(control)->text();
}
void Enter(QWidget* control, const QString& text) {
    if (auto* box = qobject_cast<QLineEdit*>(control)) return box->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->isEditable() ? combo->setEditText(text) : combo->setCurrentText(text);
    if (auto* spin = qobject_cast<QSpinBox*>(control)) return spin->setValue(text.toInt());
    static_cast<QRadioButton*>(control)->setChecked(true);
}

// Stores a field's value as the terminal would, also outside what the editor accepts.
void Store(TParamBlock& block, const char* name, const std::string& value) {
    const TParamField& field = ParamField(name);
    if (field.kind == TFieldKind::kIpv4) return SetFieldIp(block, field, value);
    if (field.kind == TFieldKind::kText || field.kind == TFieldKind::kTextCleared)
        return SetFieldText(block, field, value);
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
    };
    TEditorBench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.stored);
        TParamBlock block = MakeBlock("SIP1601");
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
    TParamBlock block = MakeBlock("SIP1601");
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
