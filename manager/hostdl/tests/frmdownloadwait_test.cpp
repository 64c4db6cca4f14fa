// The progress dialog and the job runner: captions, parts, results, the close box, Esc, and jobs
// against a simulated terminal with the protocol's real waits.
#include "manager/hostdl/widgets/frmdownloadwait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "common/translation.h"
#include "common/widgets/formtranslation.h"
#include "common/xmlobj.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "manager/hostdl/widgets/downloadrunner.h"
#include "tests/shippedlanguage.h"
#include "tests/testnet.h"

namespace {

using namespace std::chrono_literals;

QPushButton* StopButton(QWidget* dialog) {
    return dialog->findChild<QPushButton*>("BtnDownloadStop");
}
QLabel* CurInfo(QWidget* dialog) {
    return dialog->findChild<QLabel*>("lblCurInfo");
}
QProgressBar* Bar(QWidget* dialog) {
    return dialog->findChild<QProgressBar*>("ProgressBar");
}

TEST(FrmDownloadWait, CaptionsPartsAndTheCloseBox) {
    TFrmDownloadWait dialog;
    EXPECT_EQ(dialog.findChild<QLabel*>("lblCurInfoTitle")->text(),
              QStringLiteral("当前下载信息："));
    EXPECT_EQ(dialog.findChild<QLabel*>("lblProgressTitle")->text(),
              QStringLiteral("总      进      度："));
    EXPECT_EQ(StopButton(&dialog)->text(), QStringLiteral("停止下载(&S)"));
    dialog.SetTotal(10);
    dialog.SetCompleted(1);
    dialog.ShowProgress("erasing", 2);
    dialog.ShowProgress("failed", 0);
    EXPECT_EQ(Bar(&dialog)->value(), 3);
    EXPECT_EQ(CurInfo(&dialog)->text(), "failed");
    dialog.show();
    EXPECT_FALSE(dialog.close());  // waiting for the job
    dialog.JobStarted();
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());
}

TEST(FrmDownloadWait, EscStopsARunningJobAndTheDialogEndsWithIt) {
    TFrmDownloadWait dialog;
    QSignalSpy stops(&dialog, &TFrmDownloadWait::StopPressed);
    dialog.show();
    dialog.JobStarted();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(stops.count(), 1);
    EXPECT_TRUE(dialog.isVisible());  // until the job has returned
    EXPECT_FALSE(StopButton(&dialog)->isEnabled());
    dialog.JobEnded();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(FrmDownloadWait, JobResults) {
    const struct {
        bool success;
        QColor color;
        int bar;
        QString caption;
        int result;
    } cases[] = {
        {true, Qt::blue, 20, QStringLiteral("确  定(&O)"), QDialog::Accepted},
        {false, Qt::red, 5, QStringLiteral("关  闭(&C)"), QDialog::Rejected},
    };
    for (const auto& c : cases) {
        TFrmDownloadWait dialog;
        QSignalSpy stops(&dialog, &TFrmDownloadWait::StopPressed);
        dialog.SetTotal(20);
        dialog.SetCompleted(5);
        dialog.show();
        dialog.JobStarted();
        dialog.ShowJobResult(c.success, "result");
        dialog.JobEnded();
        EXPECT_EQ(CurInfo(&dialog)->palette().color(QPalette::WindowText), c.color);
        EXPECT_EQ(Bar(&dialog)->value(), c.bar);
        EXPECT_EQ(StopButton(&dialog)->text(), c.caption);
        QTest::keyClick(&dialog, Qt::Key_Escape);  // presses the button, now OK or close
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_EQ(stops.count(), 0);
    }
}

TEST(FrmDownloadWait, ShippedLanguageFileTranslatesDialogAndTexts) {
    TShippedLanguage doc;
    ASSERT_TRUE(doc.Loaded());
    TFrmDownloadWait dialog;
    TranslateForm(&dialog);
    EXPECT_EQ(StopButton(&dialog)->text(), "&Stop download");
    EXPECT_EQ(dialog.windowTitle(), "Download");
    dialog.JobStarted();
    dialog.ShowJobResult(false, QString::fromStdString(DownloadText({2})));
    EXPECT_EQ(StopButton(&dialog)->text(), "&Close");
    EXPECT_EQ(CurInfo(&dialog)->text(), "Download failed");
    EXPECT_EQ(DownloadText({31, 48}), "Writing the group-device table, entries written: 48...");
    for (int k : {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                  14, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}) {
        SetLanguage(doc, lang::kEnglish);
        EXPECT_NE(DownloadText({k}), DownloadDefaultText(k)) << k;
        SetLanguage(doc, lang::kChineseSimplified);
        EXPECT_EQ(DownloadText({k}), DownloadDefaultText(k)) << k;
    }
}

// One simulated SIP520 terminal per test, on an address range of its own.
class DownloadRunnerTest : public ::testing::Test {
  protected:
    void Start(std::uint32_t address, termsim::THostFaults faults = {}) {
        std::string error;
        ASSERT_TRUE(hosts.Start(address, 1, {"SIP520"}, &error)) << error;
        store->SetFaults(0, std::move(faults));
        target = termsim::AddressText(address);
    }
    // Calls act(dialog) every 20 ms while a download dialog is open, until it returns true.
    void WhileOpen(std::function<bool(QWidget*)> act) {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog && dialog->objectName() == "FrmDownloadWait" && act(dialog))
                poll->deleteLater();
        });
        poll->start(20);
    }

    THostFleet hosts;
    std::shared_ptr<termsim::THostTableStore> store = hosts.store;
    std::string target;
};

TEST_F(DownloadRunnerTest, ContactJobWithTheRealWaitsLeavesTheWindowResponsive) {
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(1, 1)));
    const TDownloadEntries entries =
        BuildContactEntries(std::vector<TContactRow>{{"8001", "Lobby", "Floor1"}});
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    QString finalText;
    QColor finalColor;
    int finalBar = -1;
    WhileOpen([&](QWidget* dialog) {
        if (StopButton(dialog)->text() != QStringLiteral("确  定(&O)")) return false;
        finalText = CurInfo(dialog)->text();
        finalColor = CurInfo(dialog)->palette().color(QPalette::WindowText);
        finalBar = Bar(dialog)->value();
        StopButton(dialog)->click();
        return true;
    });
    EXPECT_TRUE(RunDownloadDialog(nullptr, EDownloadKind::Contacts, target, entries));
    EXPECT_EQ(finalText, QStringLiteral("下载成功"));
    EXPECT_EQ(finalColor, QColor(Qt::blue));
    EXPECT_EQ(finalBar, DownloadProgressTotal(EDownloadKind::Contacts, entries));
    // Six steps of 1000 or 500 ms after the one-second start: the window kept serving its timers.
    EXPECT_GE(ticks, 20);
    const auto t = store->Terminal(0);
    EXPECT_EQ(t.Table(EHostTable::Device), entries.devices);
    EXPECT_EQ(t.Table(EHostTable::Group), entries.groups);
    EXPECT_EQ(t.Table(EHostTable::GroupDevice), entries.groupDevices);
}

TEST_F(DownloadRunnerTest, StopBeforeTheStartSendsNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(2, 1)));
    TDownloadEntries entries;
    entries.zones = {ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000)};
    WhileOpen([](QWidget* dialog) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        return true;
    });
    EXPECT_FALSE(RunDownloadDialog(nullptr, EDownloadKind::Zones, target, entries));
    EXPECT_EQ(store->Terminal(0).datagrams, 0);
}

TEST_F(DownloadRunnerTest, StopDuringTheEraseEndsTheJob) {
    termsim::THostFaults silent;
    silent.silent = true;
    ASSERT_NO_FATAL_FAILURE(Start(testnet::Address(3, 1), silent));
    TDownloadEntries entries;
    entries.devices = {DeviceEntry("8001", "Lobby")};
    WhileOpen([](QWidget* dialog) {
        if (CurInfo(dialog)->text() != QStringLiteral("正在擦除设备表，请稍等。。。")) return false;
        StopButton(dialog)->click();
        return true;
    });
    EXPECT_FALSE(RunDownloadDialog(nullptr, EDownloadKind::Contacts, target, entries));
    // The job may end before the terminal has taken in the erase.
    ASSERT_TRUE(hosts.AwaitHandled(0, 1));
    const auto t = store->Terminal(0);
    ASSERT_EQ(t.requests.size(), 1u);  // the erase gave up at once, no second send
    EXPECT_EQ(t.requests[0].code, "BKER");
}

}  // namespace
