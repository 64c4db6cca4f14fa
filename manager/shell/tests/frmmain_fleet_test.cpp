// The main window with the project's libkvsetup.so against an in-process fleet of simulated
// terminals on 127.N.13.x of the process's block.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <map>

#include "common/atomicfile.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "manager/access/kvlibrary.h"
#include "manager/access/localinterfaces.h"
#include "manager/plans/widgets/frmplanapply.h"
#include "manager/settings/testing/memorysettingsstore.h"
#include "manager/shell/frmmain.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace {

class FrmMainFleetTest : public ::testing::Test {
  protected:
    static constexpr int kCount = 6;

    // Each test has its own addresses, so that test processes can run side by side.
    void Start(std::uint32_t first, termsim::FleetOptions options) {
        options.count = kCount;
        options.firstAddress = first;
        options.oldFirmwareEvery = 3;  // terminals 3 and 6
        options.restartTime = std::chrono::milliseconds(200);
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet->Start(&error)) << error;
        setenv("KVSETUP_TARGETS", termsim::TargetsText(first, kCount).c_str(), 1);
        library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
        ASSERT_TRUE(library) << error;
        ReadLocalInterfaces();

        TFrmMainDeps deps;
        deps.access = library.get();
        deps.prompter = &prompter;
        store.result = {TStoreWrite::Unavailable, {}};
        deps.userStore = &store;
        deps.machineStore = &store;
        deps.programFolder = home.path();
        deps.programFile = QCoreApplication::applicationFilePath();
        deps.askLogin = [this]() -> std::optional<TLoginAnswer> {
            ++loginDialogs;
            return TLoginAnswer{"maint", "s3cret"};
        };
        window = std::make_unique<TFrmMain>(deps);
        QSignalSpy searched(window.get(), &TFrmMain::searchFinished);
        window->show();
        ASSERT_TRUE(searched.wait(30000));
    }

    std::size_t RowOfIp(const std::string& ip) const {
        for (std::size_t row = 0; row < window->List().RowCount(); ++row)
            if (window->List().Row(row).columns[kColIp] == ip) return row;
        ADD_FAILURE() << "no row for " << ip;
        return 0;
    }

    QTemporaryDir home;
    TScriptedPrompter prompter;
    TMemorySettingsStore store;
    std::unique_ptr<termsim::Fleet> fleet;
    std::unique_ptr<TKvLibrary> library;
    std::unique_ptr<TFrmMain> window;
    int loginDialogs = 0;
};

TEST_F(FrmMainFleetTest, SearchFillsTheListAndCommandsReachTheTerminals) {
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(13, 1), {}));
    ASSERT_EQ(window->List().RowCount(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(window->StatusPanel1->text(), QString::number(kCount));
    std::map<std::string, std::string> firmwareByIp;
    for (const TDeviceRow& row : window->List().Rows()) {
        EXPECT_EQ(row.state, "Online");
        EXPECT_EQ(row.columns[kColLocation], "LocalNetwork");
        EXPECT_NE(row.icon, kIconUnreachable);
        firmwareByIp[row.columns[kColIp]] = row.columns[kColFirmware];
    }
    EXPECT_EQ(firmwareByIp[testnet::InBlock("127.0.13.1")], "V2.6.0");
    EXPECT_EQ(firmwareByIp[testnet::InBlock("127.0.13.3")], "V2.4.1");

    // Properties of an old terminal are refused before anything is read.
    window->SelectRow(RowOfIp(testnet::InBlock("127.0.13.3")));
    window->PDevProperty->trigger();
    EXPECT_EQ(prompter.MessageTexts(),
              QStringList{QStringLiteral("本程序不支持设备的版本低于V2.5")});
    EXPECT_EQ(fleet->Stats(2).reads, 0u);

    // A current terminal's block opens the property editor; a new display name and address saved
    // there are written to the terminal, which moves, and shown in the row.
    prompter.messages.clear();
    window->SelectRow(RowOfIp(testnet::InBlock("127.0.13.1")));
    QTimer editorWatch;
    QObject::connect(&editorWatch, &QTimer::timeout, [&] {
        QWidget* editor = QApplication::activeModalWidget();
        if (editor == nullptr || editor->objectName() != "FrmProperty") return;
        editorWatch.stop();
        editor->findChild<QLineEdit*>("edtAccountBase_DisplayName")->setText("Lobby");
        editor->findChild<QRadioButton*>("rdBtnBaseNetwork_DhcpDisable")->setChecked(true);
        editor->findChild<QLineEdit*>("EdtBaseNet_IP")
            ->setText(QString::fromStdString(testnet::InBlock("127.0.13.200")));
        QTest::mouseClick(editor->findChild<QPushButton*>("btnSave"), Qt::LeftButton);
    });
    editorWatch.start(20);
    window->PDevProperty->trigger();
    EXPECT_FALSE(editorWatch.isActive()) << "the editor did not open";
    EXPECT_TRUE(prompter.messages.empty()) << prompter.MessageTexts().join("\n").toStdString();
    EXPECT_EQ(fleet->Stats(0).reads, 1u);
    EXPECT_EQ(fleet->Stats(0).writes, 1u);
    const TDeviceRow& moved = window->List().Row(RowOfIp(testnet::InBlock("127.0.13.200")));
    EXPECT_EQ(moved.columns[kColDisplayName], "Lobby");
    EXPECT_EQ(termsim::AddressText(fleet->State(0).address), testnet::InBlock("127.0.13.200"));

    // Reset: one login, one reset, "复位成功".
    window->SelectRow(RowOfIp(testnet::InBlock("127.0.13.2")));
    window->PDevReset->trigger();
    EXPECT_EQ(prompter.MessageTexts(), QStringList{QStringLiteral("复位成功")});
    EXPECT_EQ(fleet->Stats(1).logins, 1u);
    EXPECT_EQ(fleet->Stats(1).resets, 1u);
    EXPECT_EQ(fleet->Stats(1).logouts, 0u);
    EXPECT_FALSE(window->Busy());
}

TEST_F(FrmMainFleetTest, LoginWithCredentialsFromTheDialog) {
    termsim::FleetOptions options;
    options.loginUser = "maint";
    options.loginPassword = "s3cret";
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(13, 17), options));
    const TDeviceRow row = window->List().Row(RowOfIp(testnet::InBlock("127.0.13.20")));
    EXPECT_TRUE(window->Procs().LoginDevice(testnet::InBlock("127.0.13.20"),
                                            TextToMac(row.columns[kColMac])));
    EXPECT_EQ(loginDialogs, 1);
    EXPECT_TRUE(prompter.messages.empty()) << prompter.MessageTexts().join("\n").toStdString();
    window->Procs().LogoutDevice(testnet::InBlock("127.0.13.20"), TextToMac(row.columns[kColMac]));
    EXPECT_GE(fleet->Stats(3).logouts, 1u);
}

TEST_F(FrmMainFleetTest, SettingsPlanFromTheToolsMenuUpdatesTheWrittenRows) {
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(9, 1), {}));
    const std::string mac =
        window->List().Row(RowOfIp(testnet::InBlock("127.0.9.2"))).columns[kColMac];
    const QString plan = home.filePath("plan.csv");
    ASSERT_TRUE(WriteFileAtomically(plan.toStdString(),
                                    "mac,sip.user,display_name\n" + mac + ",7002,Lobby\n"));
    prompter.fileNames = {plan};
    bool applied = false;
    auto drive = [&](TFrmPlanApply* dialog) {
        ASSERT_TRUE(dialog);
        QSignalSpy previewed(dialog, &TFrmPlanApply::previewFinished);
        dialog->findChild<QPushButton*>("btnOpenPlan")->click();
        ASSERT_TRUE(previewed.wait(30000));
        QSignalSpy written(dialog, &TFrmPlanApply::applyFinished);
        dialog->findChild<QPushButton*>("btnApply")->click();
        applied = written.wait(30000);
    };
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TFrmPlanApply*>(QApplication::activeModalWidget());
        drive(dialog);
        if (dialog) dialog->findChild<QPushButton*>("btnClose")->click();
    });
    window->NApplyPlan->trigger();
    ASSERT_TRUE(applied);
    const TDeviceRow& row = window->List().Row(RowOfIp(testnet::InBlock("127.0.9.2")));
    EXPECT_EQ(row.columns[kColAccount], "7002");
    EXPECT_EQ(row.columns[kColDisplayName], "Lobby");
    EXPECT_EQ(row.icon, kIconLocalComplete);
    EXPECT_FALSE(window->Busy());
}

}  // namespace
