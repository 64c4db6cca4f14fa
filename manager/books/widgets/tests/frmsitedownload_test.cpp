// The window that sends address books to several terminals, offscreen against simulated
// family-520 terminals on 127.N.3.x and 127.N.4.x of the process's block with shortened waits:
// the rows' texts and bars, what the terminals hold, Retry failed, Stop and the saved report.
#include "manager/books/widgets/frmsitedownload.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>

#include "common/atomicfile.h"
#include "common/csv.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "manager/access/kvlibrary.h"
#include "manager/books/listfile.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "tests/testnet.h"

namespace {

using namespace std::chrono_literals;

constexpr int kStep = 4;  // the step text column

class FrmSiteDownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ::setenv("KVSETUP_TARGETS", (testnet::Text(3, 1) + "-" + testnet::Text(4, 9)).c_str(), 1);
        // Every terminal that is there answers, however loaded the machine; where none is, the
        // library hears so at once.
        ::setenv("KVSETUP_ATTEMPT_MS", "5000", 1);
        std::string error;
        library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
        ASSERT_TRUE(library) << error;
        TListRows contacts, zones;
        AppendListRow(contacts, {"8001", "Lobby", "Floor1"});
        AppendListRow(zones, {"Hall", "239.1.1.1", "5000"});
        ASSERT_TRUE(SaveListFile(contacts, ListFilePath(Folder(), kDlContactsFile)));
        ASSERT_TRUE(SaveListFile(zones, ListFilePath(Folder(), kDlMulticastsFile)));
    }
    void TearDown() override { ::unsetenv("KVSETUP_ATTEMPT_MS"); }
    std::string Folder() const { return home.path().toStdString() + "/"; }

    std::unique_ptr<TFrmSiteDownload> Window(std::vector<TSiteCandidate> candidates) {
        THostTiming quick{20ms, 20ms, 300ms, 20ms};
        return std::make_unique<TFrmSiteDownload>(*library, prompter, home.path() + "/",
                                                  std::move(candidates), nullptr, quick);
    }
    // The terminal at 127.N.b.c.
    static TSiteCandidate ByAddress(unsigned b, unsigned c, const std::string& model = "SIP520",
                                    bool reachable = true) {
        const std::string ip = testnet::Text(b, c);
        return SiteCandidate("", "Room", ip, ip, "", model, reachable);
    }
    static QString Step(TFrmSiteDownload& w, int row) {
        return w.lvSiteTerminals->topLevelItem(row)->text(kStep);
    }

    QTemporaryDir home;
    std::unique_ptr<TKvLibrary> library;
    TScriptedPrompter prompter;
};

TEST_F(FrmSiteDownloadTest, SendsBothBooksRetriesTheFailedAndSavesTheReport) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(3, 1), 3, {"SIP520", "SIP525", "SIP1601"}, &error))
        << error;
    termsim::THostFaults refuse;
    refuse.refuseWrites = true;
    hosts.store->SetFaults(1, refuse);
    auto w = Window({ByAddress(3, 1), ByAddress(3, 2), ByAddress(3, 9), ByAddress(3, 5, "SIP1601"),
                     ByAddress(3, 6, "", false), ByAddress(3, 3, "undefined")});
    EXPECT_EQ(Step(*w, 3), QStringLiteral("跳过：不是带地址簿的设备（520系列）"));
    EXPECT_EQ(Step(*w, 4), QStringLiteral("跳过：设备已离线"));
    EXPECT_FALSE(w->btnRetryFailed->isEnabled());

    w->cmbBoxBooks->setCurrentIndex(2);  // contacts and zones
    QSignalSpy finished(w.get(), &TFrmSiteDownload::runFinished);
    w->btnStart->click();
    EXPECT_FALSE(w->btnStart->isEnabled());
    EXPECT_TRUE(w->btnStop->isEnabled());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(Step(*w, 0), QStringLiteral("下载成功"));
    EXPECT_EQ(Step(*w, 1), QStringLiteral("下载失败"));
    EXPECT_EQ(Step(*w, 2), QStringLiteral("设备没有回应，errcode = 0"));
    // A model the list could not name is read, and skipped when it keeps no address book.
    EXPECT_EQ(Step(*w, 5), QStringLiteral("不是带地址簿的设备（SIP1601）"));
    auto* bar = qobject_cast<QProgressBar*>(
        w->lvSiteTerminals->itemWidget(w->lvSiteTerminals->topLevelItem(0), 3));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(hosts.store->Terminal(0).Table(EHostTable::Device).size(), 1u);
    EXPECT_EQ(hosts.store->Terminal(0).Table(EHostTable::Zone).size(), 1u);
    EXPECT_TRUE(hosts.store->Terminal(1).Table(EHostTable::Device).empty());
    // The second terminal failed its contacts: its zones were never sent.
    EXPECT_TRUE(hosts.store->Terminal(1).Table(EHostTable::Zone).empty());

    // Retry runs the failed ones only.
    hosts.store->SetFaults(1, {});
    const auto firstRequests = hosts.store->Terminal(0).requests.size();
    ASSERT_TRUE(w->btnRetryFailed->isEnabled());
    w->btnRetryFailed->click();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(Step(*w, 1), QStringLiteral("下载成功"));
    EXPECT_EQ(hosts.store->Terminal(1).Table(EHostTable::Zone).size(), 1u);
    EXPECT_EQ(hosts.store->Terminal(0).requests.size(), firstRequests);
    EXPECT_TRUE(w->btnRetryFailed->isEnabled());  // the terminal that never answered
    EXPECT_EQ(hosts.fleet->Stats(2).reads, 1u);   // the skipped one is not tried again

    const QString report = home.filePath("site.csv");
    prompter.fileNames.push_back(report);
    w->btnSaveReport->click();
    std::string csv;
    ASSERT_TRUE(ReadWholeFile(report.toStdString(), csv));
    std::vector<TCsvRecord> records;
    ASSERT_TRUE(ParseCsv(csv, ',', records, nullptr));
    ASSERT_EQ(records.size(), 7u);
    const char* results[] = {"ok", "ok", "failed", "skipped", "skipped", "skipped"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(records[i + 1].fields.at(2), results[i]) << i;
    EXPECT_EQ(records[1].fields[1], "2.75.86.0.0.1");
}

TEST_F(FrmSiteDownloadTest, StopEndsEveryJobAndAnEmptySelectionStartsNothing) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(4, 1), 2, {"SIP520"}, &error)) << error;
    termsim::THostFaults silent;
    silent.silent = true;
    for (int i = 0; i < 2; ++i)
        hosts.store->SetFaults(i, silent);
    auto w = Window({ByAddress(4, 1), ByAddress(4, 2)});
    w->cmbBoxBooks->setCurrentIndex(1);  // zones
    QSignalSpy finished(w.get(), &TFrmSiteDownload::runFinished);
    w->btnStart->click();
    // Stop once both wait for their erase to be answered.
    const auto erasing = QStringLiteral("正在擦除分区表，请稍等。。。");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Step(*w, 0) == erasing && Step(*w, 1) == erasing; }, 30000));
    w->btnStop->click();
    ASSERT_TRUE(finished.wait(30000));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(w->ShownRows()[i].state, "stopped") << i;
        EXPECT_EQ(hosts.fleet->Stats(i).logouts, 1u) << i;
    }

    // Without a contact selection nothing starts and the user is told.
    std::filesystem::remove(ListFilePath(Folder(), kDlContactsFile));
    w->cmbBoxBooks->setCurrentIndex(0);
    w->btnStart->click();
    EXPECT_FALSE(w->Running());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].text.contains("DlContacts.dat"));
}

}  // namespace
