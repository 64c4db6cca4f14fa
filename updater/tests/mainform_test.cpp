// Vellup's window offscreen: start-up, the file commands with their message boxes, and whole
// batches against simulated terminals on 127.N.32.x.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <stdexcept>

#include "common/widgets/testing/mnemonicclashes.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/widgets/testing/unnamedcontrols.h"
#include "common/widgets/windowlayout.h"
#include "termsim/update/agentrunner.h"
#include "testsupport.h"
#include "updater/ipv4text.h"
#include "updater/mainform.h"

namespace {

using Kind = IPrompter::Kind;
using termsim::TUpdateAgentConfig;
using termsim::TUpdateAgentRunner;
using testsupport::Loopback;
using testsupport::TempDir;
using testsupport::WriteBytes;

const QStringList kInitialLog = {
    "V1.1 support 1M bytes bin file",
    "V1.2 load data if *.pak file is in bin path and has been checked",
    "v1.2.1 [KILL BUG]load *.pak file is fault if this is the first time to load.",
};

// A text written for 127.0.b.c, read for this test process's block.
QString Q(const char* text) {
    return QString::fromStdString(testnet::InBlock(text));
}

QStringList LogLines(const TMainForm& form) {
    return form.Memo2->toPlainText().split('\n');
}

QStringList Column(const TMainForm& form, int column) {
    QStringList texts;
    for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i)
        texts << form.ListView1->topLevelItem(i)->text(column);
    return texts;
}

std::string HandoffOf(const std::vector<std::uint32_t>& addresses) {
    std::string bytes;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        bytes += "2.75.86.0.0." + std::to_string(i + 1) + ";" + IpTextOf(addresses[i]) + ";Term " +
                 std::to_string(i + 1) + ";V2.5.0;127.0.0.1;SIP430\r\n";
    return bytes;
}

// A program folder with a hand-off file and an update file recalled from the last Start.
struct Home {
    TempDir dir;
    std::string updateFile;

    explicit Home(const std::string& handoff, std::size_t imageSize = 6000) {
        WriteBytes(dir / "~devlist.lst", handoff);
        updateFile = (dir / "fw.bin").string();
        auto header = testsupport::MakeHeader("V2.9.0", "SIP430");
        testsupport::WriteUpdateFile(updateFile, header, testsupport::MakeImage(imageSize, header));
        WriteBytes(dir / "updatefile.txt", updateFile + "\r\n");
    }
};

TEST(MainForm, StartUp) {
    Home home("1.1.1.1.1.1;10.1.2.3;\xB4\xF3\xC3\xC5;V2.6.0;eth0;SIP520\r\nm2;10.1.2.4;B\r\n");
    WriteBytes(home.dir / "R&D.pak", "pak");
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Vellup v1.2.1");
    EXPECT_EQ(Column(form, TMainForm::colIp), QStringList({"10.1.2.3", "10.1.2.4"}));
    EXPECT_EQ(Column(form, TMainForm::colName), QStringList({"大门", "B"}));
    EXPECT_EQ(Column(form, TMainForm::colVersion), QStringList({"V2.6.0", ""}));
    EXPECT_EQ(Column(form, TMainForm::colMac), QStringList({"1.1.1.1.1.1", "m2"}));
    EXPECT_EQ(Column(form, TMainForm::colType), QStringList({"SIP520", ""}));
    EXPECT_EQ(Column(form, TMainForm::colProcess), QStringList({"", ""}));
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_TRUE(form.RowChecked(0) && form.RowChecked(1));
    EXPECT_EQ(form.Edit1->text().toStdString(), home.updateFile);
    EXPECT_EQ(form.edtVersion->text(), "V2.9.0");
    EXPECT_EQ(form.edtDeviceType->text(), "SIP430");
    EXPECT_EQ(form.edtDateTime->text(), "2026-03-01 12:00");
    EXPECT_EQ(form.Memo1->toPlainText(), "First line\nSecond line");
    EXPECT_FALSE(form.CheckBox2->isHidden());
    EXPECT_EQ(form.CheckBox2->text(), "R&&D.pak");  // "&&" shows "&", no mnemonic
    EXPECT_EQ(LogLines(form), kInitialLog + QStringList{"AgentPort = 65276"});
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(form.SpinEdit1->value(), 20);

    // Select All gives every row its state; a single row does not change the box.
    form.CheckBox1->click();
    EXPECT_FALSE(form.RowChecked(0) || form.RowChecked(1));
    form.ListView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_FALSE(form.CheckBox1->isChecked());
}

// A screen reader names every control the keyboard reaches; the labels' mnemonics reach the boxes,
// and no two controls share a mnemonic.
TEST(MainForm, EveryReachableControlHasANameAndAMnemonic) {
    Home home("1.1.1.1.1.1;10.1.2.3;n;V2.6.0;eth0;SIP520\r\n");
    WriteBytes(home.dir / "voice.pak", "pak");  // its box shows
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    EXPECT_EQ(UnnamedControls(&form), "");
    EXPECT_EQ(MnemonicProblems(&form), "");
    EXPECT_EQ(SpokenName(form.Edit1), "UpdateFile");
    EXPECT_EQ(SpokenName(form.SpinEdit1), "Threads");
}

TEST(MainForm, StartUpWithoutFiles) {
    struct Case {
        const char* name;
        bool handoff, recall, recalledExists;
        std::size_t recalledSize;
        QStringList messages;
        int rows;
        bool agentPortLine;
    } cases[] = {
        {"no hand-off file", false, true, true, 9000, {"Cannot open file"}, 0, false},
        {"no recall file", true, false, false, 0, {}, 1, true},
        {"recalled file gone", true, true, false, 0, {}, 1, true},
        {"recalled file too short", true, true, true, 1132, {"Update file is error."}, 1, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.handoff) WriteBytes(dir / "~devlist.lst", "m;10.0.0.1;n;v;i;t\r\n");
        std::string file = (dir / "fw.bin").string();
        if (c.recall) WriteBytes(dir / "updatefile.txt", file + "\r\n");
        if (c.recalledExists) WriteBytes(file, "B32" + std::string(c.recalledSize - 3, 'x'));
        TScriptedPrompter prompter;
        TMainForm form(dir.Path(), prompter);
        form.show();
        ASSERT_EQ(prompter.messages.size(), std::size_t(c.messages.size())) << c.name;
        for (int i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(prompter.messages[i].kind, Kind::Error) << c.name;
            EXPECT_TRUE(prompter.messages[i].text.startsWith(c.messages[i])) << c.name;
        }
        EXPECT_EQ(form.ListView1->topLevelItemCount(), c.rows) << c.name;
        EXPECT_EQ(form.Edit1->text().isEmpty(), !c.recall || !c.handoff) << c.name;
        EXPECT_TRUE(form.edtVersion->text().isEmpty()) << c.name;
        EXPECT_TRUE(form.CheckBox2->isHidden()) << c.name;
        EXPECT_EQ(LogLines(form).contains("AgentPort = 65276"), c.agentPortLine) << c.name;
    }
}

TEST(MainForm, PlaceAndColumnWidthsComeBackAfterARestart) {
    QTemporaryDir settings;  // stands in for the user's settings folder
    ASSERT_TRUE(settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    TUserLayoutStore store("Tarnix", "Vellup");
    Home home("m1;10.1.2.3;A\r\n");
    TScriptedPrompter prompter;
    QPoint place;
    {
        TMainForm form(home.dir.Path(), prompter, {}, &store);
        form.show();
        EXPECT_EQ(form.ListView1->columnWidth(TMainForm::colIp), 100);  // nothing kept yet
        place = form.pos() + QPoint(-7, 5);
        form.move(place);
        form.ListView1->setColumnWidth(TMainForm::colIp, 163);
        ASSERT_TRUE(form.close());
    }
    TMainForm form(home.dir.Path(), prompter, {}, &store);
    form.show();
    EXPECT_EQ(form.pos(), place);
    EXPECT_EQ(form.size(), QSize(1080, 640));
    EXPECT_EQ(form.ListView1->columnWidth(TMainForm::colIp), 163);
    EXPECT_EQ(form.ListView1->columnWidth(TMainForm::colName), 100);
    EXPECT_TRUE(QFileInfo::exists(settings.filePath("Tarnix/Vellup.conf")));
}

TEST(MainForm, RecalledFolderIsNoUpdateFile) {
    TempDir dir;
    WriteBytes(dir / "~devlist.lst", "m;10.0.0.1;n;v;i;t\r\n");
    std::filesystem::create_directory(dir / "fw.bin");
    WriteBytes(dir / "updatefile.txt", (dir / "fw.bin").string() + "\r\n");
    TScriptedPrompter prompter;
    TMainForm form(dir.Path(), prompter);
    form.show();
    EXPECT_TRUE(prompter.messages.empty()) << "a folder is skipped like a missing file";
    EXPECT_EQ(form.Edit1->text().toStdString(), (dir / "fw.bin").string());
    EXPECT_TRUE(form.edtVersion->text().isEmpty());
}

// The dialogs' captions, prompts, initial texts, folders and filters.
class TRecordingPrompter : public TScriptedPrompter {
  public:
    struct Asked {
        QString title, label, initial;
    };
    std::vector<Asked> asked;
    QStringList folders, filters;

    bool AskText(QWidget* parent, const QString& title, const QString& label, QString* text,
                 bool password) override {
        asked.push_back({title, label, *text});
        return TScriptedPrompter::AskText(parent, title, label, text, password);
    }
    QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override {
        folders << folder;
        filters << filter;
        return TScriptedPrompter::OpenFileName(parent, title, folder, filter);
    }
};

TEST(MainForm, PasswordAndFileDialogs) {
    Home home("m;10.0.0.1;n;v;i;t\r\n");
    TRecordingPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    form.CheckBox1->click();  // no row checked: the batch stops after the password
    form.Button2->click();    // the dialog is cancelled: empty password, the batch goes on
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].title, "please input password");
    EXPECT_EQ(prompter.asked[0].label, "");
    EXPECT_EQ(prompter.asked[0].initial, "");
    EXPECT_EQ(prompter.MessageTexts(), QStringList{"No device selected"});

    // Browse opens in the folder of the current update file, if that file exists.
    form.BitBtn1->click();
    form.Edit1->setText(QString::fromStdString((home.dir / "gone.bin").string()));
    form.BitBtn1->click();
    form.Edit1->setText(QString::fromStdString(home.dir.Path().string()));
    form.BitBtn1->click();
    EXPECT_EQ(prompter.folders,
              QStringList({QString::fromStdString(home.dir.Path().string()), "", ""}));
    for (const QString& filter : prompter.filters)
        EXPECT_EQ(filter, "bin文件 (*.bin)");
}

TEST(MainForm, ThreadsTextThatIsNotAWholeNumberMeansNoLimit) {
    Home home("m;10.0.0.1;n;v;i;t\r\n");
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    auto* text = form.SpinEdit1->findChild<QLineEdit*>();
    ASSERT_TRUE(text);
    struct Case {
        QString typed;
        int limit;
    } cases[] = {{"", 0}, {"-", 0}, {"+", 0}, {"7", 7}, {"0", 0}, {"-3", -3}, {"20", 20}};
    for (const Case& c : cases) {
        form.SpinEdit1->setValue(20);
        text->setText(c.typed);
        EXPECT_EQ(form.ThreadsLimit(), c.limit) << c.typed.toStdString() << " while typed";
        form.SpinEdit1->interpretText();  // as when the box loses the focus
        EXPECT_EQ(form.SpinEdit1->value(), c.limit) << c.typed.toStdString();
        EXPECT_EQ(form.ThreadsLimit(), c.limit) << c.typed.toStdString();
    }
}

TEST(MainForm, Browse) {
    Home home("m;10.0.0.1;n;v;i;t\r\n");
    TempDir other;
    std::string shortFile = (other / "short.bin").string();
    WriteBytes(shortFile, std::string(1000, 'B'));
    std::string good = (other / "good.bin").string();
    auto header = testsupport::MakeHeader("V4.0.0", "SIP650");
    testsupport::WriteUpdateFile(good, header, {});
    WriteBytes(home.dir / "a.pak", "1");

    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    ASSERT_FALSE(form.CheckBox2->isHidden());
    form.CheckBox2->setChecked(true);

    prompter.fileNames = {QString::fromStdString(shortFile), QString::fromStdString(good), ""};
    form.BitBtn1->click();
    EXPECT_EQ(prompter.MessageTexts(), QStringList{"升级文件错误"});
    EXPECT_EQ(form.edtVersion->text(), "V2.9.0") << "the header boxes keep their contents";
    EXPECT_TRUE(form.CheckBox2->isHidden()) << "no pak file next to the chosen file";
    EXPECT_FALSE(form.CheckBox2->isChecked());
    form.BitBtn1->click();
    EXPECT_EQ(form.Edit1->text().toStdString(), good);
    EXPECT_EQ(form.edtVersion->text(), "V4.0.0");
    EXPECT_EQ(form.edtDeviceType->text(), "SIP650");
    form.BitBtn1->click();  // cancelled
    EXPECT_EQ(form.Edit1->text().toStdString(), good);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST(MainForm, StartStopsWithAMessage) {
    struct Case {
        const char* name;
        std::string fileBytes;  // empty: the file does not exist
        Kind kind;
        QString text;
    } cases[] = {
        {"missing file", "", Kind::Error, "update file is not exist."},
        {"BIN file", "BIN" + std::string(5000, 0), Kind::Error,
         "Source file format is error,input bin file only."},
        {"too long", "B32" + std::string(4096 + 1048576 - 2, 0), Kind::Information,
         "File is too long,update is interrupted."},
    };
    for (const Case& c : cases) {
        Home home("m;10.0.0.1;n;v;i;t\r\n");
        std::filesystem::remove(home.updateFile);
        if (!c.fileBytes.empty()) WriteBytes(home.updateFile, c.fileBytes);
        TScriptedPrompter prompter;
        TMainForm form(home.dir.Path(), prompter);
        form.show();
        prompter.messages.clear();
        form.Button2->click();
        ASSERT_EQ(prompter.messages.size(), 1u) << c.name;
        EXPECT_EQ(prompter.messages[0].kind, c.kind) << c.name;
        EXPECT_EQ(prompter.messages[0].text, c.text) << c.name;
        EXPECT_TRUE(form.Button2->isEnabled()) << c.name;
        EXPECT_EQ(form.RowChecked(0), true) << c.name;
    }
}

TEST(MainForm, NoCheckedRowAsksForThePasswordFirst) {
    Home home("m;10.0.0.1;n;v;i;t\r\n");
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter);
    form.show();
    form.CheckBox1->click();
    prompter.texts = {QString(17, 'p'), "ok"};  // too long, refused; then accepted
    form.Button2->click();
    EXPECT_TRUE(prompter.texts.empty());
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].kind, Kind::Error);
    EXPECT_TRUE(prompter.messages[0].text.contains("16 characters"));
    EXPECT_EQ(prompter.messages[1].kind, Kind::Warning);
    EXPECT_EQ(prompter.messages[1].text, "No device selected");
    EXPECT_TRUE(form.Button2->isEnabled());
}

// Replies are awaited for seconds, so a loaded machine never turns a slow reply into a lost one;
// the reset pause outlasts the terminals' restart, so no search waits in vain.
constexpr TProtocolTimes kTimes{3000, 300, 20};

struct Fleet {
    TUpdateAgentRunner runner;
    std::vector<std::uint32_t> addresses;

    Fleet(unsigned first, int count, std::function<void(int, TUpdateAgentConfig&)> tweak = {}) {
        for (int i = 0; i < count; ++i) {
            TUpdateAgentConfig config;
            config.password = "pw";
            config.deviceType = "SIP430";
            config.version = "V2.5.0";
            config.restartTime = std::chrono::milliseconds(100);
            if (tweak) tweak(i, config);
            addresses.push_back(Loopback(32, first + unsigned(i)));
            runner.Add(addresses.back(), 65276, config);
        }
        std::string error;
        // Thrown, so that the test stops at once rather than running against no terminals.
        if (!runner.Start(&error)) throw std::runtime_error("simulated terminals: " + error);
    }
};

bool WaitForBatchEnd(TMainForm& form) {
    return QTest::qWaitFor([&] { return form.Button2->isEnabled(); }, 60000);
}

TEST(MainForm, TwoThreadsFiveTerminals) {
    Fleet fleet(1, 5);
    Home home(HandoffOf(fleet.addresses), 40000);
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter, kTimes);
    form.show();
    form.SpinEdit1->setValue(2);
    prompter.texts = {"pw"};
    form.Button2->click();
    EXPECT_FALSE(form.Button2->isEnabled());
    ASSERT_TRUE(WaitForBatchEnd(form));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(Column(form, TMainForm::colProcess), QStringList(5, "OK"));
    EXPECT_EQ(Column(form, TMainForm::colVersion), QStringList(5, "V2.9.0"));
    QStringList log = LogLines(form);
    EXPECT_EQ(log.mid(0, 4), kInitialLog + QStringList{"AgentPort = 65276"});
    EXPECT_EQ(log.size(), 4 + 5 + 1);
    EXPECT_EQ(log.back(), "All update process has finished");
    for (std::uint32_t address : fleet.addresses)
        EXPECT_TRUE(log.contains(QString::fromStdString(IpTextOf(address)) +
                                 " update process is sucessful"));
    // Never more than two terminals between start and reset: terminals 3, 4 and 5 were heard
    // from only after the first, second and third reset.
    std::vector<std::chrono::steady_clock::time_point> resets, firsts;
    for (int i = 0; i < 5; ++i) {
        resets.push_back(fleet.runner.TimelineOf(i).reset);
        firsts.push_back(fleet.runner.TimelineOf(i).firstDatagram);
    }
    std::vector<std::chrono::steady_clock::time_point> sortedResets(resets.begin(), resets.end());
    std::sort(sortedResets.begin(), sortedResets.end());
    for (int i = 2; i < 5; ++i)
        EXPECT_GT(firsts[i], sortedResets[i - 2]) << "terminal " << i + 1;
    // (The exact successor order is the scheduler tests' business; thread start-up times would
    // blur it here.)
}

TEST(MainForm, OneThreadAndAFailedLoginStillUpdatesTheOthers) {
    Fleet fleet(20, 3, [](int i, TUpdateAgentConfig& c) {
        if (i == 0) c.password = "other";
        c.keepData = true;
    });
    Home home(HandoffOf(fleet.addresses));
    WriteBytes(home.dir / "R&D.pak", "pak bytes");  // sent by its name, not the box's caption
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter, kTimes);
    form.show();
    form.CheckBox2->setChecked(true);
    form.SpinEdit1->setValue(1);
    prompter.texts = {"pw"};
    form.Button2->click();
    ASSERT_TRUE(WaitForBatchEnd(form));
    EXPECT_EQ(Column(form, TMainForm::colProcess), QStringList({"FAULT", "OK", "OK"}));
    QStringList log = LogLines(form);
    EXPECT_EQ(log.mid(log.size() - 4),
              QStringList({Q("127.0.32.20 update process is break off. (Login is faulst)"),
                           Q("127.0.32.21 update process is sucessful"),
                           Q("127.0.32.22 update process is sucessful"),
                           "All update process has finished"}));
    fleet.runner.With(1, [](const termsim::TUpdateAgent& agent) {
        EXPECT_EQ(std::string(agent.Pak().begin(), agent.Pak().end()).substr(0, 9), "pak bytes");
    });
}

TEST(MainForm, NoLimitStartsEveryCheckedRowAndSkipsBadRows) {
    // Terminals of another type end before their reset, so they never start a successor: with
    // no limit all of them are updated (and refused) anyway.
    Fleet fleet(40, 3, [](int, TUpdateAgentConfig& c) { c.deviceType = "SIP650"; });
    std::string handoff = HandoffOf(fleet.addresses) + "m;bad ip;x;v;i;t\r\n" + "m;" +
                          IpTextOf(fleet.addresses[0]) + ";again;v;i;t\r\n";
    Home home(handoff);
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter, kTimes);
    form.show();
    form.SpinEdit1->setValue(0);
    prompter.texts = {"pw"};
    form.Button2->click();
    ASSERT_TRUE(WaitForBatchEnd(form));
    EXPECT_EQ(Column(form, TMainForm::colProcess),
              QStringList({"FAULT", "FAULT", "FAULT", "Invalid IP", "Duplicate IP"}));
    QStringList log = LogLines(form);
    EXPECT_TRUE(log.contains("bad ip is not a valid IP address, not updated."));
    EXPECT_TRUE(
        log.contains(Q("127.0.32.42 update process is break off. (This update package is "
                       "not suitable for the target device)")));
    EXPECT_EQ(log.back(), "All update process has finished");
}

}  // namespace

namespace {

// A report row by its IP text; fields split at commas (the test's texts hold none).
std::map<std::string, QStringList> ReportByIp(const std::string& file) {
    std::map<std::string, QStringList> rows;
    const QStringList lines = QString::fromStdString(testsupport::ReadBytes(file)).split("\r\n");
    for (const QString& line : lines.mid(1))
        if (!line.isEmpty()) rows[line.section(',', 0, 0).toStdString()] = line.split(',');
    return rows;
}

TEST(MainForm, NeverStartedRowReportAndRetryFailed) {
    Fleet fleet(60, 3, [](int i, TUpdateAgentConfig& c) {
        if (i == 0) c.refuseLogins = 1;
    });
    Home home(HandoffOf(fleet.addresses));
    TScriptedPrompter prompter;
    TMainForm form(home.dir.Path(), prompter, kTimes);
    form.show();
    auto* retry = form.findChild<QPushButton*>("btnRetryFailed");
    auto* save = form.findChild<QPushButton*>("btnSaveReport");
    ASSERT_TRUE(retry && save);
    EXPECT_FALSE(retry->isEnabled() || save->isEnabled());
    form.SpinEdit1->setValue(1);
    prompter.texts = {"pw"};
    form.Button2->click();
    form.ListView1->topLevelItem(2)->setCheckState(0, Qt::Unchecked);  // before its turn
    ASSERT_TRUE(WaitForBatchEnd(form));
    EXPECT_EQ(Column(form, TMainForm::colProcess), QStringList({"FAULT", "OK", "Not started"}));
    EXPECT_TRUE(LogLines(form).contains(Q("127.0.32.62 was not started, not updated.")));
    EXPECT_TRUE(retry->isEnabled());
    ASSERT_TRUE(save->isEnabled());

    const std::string report = (home.dir / "report.csv").string();
    prompter.fileNames = {QString::fromStdString(report)};
    save->click();
    std::map<std::string, QStringList> rows = ReportByIp(report);
    ASSERT_EQ(rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const QStringList& row = rows[IpTextOf(fleet.addresses[i])];
        ASSERT_EQ(row.size(), 10) << i;
        fleet.runner.With(i, [&](const termsim::TUpdateAgent& a) {
            EXPECT_EQ(row[4].toStdString(), a.Stats().resets ? a.Version() : "") << i;
            EXPECT_EQ(row[6], a.Stats().resets ? "0" : i == 0 ? "3" : "") << i;
            EXPECT_EQ(row[8].isEmpty(), a.Stats().logins + a.Stats().refusedLogins == 0) << i;
        });
    }
    EXPECT_EQ(rows[testnet::InBlock("127.0.32.62")].mid(3, 5),
              QStringList({"V2.5.0", "", "Not started", "", "1"}));

    // Retry: only the failed rows run again, with the same job and password.
    retry->click();
    EXPECT_FALSE(retry->isEnabled() || save->isEnabled() || form.Button2->isEnabled());
    EXPECT_EQ(form.RowChecked(0) + 2 * form.RowChecked(1) + 4 * form.RowChecked(2), 1 + 4);
    ASSERT_TRUE(WaitForBatchEnd(form));
    EXPECT_EQ(Column(form, TMainForm::colProcess), QStringList(3, "OK"));
    EXPECT_FALSE(retry->isEnabled());
    QStringList log = LogLines(form);
    EXPECT_TRUE(log.contains("Round 2: retrying the failed terminals (2)"));
    EXPECT_TRUE(log.contains(Q("Round 2: 127.0.32.60 update process is sucessful")));
    EXPECT_EQ(log.back(), "Round 2: All update process has finished");
    EXPECT_TRUE(prompter.messages.empty());
    prompter.fileNames = {QString::fromStdString(report)};
    save->click();
    rows = ReportByIp(report);
    EXPECT_EQ(rows[testnet::InBlock("127.0.32.60")][7], "2");
    EXPECT_EQ(rows[testnet::InBlock("127.0.32.61")][7], "1");
}

}  // namespace
