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
#include "manager/params/widgets/serveraddresses.h"

namespace {

std::vector<std::uint8_t> Bytes(const TParamBlock& block, std::size_t offset, std::size_t n) {
    return {block.begin() + offset, block.begin() + offset + n};
}

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

TEST(EditorPagesRegistry, EveryRestrictionNamesAControlOfItsPage) {
    TEditorContext context;
    const TPageRegistry registry = StandardPageRegistry();
    for (const TPageRegistration& registration : registry.Pages()) {
        std::unique_ptr<TPropertyPage> page(registration.create(context));
        for (const TControlRestriction& restriction : registration.restrictions)
            for (const QString& control : restriction.controls)
                EXPECT_NE(page->findChild<QWidget*>(control), nullptr)
                    << registration.name << ": " << control.toStdString();
    }
}

// One editor session: block in, edits, Save, block out.
class EditorPagesTest : public ::testing::Test {
  protected:
    TParamBlock SaveAfter(const TParamBlock& block, const std::function<void()>& edit = {}) {
        TFrmProperty& editor = bench.Open(block);
        if (edit) edit();
        QTest::mouseClick(bench.Find<QPushButton>("btnSave"), Qt::LeftButton);
        EXPECT_EQ(editor.result(), QDialog::Accepted)
            << bench.prompter.MessageTexts().join(";").toStdString();
        return editor.Block();
    }
    QLineEdit* Box(const char* name) { return bench.Find<QLineEdit>(name); }
    QComboBox* Combo(const char* name) { return bench.Find<QComboBox>(name); }
    QSpinBox* Spin(const char* name) { return bench.Find<QSpinBox>(name); }

    TEditorBench bench;
};

TEST_F(EditorPagesTest, NetworkPageShowsAndWritesAddressesFlagsAndTheManagementServer) {
    TParamBlock block = MakeBlock("SIP1601");
    SetFieldInt(block, ParamField("dhcp"), 0);
    SetFieldInt(block, ParamField("auto_dns"), 1);
    SetFieldIp(block, ParamField("gateway"), "10.1.1.1");
    SetFieldIp(block, ParamField("dns2"), "8.8.4.4");
    SetFieldText(block, ParamField("mgmt.server"), "10.1.1.2");
    SetFieldInt(block, ParamField("mgmt.port"), 9000);
    WriteFile(bench.SettingsFile(), "[Pelmora]\r\nManageServerIP = 10.9.9.9 \r\n");

    bench.Open(block);
    EXPECT_TRUE(bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpDisable")->isChecked());
    EXPECT_TRUE(Box("EdtBaseNet_IP")->isEnabled());
    EXPECT_EQ(Box("EdtBaseNet_IP")->text(), "10.1.1.10");
    EXPECT_TRUE(bench.Find<QRadioButton>("rdBtnBaseDns_Enable")->isChecked());
    EXPECT_FALSE(Box("EdtBaseDns_Primary")->isEnabled());
    EXPECT_EQ(Box("EdtBaseDns_Primary")->text(), "");  // 0.0.0.0 is shown empty
    EXPECT_EQ(Box("EdtBaseDns_Secondary")->text(), "8.8.4.4");
    EXPECT_EQ(Combo("cmbBoxBaseServer_IP")->currentText(), "10.1.1.2");
    ASSERT_EQ(Combo("cmbBoxBaseServer_IP")->count(), 1);
    EXPECT_EQ(Combo("cmbBoxBaseServer_IP")->itemText(0), "10.9.9.9");
    EXPECT_EQ(Spin("SpEdtBaseServer_Port")->value(), 9000);
    bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpEnable")->setChecked(true);
    EXPECT_FALSE(Box("EdtBaseNet_IP")->isEnabled());

    struct Case {
        const char* what;
        std::function<void()> edit;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"DHCP with an empty address box",
         [&] { Box("EdtBaseNet_IP")->setText(""); },
         144,
         {0, 0, 0, 0}},
        {"DHCP with an impossible address",
         [&] { Box("EdtBaseNet_IP")->setText("192.168.1.300"); },
         144,
         {0, 0, 0, 0}},
        {"manual DNS, both boxes empty",
         [&] {
             bench.Find<QRadioButton>("rdBtnBaseDns_Disable")->setChecked(true);
             Box("EdtBaseDns_Secondary")->setText("");
         },
         156,
         {0, 0, 0, 0, 0, 0, 0, 0}},
        {"manual addressing with 0.0.0.0",
         [&] {
             bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpDisable")->setChecked(true);
             Box("EdtBaseNet_IP")->setText(" 0.0.0.0 ");
         },
         144,
         {0, 0, 0, 0, 255, 0, 0, 0, 10, 1, 1, 1}},
        {"management port",
         [&] { Spin("SpEdtBaseServer_Port")->setValue(8877); },
         176,
         {0x22, 0xAD}},
        {"management server",
         [&] { Combo("cmbBoxBaseServer_IP")->setEditText(" pbx.lan "); },
         548,
         {'p', 'b', 'x', '.', 'l', 'a', 'n', 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TParamBlock saved = SaveAfter(block, [&] {
            bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpEnable")->setChecked(true);
            c.edit();
        });
        EXPECT_EQ(Bytes(saved, c.offset, c.bytes.size()), c.bytes);
    }
    // The last non-empty server is remembered; the file's other lines stay.
    EXPECT_EQ(ReadFile(bench.SettingsFile()), "[Pelmora]\r\nManageServerIP =pbx.lan\r\n");
}

TEST_F(EditorPagesTest, AccountPageShowsAndWritesTheAccountAndItsCopies) {
    TParamBlock block = MakeBlock("SIP520");
    SetFieldInt(block, ParamField("run_status"), 0x48);
    SetFieldText(block, ParamField("sip.user"), "1001");
    SetFieldText(block, ParamField("sip.password"), "abc");
    SetFieldText(block, ParamField("sip.server"), "1.2.3.4");
    SetFieldInt(block, ParamField("expiry"), 10);
    SetFieldInt(block, ParamField("keepalive"), 0);
    WriteFile(bench.SettingsFile(), "; kept\n[Pelmora]\nSipServerIP=10.0.0.7\n");

    bench.Open(block);
    EXPECT_EQ(bench.Find<QLabel>("lblAccountBase_StatusVal")->text(), "已经注册, 播放");
    EXPECT_EQ(bench.Find<QLabel>("lblRunInfo_AccountVal")->text(), "1001 已经注册, 播放");
    EXPECT_EQ(Spin("spEdtAccountBase_Expire")->value(), 3600);
    EXPECT_EQ(Spin("spEdtAccountBase_KeepAlive")->value(), 30);
    EXPECT_EQ(Combo("cmbBoxAccountSip_IP")->itemText(0), "10.0.0.7");
    EXPECT_EQ(Box("edtAccountBase_UserNumber")->contextMenuPolicy(), Qt::NoContextMenu);

    struct Typing {
        const char* box;
        QString typed, kept;
    } typing[] = {
        {"edtAccountBase_UserNumber", "1234567890123456", "123456789012345"},
        {"edtAccountBase_Password", "abcdefghijklmnopq", "abcdefghijklmno"},
        {"edtAccountBase_DisplayName", "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},
        {"edtAccountBase_DisplayName", QString(17, QChar(0x4E2D)), QString(15, QChar(0x4E2D))},
        {"edtSystemUser_Name", "administrator123", "administrator12"},
    };
    for (const Typing& t : typing) {
        SCOPED_TRACE(t.box);
        Box(t.box)->clear();
        Type(Box(t.box), t.typed);
        EXPECT_EQ(Box(t.box)->text(), t.kept);
    }

    const TParamBlock saved = SaveAfter(block, [&] {
        Box("edtAccountBase_DisplayName")->setText("ABCDEFGHIJKLMNOP");
        Box("edtAccountBase_UserNumber")->setText("123456789012345");
        Box("edtAccountBase_Password")->setText("");
        Spin("spEdtAccountBase_Port")->setValue(5060);
        Spin("spEdtAccountSip_Port")->setValue(5060);
        Combo("cmbBoxAccountSip_IP")->setEditText("");
    });
    const std::string name = "ABCDEFGHIJKLMNOP", user = "123456789012345";
    EXPECT_EQ(Bytes(saved, 796, 17), std::vector<std::uint8_t>(name.c_str(), name.c_str() + 17));
    EXPECT_EQ(Bytes(saved, 112, 16), Bytes(saved, 796, 16));
    EXPECT_EQ(Bytes(saved, 660, 16), std::vector<std::uint8_t>(user.c_str(), user.c_str() + 16));
    EXPECT_EQ(Bytes(saved, 128, 16), Bytes(saved, 660, 16));
    EXPECT_EQ(Bytes(saved, 520, 3), (std::vector<std::uint8_t>{0, 'b', 'c'}));
    EXPECT_EQ(Bytes(saved, 760, 2), (std::vector<std::uint8_t>{0x13, 0xC4}));
    EXPECT_EQ(Bytes(saved, 638, 2), (std::vector<std::uint8_t>{0xC4, 0x13}));
    EXPECT_EQ(Bytes(saved, 762, 2), (std::vector<std::uint8_t>{0x10, 0x0E}));  // 3600
    EXPECT_EQ(saved[934], 30);
    EXPECT_EQ(Bytes(saved, 860, 4), (std::vector<std::uint8_t>{0, '.', '2', '.'}));
    EXPECT_EQ(ReadFile(bench.SettingsFile()), "; kept\n[Pelmora]\nSipServerIP=10.0.0.7\n");
}

TEST_F(EditorPagesTest, MaintenancePageShowsAndWritesLoginTimeZoneAndTimeServers) {
    struct Zone {
        int stored;
        const char* shown;
        const char* chosen;  // nullptr: keep what is shown
        std::vector<std::uint8_t> saved;
    } zones[] = {
        {330, "+05:30", nullptr, {0x4A, 0x01}},
        {100, "+08:00", nullptr, {0xE0, 0x01}},
        {480, "+08:00", "-03:30", {0x2E, 0xFF}},
        {-720, "-12:00", "+14:00", {0x48, 0x03}},
    };
    for (const Zone& z : zones) {
        SCOPED_TRACE(z.stored);
        TParamBlock block = MakeBlock("SIP1601");
        SetFieldInt(block, ParamField("timezone"), z.stored);
        SetFieldText(block, ParamField("maint.user"), "admin");
        SetFieldIp(block, ParamField("time_server2"), "10.0.0.9");
        const TParamBlock saved = SaveAfter(block, [&] {
            EXPECT_EQ(Combo("cmbBox520TimeZone_Current")->currentText(), z.shown);
            EXPECT_EQ(Combo("cmbBox520TimeZone_TimeServerIp1")->currentText(), "");
            EXPECT_EQ(Combo("cmbBox520TimeZone_TimeServerIp2")->currentText(), "10.0.0.9");
            EXPECT_EQ(Box("edtSystemUser_Password")->echoMode(), QLineEdit::Password);
            if (z.chosen) Combo("cmbBox520TimeZone_Current")->setCurrentText(z.chosen);
            Box("edtSystemUser_Name")->setText(" ");
            Combo("cmbBox520TimeZone_TimeServerIp1")->setEditText("10.0.0.5");
        });
        EXPECT_EQ(Bytes(saved, 696, 2), z.saved);
        EXPECT_EQ(Bytes(saved, 80, 16), std::vector<std::uint8_t>(16, 0));
        EXPECT_EQ(Bytes(saved, 700, 8), (std::vector<std::uint8_t>{10, 0, 0, 5, 10, 0, 0, 9}));
    }
    TIniFile ini;
    ASSERT_TRUE(ini.Load(bench.SettingsFile()));
    EXPECT_EQ(ini.ReadString("Pelmora", "TimeServerIP1", ""), "10.0.0.5");
    EXPECT_EQ(ini.ReadString("Pelmora", "TimeServerIP2", ""), "10.0.0.9");
}

TEST_F(EditorPagesTest, AddressBoxesTakeOnlyDigitsAndDots) {
    bench.Open(MakeBlock("SIP1601"));
    QLineEdit* boxes[] = {Box("EdtBaseNet_IP"), Box("EdtBaseDns_Secondary"),
                          Combo("cmbBox520TimeZone_TimeServerIp1")->lineEdit()};
    for (QLineEdit* box : boxes) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->setEnabled(true);
        box->clear();
        Type(box, "1a9 2.-168,.1.x1000000");
        EXPECT_EQ(box->text(), "192.168.1.10000");
    }
}

TEST(ServerAddresses, RememberedAddressesLiveInTheirSectionBesideEverythingElse) {
    TEditorBench bench;
    const std::string file = bench.SettingsFile();
    EXPECT_EQ(RememberedServer(file, kManageServerKey), "");  // no file
    WriteFile(file, "; settings\n[SYSTEM]\nLanguage=1\n\n[pelmora]\nEventServerIP= 10.0.0.1\n");
    RememberServer(file, kSipServerKey, "sip.lan");
    RememberServer(file, kEventServerKey, "10.0.0.2");
    EXPECT_EQ(ReadFile(file),
              "; settings\n[SYSTEM]\nLanguage=1\n\n[pelmora]\nEventServerIP=10.0.0.2\n"
              "SipServerIP=sip.lan\n");
    EXPECT_EQ(RememberedServer(file, kSipServerKey), "sip.lan");

    // A settings file that cannot be read is left alone.
    const std::string folder = bench.Folder().toStdString() + "unreadable.ini";
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(folder)));
    RememberServer(folder, kSipServerKey, "sip.lan");
    EXPECT_EQ(RememberedServer(folder, kSipServerKey), "");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder)).isDir());
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
