// The editor frame: the tree of each family, navigation, the order of checks, login and save,
// cancel, family restrictions, captions and the parameter-file buttons.
#include "manager/params/widgets/frmproperty.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/translation.h"
#include "common/xmlobj.h"
#include "editortestkit.h"
#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/params/paramdevice.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramtexts.h"
#include "manager/params/widgets/familyrestrictions.h"
#include "manager/params/widgets/propertyeditor.h"
#include "tests/shippedlanguage.h"

namespace {

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;

// Stands in for a page not registered here: logs its loads and saves, and has a check box for
// each control that a family restricts on its page.
class TProbePage : public TPropertyPage {
  public:
    TProbePage(TEditorContext& context, std::string name, std::vector<std::string>& log)
        : TPropertyPage(context), name_(std::move(name)), log_(log) {
        auto* layout = new QVBoxLayout(this);
        for (const TFamilyRestriction& restriction : FamilyRestrictions())
            if (restriction.page == name_)
                for (const QString& control : ControlNames(restriction)) {
                    auto* box = new QCheckBox(this);
                    box->setObjectName(control);
                    layout->addWidget(box);
                }
    }
    void Load(const TParamBlock&) override { log_.push_back("load " + name_); }
    void Save(TParamBlock&) const override { log_.push_back("save " + name_); }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

// The pages every terminal has, and a probe for every other entry that has a page.
TPageRegistry WithProbes(std::vector<std::string>& log) {
    TPageRegistry registry = StandardPageRegistry();
    for (const TPageEntry& entry : PageTable()) {
        const std::string name(entry.name);
        if (entry.page.empty() ||
            std::string_view("RunInfo BaseParam AccountInfo DevMaintenance").find(name) !=
                std::string_view::npos)
            continue;
        registry.AddPage({.name = name, .create = [name, &log](TEditorContext& context) {
                              return new TProbePage(context, name, log);
                          }});
    }
    return registry;
}

QStringList TreeEntries(const QTreeWidget* tree) {
    QStringList entries;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = tree->topLevelItem(i);
        entries << top->data(0, Qt::UserRole).toString();
        for (int c = 0; c < top->childCount(); ++c)
            entries << entries.last().section('/', 0, 0) + "/" +
                           top->child(c)->data(0, Qt::UserRole).toString();
    }
    return entries;
}

QTreeWidgetItem* TreeItem(QTreeWidget* tree, const QString& name) {
    for (QTreeWidgetItem* item : tree->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive))
        if (item->data(0, Qt::UserRole).toString() == name) return item;
    return nullptr;
}

QString CurrentPage(const TEditorBench& bench) {
    return bench.Find<QTabWidget>("RzPageControl1")->currentWidget()->objectName();
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

class FrmPropertyTest : public ::testing::Test {
  protected:
    std::vector<std::string> log;
    TEditorBench bench{WithProbes(log)};
};

TEST_F(FrmPropertyTest, EachFamilyOpensWithItsTreeAndLoadsItsPagesInTableOrder) {
    const QString common = "RunInfo BaseParam AccountInfo";
    const QString tail = "Extended Extended/ControlUart DevMaintenance";
    struct Case {
        const char* model;
        bool dataPort;
        QString tree;
        std::vector<std::string> probed;  // pages loaded, in order
    } cases[] = {
        {"SIP520",
         false,
         common +
             " IntercomSetting MulticastSetting MonitorMulticast AddressBook "
             "AddressBook/LocalContacts AddressBook/MulticastList " +
             tail,
         {"IntercomSetting", "MulticastSetting", "MonitorMulticast", "LocalContacts",
          "MulticastList", "ControlUart"}},
        {"SIP520",
         true,
         common + " IntercomSetting MulticastSetting MonitorMulticast AddressBook "
                  "AddressBook/LocalContacts AddressBook/MulticastList Extended "
                  "Extended/ControlUart Extended/DataUart GPIO DevMaintenance",
         {"IntercomSetting", "MulticastSetting", "MonitorMulticast", "LocalContacts",
          "MulticastList", "ControlUart", "DataUart", "GPIO"}},
        {"xsip1601-b",
         false,
         common + " IntercomSetting MulticastSetting KeySetting MonitorMulticast " + tail,
         {"IntercomSetting", "MulticastSetting", "KeySetting", "MonitorMulticast", "ControlUart"}},
        {"SIP460",
         false,
         common + " IntercomSetting MonitorMulticast " + tail,
         {"IntercomSetting", "MonitorMulticast", "ControlUart"}},
        {"SIP650",
         false,
         common + " MulticastSetting KeySetting " + tail,
         {"MulticastSetting", "KeySetting", "ControlUart"}},
        {"SIP999",
         true,
         common + " Extended Extended/ControlUart Extended/DataUart GPIO "
                  "DevMaintenance",
         {"ControlUart", "DataUart", "GPIO"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model + std::string(c.dataPort ? " with data port" : ""));
        log.clear();
        TFrmProperty& editor = bench.Open(MakeBlock(c.model, c.dataPort));
        auto* tree = bench.Find<QTreeWidget>("OrgTreeView");
        EXPECT_EQ(TreeEntries(tree).join(' '), c.tree);
        EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toString(), "RunInfo");
        EXPECT_EQ(CurrentPage(bench), "tbShtRunInfo");
        std::vector<std::string> expected;
        for (const std::string& page : c.probed)
            expected.push_back("load " + page);
        EXPECT_EQ(log, expected);

        // Save writes the same pages, in the same order.
        log.clear();
        Click(bench.Find<QPushButton>("btnSave"));
        EXPECT_EQ(editor.result(), QDialog::Accepted);
        for (std::string& entry : expected)
            entry.replace(0, 4, "save");
        EXPECT_EQ(log, expected);
    }
}

TEST_F(FrmPropertyTest, CursorKeysShowTheNextPageOnceTheTreeHasMovedAndClicksShowPagesOnly) {
    bench.Open(MakeBlock("SIP650"));
    auto* tree = bench.Find<QTreeWidget>("OrgTreeView");
    tree->setCurrentItem(TreeItem(tree, "AccountInfo"));
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toString(), "MulticastSetting");
    QTRY_COMPARE_WITH_TIMEOUT(CurrentPage(bench), QString("tbShtMulticast"), 5000);
    QTest::keyClick(tree, Qt::Key_Up);
    QTRY_COMPARE_WITH_TIMEOUT(CurrentPage(bench), QString("tbShtAccount"), 5000);

    // Other keys move the selection but keep the page.
    QTest::keyClick(tree, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toString(), "DevMaintenance");
    EXPECT_EQ(CurrentPage(bench), "tbShtAccount");

    struct Case {
        const char* entry;
        Qt::MouseButton button;
        const char* page;
    } clicks[] = {
        {"BaseParam", Qt::LeftButton, "tbShtBaseParam"},
        {"Extended", Qt::LeftButton, "tbShtBaseParam"},  // no page of its own
        {"ControlUart", Qt::LeftButton, "tbShtSerialCtrl"},
        {"KeySetting", Qt::RightButton, "tbShtSerialCtrl"},
    };
    for (const Case& c : clicks) {
        SCOPED_TRACE(c.entry);
        QTreeWidgetItem* item = TreeItem(tree, c.entry);
        QTest::mouseClick(tree->viewport(), c.button, {}, tree->visualItemRect(item).center());
        EXPECT_EQ(CurrentPage(bench), c.page);
    }
    EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toString(), "KeySetting");
}

TEST_F(FrmPropertyTest, SaveStopsAtTheFirstFailingBoxWithItsPageAndFocus) {
    struct Case {
        const char* what;
        std::function<void()> edit;
        const char* message;
        const char* page;
        const char* focus;
    } cases[] = {
        {"manual IP address",
         [&] {
             bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpDisable")->setChecked(true);
             bench.Find<QLineEdit>("EdtBaseNet_IP")->setText("10.1.1");
         },
         "IP地址为空或不正确，请查正", "tbShtBaseParam", "EdtBaseNet_IP"},
        {"gateway",
         [&] {
             bench.Find<QRadioButton>("rdBtnBaseNetwork_DhcpDisable")->setChecked(true);
             bench.Find<QLineEdit>("EdtBaseNet_Gateway")->setText("");
         },
         "网关地址为空或不正确，请查正！", "tbShtBaseParam", "EdtBaseNet_Gateway"},
        {"secondary DNS, checked also with DHCP",
         [&] { bench.Find<QLineEdit>("EdtBaseDns_Secondary")->setText("10.300.1.1"); },
         "备选DNS不正确，请查正！", "tbShtBaseParam", "EdtBaseDns_Secondary"},
        {"time server 2",
         [&] { bench.Find<QComboBox>("cmbBox520TimeZone_TimeServerIp2")->setEditText("1.2.3"); },
         "时区服务器地址不正确，请查正！", "tbShtMaintenance", "cmbBox520TimeZone_TimeServerIp2"},
        {"the network page before the time servers",
         [&] {
             bench.Find<QComboBox>("cmbBox520TimeZone_TimeServerIp1")->setEditText("1.2.3");
             bench.Find<QLineEdit>("EdtBaseDns_Primary")->setText("1.2.3");
         },
         "首选DNS不正确，请查正！", "tbShtBaseParam", "EdtBaseDns_Primary"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bench.prompter.messages.clear();
        bench.logins.clear();
        const TParamBlock block = MakeBlock("SIP1601");
        TFrmProperty& editor = bench.Open(block);
        c.edit();
        Click(bench.Find<QPushButton>("btnSave"));
        ASSERT_EQ(bench.prompter.MessageTexts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(bench.prompter.messages[0].kind, IPrompter::Kind::Error);
        EXPECT_EQ(CurrentPage(bench), c.page);
        QWidget* box = bench.Find<QWidget>(c.focus);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(focus == box || box->isAncestorOf(focus));
        EXPECT_TRUE(bench.logins.empty());
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.Block(), block);
    }
}

TEST_F(FrmPropertyTest, CancelAndTheCloseBoxWriteNothing) {
    const std::function<void(TFrmProperty&)> ways[] = {
        [&](TFrmProperty&) { Click(bench.Find<QPushButton>("btnCancel")); },
        [](TFrmProperty& editor) { editor.close(); },
        [](TFrmProperty&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
    };
    for (const auto& leave : ways) {
        const TParamBlock block = MakeBlock("SIP520", true);
        TFrmProperty& editor = bench.Open(block);
        bench.Find<QLineEdit>("edtAccountBase_DisplayName")->setText("Gate");
        bench.Find<QComboBox>("cmbBoxAccountSip_IP")->setEditText("sip.example.org");
        bench.Find<QLineEdit>("EdtBaseDns_Primary")->setText("8.8.8.8");
        leave(editor);
        EXPECT_EQ(editor.result(), QDialog::Rejected);
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(editor.Block(), block);
        EXPECT_TRUE(bench.logins.empty());
        EXPECT_FALSE(QFile::exists(QString::fromStdString(bench.SettingsFile())));
    }
}

TEST(FrmPropertyRestrictions, FamiliesDisableAndHideTheirControls) {
    std::vector<std::string> log;
    TEditorBench bench(WithProbes(log));
    struct Case {
        const char* model;
        const char* control;
        bool enabled, hidden;
    } cases[] = {
        {"SIP525", "rdBtnTalk_Mic", false, false},
        {"SIP525", "chkBoxTalk_TalkLine", false, true},
        {"SIP525", "rdBtnMulticast_LineIn", false, false},
        {"SIP460", "btnTalk_DefAec", false, false},
        {"SIP460", "chkBoxTalk_RingHangup", false, true},
        {"SIP1601", "chkBoxTalk_RingLine", true, false},
        {"SIP1601", "cmbBoxKey_4Mode", true, false},
        {"SIP310", "pnlKey_4Sip", false, false},
        {"SIP310", "cmbBoxKey_3Mode", true, false},
        {"SIP650", "pnlKey_2Multicast", false, false},
        {"SIP650", "rdBtnMulticast_Mic", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.control);
        bench.Open(MakeBlock(c.model));
        auto* control = bench.Find<QWidget>(c.control);
        EXPECT_EQ(control->isEnabled(), c.enabled);
        EXPECT_EQ(control->isHidden(), c.hidden);
    }
}

TEST(FrmPropertyCommands, ParameterFileButtonsRunTheirRegisteredCommandsOrStayDisabled) {
    TPageRegistry registry;  // no page and only one command
    int defaults = 0;
    registry.AddCommand("btnDefParams", [&](TFrmProperty& editor) {
        ++defaults;
        editor.LoadPages(MakeBlock("SIP1601"), false);
    });
    TEditorBench bench(std::move(registry));
    bench.Open(MakeBlock("SIP1601"));
    Click(bench.Find<QPushButton>("btnDefParams"));
    EXPECT_EQ(defaults, 1);
    for (const char* name : {"btnSaveParams", "btnExportParams", "btnImportParams"})
        EXPECT_FALSE(bench.Find<QPushButton>(name)->isEnabled()) << name;
    EXPECT_FALSE(bench.Registry().AddPage({.name = "Extended", .create = nullptr}));
}

TEST(FrmPropertyLanguage, TheShippedLanguageFileTranslatesTheEditorItsTreeStatusAndMessages) {
    TShippedLanguage doc;
    ASSERT_TRUE(doc.Loaded());
    ReloadStatusWords(StatusWords());

    TEditorBench bench;
    bench.displayName = [](const std::string& model) {
        return model == "SIP1601" ? QString("Door Station") : QString("undefined");
    };
    TParamBlock block = MakeBlock("SIP1601");
    SetFieldInt(block, ParamField("run_status"), 0x48);
    TFrmProperty& editor = bench.Open(block);
    struct Case {
        const char* name;
        QString text;
    } cases[] = {
        {"lblBaseDns_Primary", "Primary DNS"},
        {"lblAccountBase_StatusVal", "Registered, Playing"},
        {"lbl520TimeZone_TimeServerIp2", "Time server address 2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bench.Find<QLabel>(c.name)->text(), c.text) << c.name;
    editor.LoadPages(MakeBlock("SIP650"), false);  // the captions name the model once
    EXPECT_EQ(editor.windowTitle(), "Parameter settings Door Station");
    EXPECT_EQ(bench.Find<QLabel>("pnlTitle")->text(), "Door Station Parameter settings");
    EXPECT_EQ(bench.Open(MakeBlock("SIP999")).windowTitle(), "Parameter settings ");
    EXPECT_EQ(bench.Find<QPushButton>("btnSave")->text(), "&Save");
    auto* tree = bench.Find<QTreeWidget>("OrgTreeView");
    EXPECT_EQ(TreeItem(tree, "BaseParam")->text(0), "Basic parameters");
    EXPECT_EQ(TreeItem(tree, "ControlUart")->text(0), "Control serial port");

    bench.Find<QComboBox>("cmbBox520TimeZone_TimeServerIp1")->setEditText("1.2.3");
    Click(bench.Find<QPushButton>("btnSave"));
    EXPECT_EQ(bench.prompter.MessageTexts(),
              QStringList{"The time server address is wrong, please check it!"});

    StatusWords() = DefaultStatusWords();
}

// Save logs in with the access address and the block's MAC through the login procedure: the
// terminal asks for credentials, the asker gives them, and the block is written only after the
// terminal accepts them.
TEST(FrmPropertyLogin, SaveAnswersACredentialsRequestAndWritesOnlyWhenTheyAreAccepted) {
    for (const std::int32_t secondLogin : {1, -6}) {
        SCOPED_TRACE(secondLogin);
        ::testing::NiceMock<MockDeviceAccess> access;
        std::vector<std::string> users;
        EXPECT_CALL(access, Login("10.1.1.10", kTestMac, _))
            .WillOnce(Return(-6))
            .WillOnce(Invoke([&](const std::string&, const TMacBytes&, TDeviceCredentials* cred) {
                users.push_back(std::string(cred->user) + "/" + cred->password);
                return secondLogin;
            }));
        TEditorBench bench;
        bench.login = [&](const std::string& ip, const TMacBytes& mac) {
            return LoginTerminal(access, ip, mac, [] {
                       return std::optional<TLoginCredentials>({" admin ", "50738264"});
                   }).kind == TLoginOutcome::TKind::kLoggedIn;
        };
        TFrmProperty& editor = bench.Open(MakeBlock("SIP1601"), "10.1.1.10");
        bench.Find<QLineEdit>("edtAccountBase_UserNumber")->setText("2002");
        Click(bench.Find<QPushButton>("btnSave"));
        EXPECT_EQ(users, std::vector<std::string>{"admin/50738264"});
        const bool accepted = secondLogin == 1;
        EXPECT_TRUE(bench.prompter.messages.empty());
        EXPECT_EQ(editor.result(), accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(editor.isVisible(), !accepted);
        EXPECT_EQ(GetFieldText(editor.Block(), ParamField("sip.user")), accepted ? "2002" : "");
    }
}

TEST(PropertyEditorRunner, AnswersTheEditedBlockAfterSaveAndNothingOtherwise) {
    for (const char* button : {"btnSave", "btnCancel"}) {
        SCOPED_TRACE(button);
        TEditorBench bench;
        QTimer::singleShot(0, [button] {
            QWidget* editor = QApplication::activeModalWidget();
            ASSERT_NE(editor, nullptr);
            editor->findChild<QLineEdit*>("edtAccountBase_DisplayName")->setText("Hall");
            Click(editor->findChild<QPushButton*>(button));
        });
        TFrmPropertyDeps deps = bench.Deps();
        deps.pages = nullptr;  // the standard pages
        const std::optional<TParamBlock> edited =
            RunPropertyEditor(nullptr, deps, MakeBlock("SIP460"),
                              {"10.1.1.10", "10.1.1.10", "255.0.0.0", "", "", ""});
        const bool saved = std::string_view(button) == "btnSave";
        ASSERT_EQ(edited.has_value(), saved);
        EXPECT_EQ(bench.logins.size(), saved ? 1u : 0u);
        if (saved) {
            EXPECT_EQ(GetFieldText(*edited, ParamField("display_name")), "Hall");
        }
    }
}

}  // namespace
