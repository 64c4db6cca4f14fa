// The plan window offscreen with the project's libkvsetup.so against simulated terminals on
// 127.N.5.x: the preview rows before anything is written, and a stop during the first terminal.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>

#include "common/atomicfile.h"
#include "common/translation.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/xmlobj.h"
#include "manager/access/kvlibrary.h"
#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/plans/widgets/frmplanapply.h"
#include "termsim/fleet.h"
#include "tests/shippedlanguage.h"
#include "tests/testnet.h"

namespace {

// The library, with a hook before each block write (called on the worker thread).
class THookedAccess : public IDeviceAccess {
  public:
    explicit THookedAccess(IDeviceAccess& inner) : inner_(inner) {}
    std::function<void()> beforeWrite;

    std::int32_t SearchAll(TDeviceRecord* r, std::int32_t* n) override {
        return inner_.SearchAll(r, n);
    }
    std::int32_t SearchOne(const std::string& ip, TDeviceRecord* r) override {
        return inner_.SearchOne(ip, r);
    }
    std::int32_t Login(const std::string& ip, const TMacBytes& m, TDeviceCredentials* c) override {
        return inner_.Login(ip, m, c);
    }
    std::int32_t Logout(const std::string& ip, const TMacBytes& m, TDeviceCredentials* c) override {
        return inner_.Logout(ip, m, c);
    }
    std::int32_t Reset(const std::string& ip, const TMacBytes& m, TDeviceCredentials* c) override {
        return inner_.Reset(ip, m, c);
    }
    std::int32_t ReadSetting(const std::string& ip, const TMacBytes& m, std::uint8_t* b,
                             TDeviceCredentials* c) override {
        return inner_.ReadSetting(ip, m, b, c);
    }
    std::int32_t WriteSetting(const std::string& ip, const TMacBytes& m, std::uint8_t* b,
                              std::int32_t n, TDeviceCredentials* c) override {
        if (beforeWrite) beforeWrite();
        return inner_.WriteSetting(ip, m, b, n, c);
    }

  private:
    IDeviceAccess& inner_;
};

QStringList Texts(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int c = 0; c < item->columnCount(); ++c)
        texts << item->text(c);
    return texts;
}

TEST(FrmPlanApplyTest, PreviewThenApplyStoppedAfterTheCurrentTerminal) {
    termsim::FleetOptions options;
    options.count = 3;
    options.firstAddress = testnet::Address(5, 1);
    options.models = {"SIP1601"};
    options.loginUser = "admin";
    options.loginPassword = "50738264";
    termsim::Fleet fleet(options);
    std::string error;
    ASSERT_TRUE(fleet.Start(&error)) << error;
    ::setenv("KVSETUP_TARGETS", termsim::TargetsText(options.firstAddress, 3).c_str(), 1);
    std::unique_ptr<TKvLibrary> library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
    ASSERT_TRUE(library) << error;
    THookedAccess access(*library);

    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.csv"), good = dir.filePath("plan.csv"),
                  report = dir.filePath("report.csv");
    ASSERT_TRUE(WriteFileAtomically(bad.toStdString(), "mac,nosuch\n"));
    ASSERT_TRUE(WriteFileAtomically(good.toStdString(),
                                    "mac,display_name\n"
                                    "02:4B:56:00:00:01,Site 1\n"
                                    "02:4B:56:00:00:02,Site 2\n"
                                    "02:4B:56:00:00:03,Terminal 3\n"));
    TScriptedPrompter prompter;
    prompter.fileNames = {bad, good, dir.filePath("none/report.csv"), report};
    int loginDialogs = 0;
    TFrmPlanApply window(
        access, prompter,
        [&] {
            ++loginDialogs;
            return std::optional<TLoginCredentials>(TLoginCredentials{"admin", "50738264"});
        },
        dir.path());
    window.show();
    auto* lvPreview = window.findChild<QTreeWidget*>("lvPreview");
    auto* lvResults = window.findChild<QTreeWidget*>("lvResults");
    auto* btnOpenPlan = window.findChild<QPushButton*>("btnOpenPlan");
    auto* btnApply = window.findChild<QPushButton*>("btnApply");
    auto* btnStop = window.findChild<QPushButton*>("btnStop");
    auto* btnSaveReport = window.findChild<QPushButton*>("btnSaveReport");
    ASSERT_TRUE(lvPreview && lvResults && btnOpenPlan && btnApply && btnStop && btnSaveReport);
    EXPECT_FALSE(btnApply->isEnabled());

    // A refused plan: the message names line and column; nothing is previewed.
    btnOpenPlan->click();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              QStringLiteral("设置计划有误，未应用任何设置：\nline 1, column 2: unknown column "
                             "\"nosuch\" (see: pelmora-cli params fields)"));
    EXPECT_EQ(lvResults->topLevelItemCount(), 0);

    QSignalSpy previewed(&window, &TFrmPlanApply::previewFinished);
    btnOpenPlan->click();
    ASSERT_TRUE(previewed.wait(30000));
    ASSERT_EQ(lvPreview->topLevelItemCount(), 2);
    EXPECT_EQ(Texts(lvPreview->topLevelItem(0)),
              (QStringList{"02:4B:56:00:00:01", "display_name", "Terminal 1", "Site 1"}));
    EXPECT_EQ(Texts(lvPreview->topLevelItem(1)),
              (QStringList{"02:4B:56:00:00:02", "display_name", "Terminal 2", "Site 2"}));
    ASSERT_EQ(lvResults->topLevelItemCount(), 3);
    EXPECT_EQ(lvResults->topLevelItem(0)->text(3), QStringLiteral("将修改"));
    EXPECT_EQ(lvResults->topLevelItem(2)->text(3), QStringLiteral("无需修改"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fleet.Stats(i).writes + fleet.Stats(i).logins, 0u) << i;

    // Stop is pressed while the first terminal is being written: that one ends, no other starts.
    access.beforeWrite = [&] {
        access.beforeWrite = nullptr;
        QMetaObject::invokeMethod(btnStop, &QPushButton::click, Qt::BlockingQueuedConnection);
    };
    QSignalSpy applied(&window, &TFrmPlanApply::applyFinished);
    ASSERT_TRUE(btnApply->isEnabled());
    btnApply->click();
    EXPECT_FALSE(btnOpenPlan->isEnabled());
    ASSERT_TRUE(applied.wait(30000));
    EXPECT_EQ(lvResults->topLevelItem(0)->text(3), QStringLiteral("已修改"));
    EXPECT_EQ(lvResults->topLevelItem(0)->text(5),
              QStringLiteral("display_name: Terminal 1 → Site 1"));
    EXPECT_EQ(lvResults->topLevelItem(1)->text(3), QStringLiteral("未应用"));
    EXPECT_EQ(lvResults->topLevelItem(2)->text(3), QStringLiteral("未应用"));
    EXPECT_EQ(fleet.Stats(0).writes, 1u);
    EXPECT_EQ(fleet.Stats(1).reads + fleet.Stats(1).writes, 1u);  // the preview's read only
    EXPECT_EQ(loginDialogs, 1);
    EXPECT_EQ(window.findChild<QProgressBar*>("prgApply")->value(), 3);
    ASSERT_EQ(window.AppliedResults().size(), 3u);
    EXPECT_TRUE(window.AppliedResults()[0].written.has_value());
    EXPECT_FALSE(btnApply->isEnabled());
    EXPECT_FALSE(btnStop->isEnabled());

    ASSERT_TRUE(btnSaveReport->isEnabled());
    btnSaveReport->click();  // into a folder that does not exist
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_TRUE(prompter.messages[1].text.startsWith(QStringLiteral("保存报告失败：")))
        << prompter.messages[1].text.toStdString();
    btnSaveReport->click();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(report.toStdString(), bytes));
    EXPECT_EQ(bytes,
              testnet::InBlock("\xEF\xBB\xBFLine,Terminal,MAC,Address,Result,Detail,Changes\r\n"
                               "2,02:4B:56:00:00:01,2.75.86.0.0.1,127.0.5.1,changed,,"
                               "display_name: Terminal 1 → Site 1\r\n"
                               "3,02:4B:56:00:00:02,,,not applied,,\r\n"
                               "4,02:4B:56:00:00:03,,,not applied,,\r\n"));
}

TEST(FrmPlanApplyTest, ShippedLanguageFileTranslatesTheWindow) {
    TShippedLanguage doc(lang::kChineseSimplified);
    ASSERT_TRUE(doc.Loaded());
    const struct {
        const char* name;
        const char* chinese;
        const char* english;
    } captions[] = {
        {"btnOpenPlan", "打开(&O)…", "&Open…"},
        {"btnApply", "应  用(&A)", "&Apply"},
        {"btnStop", "停  止(&T)", "S&top"},
        {"btnSaveReport", "保存报告(&P)…", "Save re&port…"},
        {"btnClose", "关  闭(&C)", "&Close"},
        {"lblPlanFile", "设置计划", "Settings plan"},
        {"lblPreview", "将要修改的参数", "Changes to be made"},
        {"lblResults", "各终端结果", "Result per terminal"},
    };
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.csv");
    ASSERT_TRUE(WriteFileAtomically(bad.toStdString(), "ip\n1.2.3\n"));
    ::testing::NiceMock<MockDeviceAccess> access;
    for (int language : {lang::kChineseSimplified, lang::kEnglish}) {
        const bool english = language == lang::kEnglish;
        SetLanguage(doc, language);
        TScriptedPrompter prompter;
        prompter.fileNames = {bad};
        TFrmPlanApply window(access, prompter, nullptr, dir.path());
        TranslateForm(&window, doc);
        EXPECT_EQ(window.windowTitle(), english ? "Apply settings plan" : "应用设置计划");
        for (const auto& c : captions) {
            const QString text = english ? c.english : c.chinese;
            if (auto* button = window.findChild<QPushButton*>(c.name))
                EXPECT_EQ(button->text(), text) << c.name;
            else
                EXPECT_EQ(window.findChild<QLabel*>(c.name)->text(), text) << c.name;
        }
        EXPECT_EQ(window.findChild<QTreeWidget*>("lvResults")->headerItem()->text(5),
                  english ? "Fields changed" : "修改的参数");
        window.findChild<QPushButton*>("btnOpenPlan")->click();
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].text,
                  QString(english ? "The settings plan has errors; nothing was applied:\n"
                                  : "设置计划有误，未应用任何设置：\n") +
                      "line 2, column 1: \"1.2.3\" is not an IPv4 address");
    }
}

}  // namespace
