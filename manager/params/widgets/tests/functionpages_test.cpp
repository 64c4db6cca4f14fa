// The talk, multicast, key, monitor and serial pages' own rules, and the parameter-file buttons,
// through the editor: what the pages show, what a save writes, which messages appear.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "editortestkit.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"

namespace {

void Click(TEditorBench& bench, const char* button) {
    QTest::mouseClick(bench.Find<QPushButton>(button), Qt::LeftButton);
}

// Saves and returns the block the editor wrote.
TParamBlock Saved(TEditorBench& bench) {
    Click(bench, "btnSave");
    EXPECT_EQ(bench.editor->result(), QDialog::Accepted)
        << bench.prompter.MessageTexts().join(";").toStdString();
    return bench.editor->Block();
}

std::vector<int> Bytes(const TParamBlock& block, const char* field) {
    const TParamField& f = ParamField(field);
    return {block.begin() + f.offset, block.begin() + f.offset + f.width};
}

// The check list as "name+" (ticked) and "name-".
QString CodecItems(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return items.join(',');
}

TEST(TalkPage, CodecListLoadsByStoredOrderKeepsOneTickMovesAndSavesTheTickedOnes) {
    struct Case {
        std::vector<int> stored;
        QString shown;
        std::vector<int> saved;
    } cases[] = {
        {{3, 1, 0, 0, 0, 0, 0, 0}, "G.722+,G.711u(PCMU)+,G.711a(PCMA)-", {3, 1, 0, 0, 0, 0, 0, 0}},
        {{2, 2, 3, 0, 0, 0, 0, 0}, "G.711a(PCMA)+,G.722+,G.711u(PCMU)-", {2, 3, 0, 0, 0, 0, 0, 0}},
        {{0, 9, 3, 0, 0, 0, 0, 1}, "G.722+,G.711u(PCMU)+,G.711a(PCMA)-", {3, 1, 0, 0, 0, 0, 0, 0}},
        // No known code: the list stays as it was, nothing ticked.
        {{0, 0, 0, 0, 0, 0, 0, 0}, "G.711a(PCMA)-,G.711u(PCMU)-,G.722-", {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    TEditorBench bench;
    for (const Case& c : cases) {
        TParamBlock block = MakeBlock("SIP1601");
        std::copy(c.stored.begin(), c.stored.end(), block.begin() + 924);
        bench.Open(block);
        EXPECT_EQ(CodecItems(bench.Find<QListWidget>("chkListTalk_Codec")), c.shown);
        EXPECT_EQ(Bytes(Saved(bench), "talk.codecs"), c.saved);
    }

    TParamBlock block = MakeBlock("SIP1601");
    block[924] = 3;
    bench.Open(block);
    auto* list = bench.Find<QListWidget>("chkListTalk_Codec");
    list->item(0)->setCheckState(Qt::Unchecked);  // the only tick stays
    EXPECT_EQ(CodecItems(list), "G.722+,G.711a(PCMA)-,G.711u(PCMU)-");
    list->item(2)->setCheckState(Qt::Checked);
    list->item(0)->setCheckState(Qt::Unchecked);  // another is ticked: allowed
    EXPECT_EQ(CodecItems(list), "G.722-,G.711a(PCMA)-,G.711u(PCMU)+");
    list->setCurrentRow(2);
    Click(bench, "btnTalk_CodecUp");
    Click(bench, "btnTalk_CodecUp");
    Click(bench, "btnTalk_CodecUp");  // already at the top
    EXPECT_EQ(CodecItems(list), "G.711u(PCMU)+,G.722-,G.711a(PCMA)-");
    EXPECT_EQ(list->currentRow(), 0);
    list->item(1)->setCheckState(Qt::Checked);
    Click(bench, "btnTalk_CodecDown");
    EXPECT_EQ(CodecItems(list), "G.722+,G.711u(PCMU)+,G.711a(PCMA)-");
    EXPECT_EQ(Bytes(Saved(bench), "talk.codecs"), (std::vector<int>{3, 1, 0, 0, 0, 0, 0, 0}));
}

// A language file may rename the codec items; they are saved by their codes.
TEST(TalkPage, CodecsAreSavedByTheirCodesWhateverTheItemsAreCalled) {
    TParamBlock block = MakeBlock("SIP1601");
    block[924] = 3, block[925] = 1;
    block[936] = 2;
    TEditorBench bench;
    bench.Open(block);
    auto* list = bench.Find<QListWidget>("chkListTalk_Codec");
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setText(QString("codec %1").arg(i));
    auto* choice = bench.Find<QComboBox>("cmbBoxMulticast_Codec");
    for (int i = 0; i < choice->count(); ++i)
        choice->setItemText(i, QString("codec %1").arg(i));
    const TParamBlock saved = Saved(bench);
    EXPECT_EQ(Bytes(saved, "talk.codecs"), (std::vector<int>{3, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(saved, "multicast.codec"), (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TalkPage, DefaultButtonsFallBacksAutoHangUpAndTheInputOfEachFamily) {
    TEditorBench bench;
    TParamBlock block = MakeBlock("SIP1601");
    SetFieldInt(block, ParamField("talk.auto_answer"), 61);
    SetFieldInt(block, ParamField("talk.echo"), 3);
    bench.Open(block);
    auto* ringTime = bench.Find<QSpinBox>("spEdtTalk_RingTime");
    EXPECT_FALSE(ringTime->isEnabled());
    EXPECT_FALSE(bench.Find<QPushButton>("btnTalk_DefRingTime")->isEnabled());
    Click(bench, "btnTalk_DefAec");
    EXPECT_EQ(bench.Find<QComboBox>("cmbBoxTalk_Aec")->currentText(), "低");
    Click(bench, "btnMulticast_DefGain");
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtMulticast_Gain")->value(), 20);
    bench.Find<QSpinBox>("spEdtTalk_Gain")->findChild<QLineEdit*>()->clear();  // no number
    TParamBlock saved = Saved(bench);
    EXPECT_EQ(GetFieldInt(saved, ParamField("talk.auto_answer")), 61);
    EXPECT_EQ(GetFieldInt(saved, ParamField("talk.gain")), 20);
    EXPECT_EQ(GetFieldInt(saved, ParamField("talk.echo")), 1);

    // The talk page writes its input into 683 too; the multicast page's save comes after it.
    struct Case {
        const char* model;
        const char* talkInput;
        const char* multicastInput;  // nullptr: no multicast page
        int at181, at683;
    } cases[] = {
        {"SIP460", "rdBtnTalk_LineIn", nullptr, 1, 1},
        {"SIP1601", "rdBtnTalk_LineIn", "rdBtnMulticast_Mic", 1, 0},
        {"SIP1601", "rdBtnTalk_Mic", "rdBtnMulticast_LineIn", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        bench.Open(MakeBlock(c.model));
        bench.Find<QRadioButton>(c.talkInput)->setChecked(true);
        if (c.multicastInput) bench.Find<QRadioButton>(c.multicastInput)->setChecked(true);
        saved = Saved(bench);
        EXPECT_EQ(saved[181], c.at181);
        EXPECT_EQ(saved[683], c.at683);
    }
    bench.Open(MakeBlock("SIP460"));
    EXPECT_FALSE(bench.Find<QPushButton>("btnTalk_DefAec")->isEnabled());
}

TEST(KeyPage, RowsFollowTheModeKeyFourStaysHiddenAndSavesNormaliseTheRecords) {
    TEditorBench bench;
    TParamBlock block = MakeBlock("SIP1601");
    block[344] = 5;  // key 1: any mode but 0 is multicast
    SetFieldText(block, ParamField("key1.target"), "239.1.1.1");
    SetFieldInt(block, ParamField("key1.port"), 5004);
    SetKeyRecord(block, 1, {true, "239.255.1.200", 6000});
    SetKeyRecord(block, 3, {true, "239.4.4.4", 4444});
    bench.Open(block);
    EXPECT_EQ(bench.Find<QComboBox>("cmbBoxKey_1Mode")->currentText(), "组    播");
    EXPECT_EQ(bench.Find<QLineEdit>("edtKey_1Port")->text(), "5004");
    // Only the row of the key's mode shows; key 4 shows nothing.
    EXPECT_TRUE(bench.Find<QWidget>("pnlKey_1Sip")->isHidden());
    EXPECT_FALSE(bench.Find<QWidget>("pnlKey_1Multicast")->isHidden());
    EXPECT_FALSE(bench.Find<QWidget>("pnlKey_3Sip")->isHidden());
    EXPECT_TRUE(bench.Find<QWidget>("pnlKey_3Multicast")->isHidden());
    for (const char* name : {"lblKey_4", "cmbBoxKey_4Mode", "pnlKey_4Sip", "pnlKey_4Multicast"})
        EXPECT_TRUE(bench.Find<QWidget>(name)->isHidden()) << name;

    // Key 2 becomes a call key: no byte of its old address survives.
    bench.Find<QComboBox>("cmbBoxKey_2Mode")->setCurrentIndex(0);
    EXPECT_FALSE(bench.Find<QWidget>("pnlKey_2Sip")->isHidden());
    EXPECT_TRUE(bench.Find<QWidget>("pnlKey_2Multicast")->isHidden());
    EXPECT_EQ(bench.Find<QLineEdit>("edtKey_2IP")->text(), "239.255.1.200");  // kept in its box
    bench.Find<QLineEdit>("EdtKey_2Sip")->setText("801");
    const TParamBlock saved = Saved(bench);
    EXPECT_EQ(Bytes(saved, "key1.mode"), (std::vector<int>{1}));
    EXPECT_EQ(Bytes(saved, "key1.type"), (std::vector<int>{1}));
    EXPECT_EQ(Bytes(saved, "key1.port"), (std::vector<int>{0x13, 0x8C}));
    std::vector<int> key2Target = {'8', '0', '1'};
    key2Target.resize(16, 0);
    EXPECT_EQ(Bytes(saved, "key2.target"), key2Target);
    EXPECT_EQ(Bytes(saved, "key2.mode"), (std::vector<int>{0}));
    EXPECT_EQ(Bytes(saved, "key2.type"), (std::vector<int>{2}));
    EXPECT_EQ(Bytes(saved, "key2.port"), (std::vector<int>{0, 0}));
    EXPECT_EQ(GetKeyRecord(saved, 3).target, "239.4.4.4");  // key 4 goes back as loaded
    EXPECT_EQ(GetKeyRecord(saved, 3).port, 4444);
}

TEST(KeyAndMonitorPages, PickButtonsFillClearOrLeaveTheirBoxesAndTheMonitorPassesItsRows) {
    TEditorBench bench;
    TParamBlock block = MakeBlock("SIP1601");
    TMonitorRows rows;
    rows[0] = {"239.0.0.1", 5001};
    rows[3] = {"239.0.0.4", 5004};
    SetMonitorRows(block, rows);
    bench.Open(block);
    std::vector<TContactPick> contacts = {
        {TPickResult::kPicked, "8005"}, {TPickResult::kCancelled, {}}, {TPickResult::kNone, {}}};
    std::vector<TMulticastPick> zones = {{TPickResult::kPicked, "239.9.9.9", "7000"},
                                         {TPickResult::kPicked, "239.8.8.8", "8000"},
                                         {TPickResult::kCancelled, {}, {}},
                                         {TPickResult::kNone, {}, {}}};
    std::vector<std::pair<QStringList, bool>> asked;
    TEditorContext& context = bench.editor->Context();
    context.pickContact = [&](QWidget*) {
        const TContactPick pick = contacts.front();
        contacts.erase(contacts.begin());
        return pick;
    };
    context.pickMulticast = [&](QWidget*, const QStringList& inUse, bool check) {
        asked.emplace_back(inUse, check);
        const TMulticastPick pick = zones.front();
        zones.erase(zones.begin());
        return pick;
    };
    auto* sip = bench.Find<QLineEdit>("EdtKey_1Sip");
    for (const char* shown : {"8005", "8005", ""}) {
        Click(bench, "BtnKey_1SipSelect");
        EXPECT_EQ(sip->text(), shown);
    }
    Click(bench, "BtnKey_2MulticastSelect");
    EXPECT_EQ(bench.Find<QLineEdit>("edtKey_2IP")->text() + ":" +
                  bench.Find<QLineEdit>("edtKey_2Port")->text(),
              "239.9.9.9:7000");
    EXPECT_EQ(asked.back(), std::make_pair(QStringList(), false));
    Click(bench, "BtnKey_2MulticastClear");
    EXPECT_EQ(bench.Find<QLineEdit>("edtKey_2IP")->text(), "");

    auto row = [&](int n) {
        return bench.Find<QLineEdit>(qPrintable(QString("edtMonitorMulticast_IP%1").arg(n)))
                   ->text() +
               ":" +
               bench.Find<QLineEdit>(qPrintable(QString("edtMonitorMulticast_Port%1").arg(n)))
                   ->text();
    };
    Click(bench, "spBtnMonitorMulticast_Select4");
    const QStringList inUse = {
        "239.0.0.1=5001", "=", "=", "239.0.0.4=5004", "=", "=", "=", "=", "=", "="};
    EXPECT_EQ(asked.back(), std::make_pair(inUse, true));
    EXPECT_EQ(row(4), "239.8.8.8:8000");
    Click(bench, "spBtnMonitorMulticast_Select1");  // cancelled
    EXPECT_EQ(row(1), "239.0.0.1:5001");
    Click(bench, "spBtnMonitorMulticast_Select1");  // none
    EXPECT_EQ(row(1), ":");
    Click(bench, "spBtnMonitorMulticast_Clear4");
    EXPECT_EQ(row(4), ":");
}

TEST(MonitorPage, RowsByPriorityAndSaveWritesTenEntriesInPriorityOrder) {
    TEditorBench bench;
    TParamBlock block = MakeBlock("SIP310");
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        const std::size_t entry = kMonitorFirstOffset + kMonitorEntryBytes * k;
        block[entry + 1] = 5;  // every entry names row 5: the last one wins
        SetFieldText(block, ParamField("monitor" + std::to_string(k + 1) + ".address"),
                     "239.0.0." + std::to_string(k + 1));
    }
    block[kMonitorFirstOffset + 1] = 12;  // priority 12: not shown
    SetFieldInt(block, ParamField("monitor.volume"), 101);
    bench.Open(block);
    EXPECT_EQ(bench.Find<QLineEdit>("edtMonitorMulticast_IP5")->text(), "239.0.0.10");
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtMonitorMulticast_Volume")->value(), 100);
    Click(bench, "spBtnMonitorMulticast_DefVolume");
    const TParamBlock saved = Saved(bench);
    const TMonitorRows rows = GetMonitorRows(saved);
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        const std::size_t entry = kMonitorFirstOffset + kMonitorEntryBytes * k;
        EXPECT_EQ(saved[entry], k);
        EXPECT_EQ(saved[entry + 1], k + 1);
        EXPECT_EQ(rows[k].address, k == 4 ? "239.0.0.10" : "") << k;
    }
    EXPECT_EQ(saved[932], 90);
    EXPECT_EQ(saved[178], 90);
}

TEST(SerialAndEventPages, AddressChecksStopTheSaveOnTheirPageEvenOnTheDisabledControlPort) {
    struct Case {
        const char* box;
        const char* page;
        QString message;
    } cases[] = {
        {"cmbBoxSerialCtrlNet_TargetIp", "tbShtSerialCtrl", "目标IP地址不正确，请查正！"},
        {"cmbBoxSerialDataNet_TargetIp", "tbShtSerialData", "远端IP地址不正确，请查正！"},
        {"cmbBoxGpio_IpAddress", "tbShtGpio", "IP地址不正确，请查正！"},
    };
    TEditorBench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        bench.prompter.messages.clear();
        bench.Open(MakeBlock("SIP1601", true));
        auto* box = bench.Find<QComboBox>(c.box);
        EXPECT_EQ(box->isEnabled(), std::string_view(c.box) != "cmbBoxSerialCtrlNet_TargetIp");
        box->setEditText("10.0.0.300");
        Click(bench, "btnSave");
        EXPECT_EQ(bench.editor->result(), 0);
        EXPECT_EQ(bench.prompter.MessageTexts(), QStringList{c.message});
        EXPECT_EQ(bench.Find<QTabWidget>("RzPageControl1")->currentWidget()->objectName(), c.page);
    }
}

// Parameter files.

QString DataPath(TEditorBench& bench, const QString& name) {
    return bench.Folder() + "Data/" + name;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray BlockBytes(const TParamBlock& block) {
    return QByteArray(reinterpret_cast<const char*>(block.data()), block.size());
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ParameterFiles, ImportRefusesWrongLengthsAndFamiliesAndTakesTheTerminalsStatus) {
    TParamBlock file310 = MakeBlock("SIP310");
    TParamBlock file1603 = MakeBlock("SIP1603");
    SetFieldText(file1603, ParamField("sip.user"), "7007");
    SetFieldInt(file1603, ParamField("run_status"), 0);
    struct Case {
        const char* terminal;
        QByteArray bytes;
        QStringList messages;
        QString user;  // the account box afterwards
    } cases[] = {
        {"SIP1601", BlockBytes(file1603) + 'x', {"对不起，文件格式不正确，导入失败！"}, "1"},
        {"SIP1601", BlockBytes(file310), {"对不起，设备类型参数不兼容，导入失败！"}, "1"},
        {"SIP999", BlockBytes(file1603), {"对不起，设备类型参数不兼容，导入失败！"}, "1"},
        {"SIP1201", BlockBytes(file1603), {}, "7007"},
    };
    TEditorBench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terminal);
        bench.prompter.messages.clear();
        TParamBlock terminal = MakeBlock(c.terminal);
        SetFieldText(terminal, ParamField("sip.user"), "1");
        SetFieldInt(terminal, ParamField("run_status"), 0x41);
        bench.Open(terminal);
        const QString path = bench.Folder() + "in.dps";
        WriteBytes(path, c.bytes);
        bench.prompter.fileNames = {path};
        Click(bench, "btnImportParams");
        EXPECT_EQ(bench.prompter.MessageTexts(), c.messages);
        EXPECT_EQ(bench.Find<QLineEdit>("edtAccountBase_UserNumber")->text(), c.user);
        EXPECT_EQ(bench.Find<QLabel>("lblAccountBase_StatusVal")->text(), "已经注册");
        EXPECT_EQ(bench.editor->Block(), terminal);
    }
}

TEST(ParameterFiles, DefaultsComeFromTheFamilyFileOrTheBuiltInGroups) {
    TEditorBench bench;
    TParamBlock terminal = MakeBlock("SIP430");
    SetFieldInt(terminal, ParamField("talk.gain"), 55);
    SetFieldInt(terminal, ParamField("multicast.gain"), 66);
    SetKeyRecord(terminal, 0, {true, "239.1.1.1", 5000});
    SetMonitorRows(terminal, {TMonitorRow{"239.2.2.2", 6000}});
    bench.Open(terminal);
    Click(bench, "btnDefParams");
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtTalk_Gain")->value(), 20);
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtMulticast_Gain")->value(), 20);
    EXPECT_EQ(bench.Find<QComboBox>("cmbBoxKey_1Mode")->currentText(), "呼    叫");
    EXPECT_EQ(bench.Find<QLineEdit>("EdtKey_1Sip")->text(), "");
    EXPECT_EQ(bench.Find<QLineEdit>("edtKey_1IP")->text(), "");
    EXPECT_EQ(bench.Find<QLineEdit>("edtMonitorMulticast_IP1")->text(), "239.2.2.2");
    EXPECT_TRUE(bench.prompter.messages.empty());

    // Save parameters writes the block as read, whatever the pages show; the next defaults
    // come from that file.
    bench.Find<QSpinBox>("spEdtTalk_Gain")->setValue(33);
    Click(bench, "btnSaveParams");
    EXPECT_EQ(bench.prompter.MessageTexts(), QStringList{"保存成默认参数成功"});
    EXPECT_EQ(ReadBytes(DataPath(bench, "default430.dps")), BlockBytes(terminal));
    Click(bench, "btnDefParams");
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtTalk_Gain")->value(), 55);

    // A family file of the wrong length: its message, then the built-in defaults.
    WriteBytes(DataPath(bench, "default430.dps"), "short");
    bench.prompter.messages.clear();
    Click(bench, "btnDefParams");
    EXPECT_EQ(bench.prompter.MessageTexts(), QStringList{"对不起，文件格式不正确"});
    EXPECT_EQ(bench.Find<QSpinBox>("spEdtTalk_Gain")->value(), 20);
}

TEST(ParameterFiles, ExportThenImportGivesTheSamePagesForEveryFamily) {
    TEditorBench bench;
    for (const char* model : {"SIP310", "SIP520", "SIP430", "SIP1601", "SIP460", "SIP650"}) {
        SCOPED_TRACE(model);
        TParamBlock terminal = MakeBlock(model, true);
        for (std::size_t i = 0; i < terminal.size(); ++i)
            if (i >= 170) terminal[i] = static_cast<std::uint8_t>(i * 7);
        SetFieldInt(terminal, ParamField("uart_data.protocol"), 2);
        bench.Open(terminal);
        const QString first = bench.Folder() + "first.dps", second = bench.Folder() + "second";
        bench.prompter.fileNames = {first, first, second + ".dps"};
        Click(bench, "btnExportParams");
        Click(bench, "btnImportParams");
        EXPECT_EQ(bench.Find<QComboBox>("cmbBoxSerialDataNet_Protocol")->currentText(), "TCP");
        Click(bench, "btnExportParams");
        EXPECT_EQ(ReadBytes(first).size(), 1356);
        EXPECT_EQ(ReadBytes(first), ReadBytes(second + ".dps"));
        EXPECT_EQ(bench.editor->Block(), terminal);  // export and import leave the block alone
        EXPECT_TRUE(bench.prompter.messages.empty());
        EXPECT_TRUE(QFileInfo(bench.Folder() + "Data").isDir());
    }
}

TEST(ParameterFiles, AFailedWriteKeepsTheOldFileAndShowsTheError) {
    TEditorBench bench;
    const TParamBlock terminal = MakeBlock("SIP1601");
    bench.Open(terminal);
    // "Data" is a file: neither the folder nor the default file can be made.
    WriteBytes(bench.Folder() + "Data", "not a folder");
    Click(bench, "btnSaveParams");
    ASSERT_EQ(bench.prompter.messages.size(), 1u);
    EXPECT_EQ(bench.prompter.messages[0].kind, IPrompter::Kind::Error);
    EXPECT_EQ(ReadBytes(bench.Folder() + "Data"), "not a folder");

    const QString folderName = bench.Folder() + "taken.dps";
    QDir().mkpath(folderName);
    bench.prompter.fileNames = {folderName};
    Click(bench, "btnExportParams");
    ASSERT_EQ(bench.prompter.messages.size(), 2u);
    EXPECT_TRUE(QFileInfo(folderName).isDir());
    EXPECT_EQ(bench.editor->Block(), terminal);

    // Save parameters for a model without a family writes nothing.
    bench.Open(MakeBlock("SIP999"));
    bench.prompter.messages.clear();
    Click(bench, "btnSaveParams");
    ASSERT_EQ(bench.prompter.messages.size(), 1u);
    EXPECT_EQ(bench.prompter.messages[0].kind, IPrompter::Kind::Error);
}

}  // namespace
