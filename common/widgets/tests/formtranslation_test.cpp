#include "common/widgets/formtranslation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/translation.h"
#include "common/xmlobj.h"

// A form with one component of every kind.
class TFrmSample : public QWidget {
    Q_OBJECT
  public:
    TFrmSample() {
        setWindowTitle("样本");
        auto* layout = new QVBoxLayout(this);
        auto add = [&](QWidget* widget, const char* name) {
            widget->setObjectName(name);
            layout->addWidget(widget);
        };
        group = new QGroupBox("组", this);
        add(group, "grpBox");
        combo = new QComboBox(group);
        combo->setObjectName("cmbBoxMode");
        combo->addItems({"甲", "乙", "丙"});
        button = new QPushButton("按钮", group);
        button->setObjectName("btnSave");
        check = new QCheckBox("复选", this);
        add(check, "chkBoxTalk");
        radio = new QRadioButton("单选", this);
        add(radio, "rdBtnMic");
        label = new QLabel("标签", this);
        add(label, "lblInfo");
        untranslatedLabel = new QLabel("保留", this);
        add(untranslatedLabel, "lblKeep");
        tool = new QToolButton(this);
        tool->setText("工具");
        add(tool, "tlBtnRefresh");
        spin = new QSpinBox(this);
        spin->setSuffix(" 秒");
        add(spin, "spEdtPort");
        tabs = new QTabWidget(this);
        add(tabs, "pgCtrl");
        page = new QWidget;
        page->setObjectName("tbShtBase");
        tabs->addTab(page, "基本");
        tree = new QTreeWidget(page);
        tree->setObjectName("lvBkContacts");
        tree->setHeaderLabels({"名称", "号码"});
        checks = new QListWidget(this);
        add(checks, "chkLstZones");
        for (const char* text : {"区一", "区二"}) {
            auto* item = new QListWidgetItem(text, checks);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        plainList = new QListWidget(this);
        add(plainList, "lstPlain");
        plainList->addItem("普通");
        bar = new QStatusBar(this);
        add(bar, "StatusBar1");
        panel0 = new QLabel("数量：");
        panel1 = new QLabel("3");
        bar->addWidget(panel0);
        bar->addWidget(panel1);
        menu = new QMenu("设备", this);
        menu->setObjectName("NDevice");
        action = menu->addAction("搜索");
        action->setObjectName("NSearch");
    }

    QGroupBox* group;
    QComboBox* combo;
    QPushButton* button;
    QCheckBox* check;
    QRadioButton* radio;
    QLabel *label, *untranslatedLabel, *panel0, *panel1;
    QToolButton* tool;
    QSpinBox* spin;
    QTabWidget* tabs;
    QWidget* page;
    QTreeWidget* tree;
    QListWidget *checks, *plainList;
    QStatusBar* bar;
    QMenu* menu;
    QAction* action;
};

namespace {

const char* kDocument = R"(<Pelmora>
  <TFrmSample>
    <self.Caption><English>Sample</English></self.Caption>
    <grpBox.Caption><English>Group</English></grpBox.Caption>
    <cmbBoxMode.Items0><English>A</English></cmbBoxMode.Items0>
    <cmbBoxMode.Items1><English>B</English></cmbBoxMode.Items1>
    <cmbBoxMode.Items2><English>C</English></cmbBoxMode.Items2>
    <btnSave.Caption><English>Save</English></btnSave.Caption>
    <chkBoxTalk.Caption><English>Talk</English></chkBoxTalk.Caption>
    <rdBtnMic.Caption><English>Mic</English></rdBtnMic.Caption>
    <lblInfo.Caption><English>Info</English></lblInfo.Caption>
    <lblKeep.Caption><Japan>x</Japan></lblKeep.Caption>
    <tlBtnRefresh.Caption><English>Refresh</English></tlBtnRefresh.Caption>
    <spEdtPort.Caption><English>never</English></spEdtPort.Caption>
    <tbShtBase.Caption><English>Basic</English></tbShtBase.Caption>
    <lvBkContacts.Column0><English>Name</English></lvBkContacts.Column0>
    <lvBkContacts.Column1><English>Number</English></lvBkContacts.Column1>
    <chkLstZones.Items0><English>Zone one</English></chkLstZones.Items0>
    <chkLstZones.Items1><English>Zone two</English></chkLstZones.Items1>
    <lstPlain.Items0><English>never</English></lstPlain.Items0>
    <StatusBar1.Panels0><English>Count:</English></StatusBar1.Panels0>
    <NDevice.Caption><English>Device</English></NDevice.Caption>
    <NSearch.Caption><English>Search</English></NSearch.Caption>
  </TFrmSample>
</Pelmora>)";

TEST(FormTranslation, EveryKindUnderItsKey) {
    TMyXmlobj doc;
    ASSERT_TRUE(doc.LoadFromBytes(kDocument));
    SetLanguage(doc, lang::kEnglish);
    TFrmSample form;
    TranslateForm(&form, doc);

    EXPECT_EQ(doc.FormName(), "TFrmSample");
    const std::pair<QString, QString> expected[] = {
        {form.windowTitle(), "Sample"},
        {form.group->title(), "Group"},
        {form.combo->itemText(0), "A"},
        {form.combo->itemText(1), "B"},
        {form.combo->itemText(2), "C"},
        {form.button->text(), "Save"},
        {form.check->text(), "Talk"},
        {form.radio->text(), "Mic"},
        {form.label->text(), "Info"},
        {form.untranslatedLabel->text(), "保留"},  // no English child: current text stays
        {form.tool->text(), "Refresh"},
        {form.spin->suffix(), " 秒"},  // spin boxes are not translated
        {form.tabs->tabText(0), "Basic"},
        {form.tree->headerItem()->text(0), "Name"},
        {form.tree->headerItem()->text(1), "Number"},
        {form.checks->item(0)->text(), "Zone one"},
        {form.checks->item(1)->text(), "Zone two"},
        {form.plainList->item(0)->text(), "普通"},  // not a check list
        {form.panel0->text(), "Count:"},
        {form.panel1->text(), "3"},  // no key for panel 1
        {form.menu->title(), "Device"},
        {form.action->text(), "Search"},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(expected[i].first, expected[i].second) << "row " << i;
}

TEST(FormTranslation, NothingWithoutADocumentOrTranslation) {
    TFrmSample form;
    TMyXmlobj empty;
    TranslateForm(&form, empty);
    EXPECT_EQ(form.windowTitle(), "样本");
    EXPECT_EQ(form.combo->itemText(2), "丙");
    EXPECT_EQ(empty.FormName(), "noform");

    TMyXmlobj doc;
    ASSERT_TRUE(doc.LoadFromBytes(kDocument));
    SetLanguage(doc, 3);  // Korea: no Korean texts in the document
    TranslateForm(&form, doc);
    EXPECT_EQ(form.windowTitle(), "样本");
    EXPECT_EQ(form.button->text(), "按钮");
    EXPECT_EQ(form.tree->headerItem()->text(1), "号码");

    // Translating twice changes nothing more.
    SetLanguage(doc, lang::kEnglish);
    TranslateForm(&form, doc);
    TranslateForm(&form, doc);
    EXPECT_EQ(form.label->text(), "Info");
}

TEST(FormTranslation, FormatKeyText) {
    const struct {
        const char* format;
        QStringList args;
        const char* expected;
    } cases[] = {
        {"读取故障，errcode = %d", {"-3"}, "读取故障，errcode = -3"},
        {"delete (account=%s, IP=%s)?",
         {"1001", "10.0.0.1"},
         "delete (account=1001, IP=10.0.0.1)?"},
        {"%s %s %s", {"only"}, "only  "},  // more fields than arguments: empty
        {"100%% %x %", {}, "100% %x %"},
        {"%n%p", {"a"}, "%n%p"},  // never a printf format
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatKeyText(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected))
            << c.format;
}

}  // namespace

#include "formtranslation_test.moc"
