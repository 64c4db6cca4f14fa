// The contact and multicast editors offscreen: each mode's controls, the checks and their
// messages, what reaches the list file, pre-selection and ticks, the limits, the in-use check,
// the header sort, failed saves, and the calls that open the editors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "common/translation.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/xmlobj.h"
#include "manager/books/listfile.h"
#include "manager/books/widgets/bookdialogs.h"
#include "manager/books/widgets/frmcontactedit.h"
#include "manager/books/widgets/frmmulticastedit.h"
#include "tests/shippedlanguage.h"

namespace fs = std::filesystem;

namespace {

template <typename T>
T* Child(QWidget* w, const char* name) {
    T* child = w->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Click(QWidget* w, const char* button) {
    Child<QPushButton>(w, button)->click();
}

void SetText(QWidget* w, const char* edit, const QString& text) {
    if (auto* line = w->findChild<QLineEdit*>(edit))
        line->setText(text);
    else if (auto* combo = w->findChild<QComboBox*>(edit))
        combo->setEditText(text);
    else if (auto* spin = w->findChild<QSpinBox*>(edit))
        spin->findChild<QLineEdit*>()->setText(text);  // also empty, as a cleared field
    else
        ADD_FAILURE() << edit;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TListRows Rows(std::initializer_list<std::vector<std::string>> columns) {
    TListRows rows;
    for (const auto& c : columns)
        AppendListRow(rows, c);
    return rows;
}

class BookEditorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("books-ui-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }

    std::string Path(const char* file) const { return ListFilePath(home.string(), file); }
    void Write(const char* file, const TListRows& rows) {
        ASSERT_TRUE(SaveListFile(rows, Path(file)));
    }
    TListRows Stored(const char* file) const {
        TListRows rows;
        LoadListFile(rows, Path(file));
        return rows;
    }

    std::unique_ptr<TFrmBookEdit> Open(bool contacts, TBookEditMode mode,
                                       const QStringList& preselection = {}) {
        std::unique_ptr<TFrmBookEdit> editor;
        if (contacts)
            editor = std::make_unique<TFrmContactEdit>(mode, Path(kContactsFile), prompter);
        else
            editor = std::make_unique<TFrmMulticastEdit>(mode, Path(kMulticastsFile), prompter);
        editor->SetPreselection(preselection);
        editor->show();
        return editor;
    }

    // The list's rows as shown, number column first.
    static std::vector<QStringList> Shown(QWidget* editor, const char* list) {
        std::vector<QStringList> shown;
        auto* view = Child<QTreeWidget>(editor, list);
        for (int i = 0; i < view->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < view->columnCount(); ++c)
                cells << view->topLevelItem(i)->text(c);
            shown.push_back(cells);
        }
        return shown;
    }
    static void SelectRow(QWidget* editor, const char* list, int row) {
        auto* view = Child<QTreeWidget>(editor, list);
        view->setCurrentItem(view->topLevelItem(row));
    }
    static void Tick(QWidget* editor, const char* list, int row, bool on = true) {
        Child<QTreeWidget>(editor, list)
            ->topLevelItem(row)
            ->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }

    fs::path home;
    TScriptedPrompter prompter;
};

TEST_F(BookEditorsTest, EachModeShowsItsControls) {
    Write(kContactsFile, Rows({{"8001", "Lobby", "F1"}}));
    Write(kMulticastsFile, Rows({{"Hall", "239.1.1.1", "5000"}}));
    struct Case {
        bool contacts;
        TBookEditMode mode;
        bool ok, panel, ticks;
        const char* hint;
    } cases[] = {
        {true, TBookEditMode::kManage, false, false, false, ""},
        {true, TBookEditMode::kPick, true, false, false, "注：请选择具体联系人，然后【确定】"},
        {true, TBookEditMode::kSelect, true, true, true, "注：请勾选相应的联系人，然后【确定】"},
        {false, TBookEditMode::kManage, false, false, false, ""},
        {false, TBookEditMode::kPick, true, false, false, "注：请选择具体组播地址，然后【确定】"},
        {false, TBookEditMode::kSelect, true, true, true, "注：请勾选相应的组播地址，然后【确定】"},
    };
    for (const Case& c : cases) {
        auto editor = Open(c.contacts, c.mode);
        const char* list = c.contacts ? "lvContacts" : "lvMulticasts";
        const QString hint = QString::fromUtf8(c.hint);
        auto* ok = Child<QPushButton>(editor.get(), "btnOk");
        EXPECT_EQ(ok->isVisible(), c.ok);
        EXPECT_EQ(ok->isEnabled(), c.ok);
        EXPECT_EQ(
            Child<QWidget>(editor.get(), c.contacts ? "pnlContactSelect" : "pnlMulticastSelect")
                ->isVisible(),
            c.panel);
        auto* hintLabel =
            Child<QLabel>(editor.get(), c.contacts ? "lblContactHint" : "lblMulticastHint");
        EXPECT_EQ(hintLabel->text(), hint);
        EXPECT_EQ(hintLabel->isVisible(), !hint.isEmpty());
        auto* item = Child<QTreeWidget>(editor.get(), list)->topLevelItem(0);
        EXPECT_EQ(item->data(0, Qt::CheckStateRole).isValid(), c.ticks);
        EXPECT_TRUE(Child<QPushButton>(editor.get(), "btnAdd")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(editor.get(), "btnModify")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(editor.get(), "btnDel")->isEnabled());
        // OK does nothing in manage mode.
        ok->click();
        EXPECT_EQ(editor->isVisible(), !c.ok);
    }
}

TEST_F(BookEditorsTest, ContactChecksStopAtTheFirstFailure) {
    const TListRows rows = Rows({{"8001", "Lobby", "F1"}, {"8002", "Gate", "F1"}});
    Write(kContactsFile, rows);
    struct Case {
        bool modifyFirst;
        const char *sip, *name, *group;
        const char* message;  // empty: accepted
        const char* focus;
    } cases[] = {
        {false, " ", "n", "g", "Sip账号不能为空，请输入", "edtSipNumber"},
        {false, "8003", "", "g", "显示名称不能为空，请输入", "edtUserName"},
        {false, "8003", "n", " ", "分组名称不能为空，请输入", "cmbBoxGroupName"},
        {false, " 8001 ", "n", "g", "Sip账号[8001]已存在列表中，请更正", "edtSipNumber"},
        {true, "8002", "Lobby", "F1", "Sip账号[8002]已存在列表中，请更正", "edtSipNumber"},
        {true, "8001", "Lobby", "F1", "", "edtSipNumber"},  // modify to unchanged values
    };
    for (const Case& c : cases) {
        Write(kContactsFile, rows);
        prompter.messages.clear();
        auto editor = Open(true, TBookEditMode::kManage);
        if (c.modifyFirst) SelectRow(editor.get(), "lvContacts", 0);
        SetText(editor.get(), "edtSipNumber", c.sip);
        SetText(editor.get(), "edtUserName", c.name);
        SetText(editor.get(), "cmbBoxGroupName", c.group);
        Click(editor.get(), c.modifyFirst ? "btnModify" : "btnAdd");
        EXPECT_EQ(prompter.MessageTexts(), *c.message ? QStringList{c.message} : QStringList{})
            << c.sip;
        EXPECT_EQ(editor->focusWidget()->objectName(), c.focus) << c.sip;
        EXPECT_EQ(Stored(kContactsFile), rows) << c.sip;
    }
}

TEST_F(BookEditorsTest, ContactsAreAddedModifiedAndDeletedInTheFile) {
    Write(kContactsFile, Rows({{"8001", "Lobby", "F1"},
                               {"8002", "Gate", "F2"},
                               {"8003", "Yard", "F1"},
                               {"8004", "Hall", "F3"}}));
    auto editor = Open(true, TBookEditMode::kManage);
    auto* groups = Child<QComboBox>(editor.get(), "cmbBoxGroupName");
    // Known groups, taken from the last row to the first.
    const QStringList known{"F3", "F1", "F2"};
    for (int i = 0; i < known.size(); ++i)
        EXPECT_EQ(groups->itemText(i), known[i]);
    EXPECT_EQ(groups->count(), 3);

    SetText(editor.get(), "edtSipNumber", " 8005 ");
    SetText(editor.get(), "edtUserName", "门口");
    SetText(editor.get(), "cmbBoxGroupName", "新组 ");
    Click(editor.get(), "btnAdd");
    EXPECT_EQ(groups->itemText(0), QStringLiteral("新组"));
    EXPECT_EQ(Child<QLineEdit>(editor.get(), "edtSipNumber")->text(), "");
    EXPECT_EQ(groups->currentText(), "");
    EXPECT_EQ(editor->focusWidget()->objectName(), "edtSipNumber");
    EXPECT_EQ(ReadAll(Path(kContactsFile)).substr(ReadAll(Path(kContactsFile)).find("5\r\n")),
              "5\r\n@0\r\n\t8005\r\n\t\xC3\xC5\xBF\xDA\r\n\t\xD0\xC2\xD7\xE9\r\n");

    // Selecting fills the inputs; deselecting clears account and name but keeps the group.
    SelectRow(editor.get(), "lvContacts", 1);
    EXPECT_EQ(Child<QLineEdit>(editor.get(), "edtUserName")->text(), "Gate");
    EXPECT_EQ(groups->currentText(), "F2");
    EXPECT_TRUE(Child<QPushButton>(editor.get(), "btnModify")->isEnabled());
    SetText(editor.get(), "edtUserName", "Gate 2");
    Click(editor.get(), "btnModify");
    EXPECT_EQ(Stored(kContactsFile)[1].columns, (std::vector<std::string>{"8002", "Gate 2", "F2"}));
    EXPECT_EQ(groups->count(), 4);  // a modify does not change the drop-down list

    // Delete asks; No changes nothing, Yes removes the row and renumbers.
    SelectRow(editor.get(), "lvContacts", 1);
    SetText(editor.get(), "cmbBoxGroupName", "kept");
    prompter.confirmations = {false, true};
    Click(editor.get(), "btnDel");
    EXPECT_EQ(Stored(kContactsFile).size(), 5u);
    Click(editor.get(), "btnDel");
    EXPECT_EQ(prompter.messages.back().text, QStringLiteral("确定要删除联系人[8002=Gate 2]？"));
    EXPECT_EQ(prompter.messages.back().kind, IPrompter::Kind::Confirmation);
    const TListRows stored = Stored(kContactsFile);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[1].number, "2");
    EXPECT_EQ(stored[1].Column(0), "8003");
    EXPECT_EQ(Shown(editor.get(), "lvContacts")[3], (QStringList{"4", "8005", "门口", "新组"}));
    EXPECT_FALSE(Child<QPushButton>(editor.get(), "btnDel")->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(editor.get(), "edtSipNumber")->text(), "");
    EXPECT_EQ(groups->currentText(), "kept");
}

TEST_F(BookEditorsTest, MulticastChecks) {
    const TListRows rows = Rows({{"Yard", "239.1.1.1", "5001"}});
    struct Case {
        const char *name, *address, *port;
        const char* message;  // empty: accepted
        const char* focus;
    } cases[] = {
        {"", "239.1.1.1", "1", "分区名称不能为空，请输入", "edtMulticastName"},
        {"Z", " ", "1", "组播地址不能为空，请输入", "edtMulticastIP"},
        {"Z", "1.2.3", "1", "IP地址不正确，请查正！", "edtMulticastIP"},
        {"Z", "239.1.1.2", "", "端口号不能为空，请输入", "spEdtMulticastPort"},
        {"Yard", "239.2.2.2", "6000", "分区名称[Yard]已存在列表中，请更正", "edtMulticastName"},
        {"Yard2", "239.1.1.1", "5001", "组播地址[239.1.1.1]已存在列表中，请更正", "edtMulticastIP"},
        {"Hall", "239.1.1.1", "5000", "", "edtMulticastName"},
        {"Office", "192.168.1.10", "0", "", "edtMulticastName"},
    };
    for (const Case& c : cases) {
        Write(kMulticastsFile, rows);
        prompter.messages.clear();
        auto editor = Open(false, TBookEditMode::kManage);
        SetText(editor.get(), "edtMulticastName", c.name);
        SetText(editor.get(), "edtMulticastIP", c.address);
        SetText(editor.get(), "spEdtMulticastPort", c.port);
        Click(editor.get(), "btnAdd");
        const bool accepted = !*c.message;
        EXPECT_EQ(prompter.MessageTexts(), accepted ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(editor->focusWidget()->objectName(), c.focus) << c.name;
        const TListRows stored = Stored(kMulticastsFile);
        ASSERT_EQ(stored.size(), accepted ? 2u : 1u) << c.name;
        if (accepted) {
            EXPECT_EQ(stored[1].columns, (std::vector<std::string>{c.name, c.address, c.port}));
            EXPECT_EQ(Child<QSpinBox>(editor.get(), "spEdtMulticastPort")->cleanText(), "");
        }
    }
}

TEST_F(BookEditorsTest, AddressFieldDropsOtherKeys) {
    auto editor = Open(false, TBookEditMode::kManage);
    auto* address = Child<QLineEdit>(editor.get(), "edtMulticastIP");
    QTest::keyClicks(address, "2a39.-1 .x1.1");
    EXPECT_EQ(address->text(), "239.1.1.1");
    QTest::keyClick(address, Qt::Key_Backspace);
    EXPECT_EQ(address->text(), "239.1.1.");
}

TEST_F(BookEditorsTest, PreselectionTicksAndTheCounter) {
    Write(kContactsFile, Rows({{"8001", "Hall", "F1"},
                               {"ab", "x", "F1"},
                               {"8001", "dup", "F1"},
                               {"8003", "y", "F1"}}));
    // Matched on the account, case ignored; matching stops after two ticks.
    auto editor = Open(true, TBookEditMode::kSelect, {"8001=Lobby", "AB=whatever"});
    auto* counter = Child<QLabel>(editor.get(), "lblContactNum");
    EXPECT_EQ(counter->text(), "2/4");
    Tick(editor.get(), "lvContacts", 3);
    EXPECT_EQ(counter->text(), "3/4");
    Tick(editor.get(), "lvContacts", 0, false);
    EXPECT_EQ(counter->text(), "2/4");
    // Deleting a ticked row takes its tick along.
    Tick(editor.get(), "lvContacts", 2);
    SelectRow(editor.get(), "lvContacts", 2);
    prompter.confirmations = {true};
    Click(editor.get(), "btnDel");
    EXPECT_EQ(counter->text(), "2/3");
    Click(editor.get(), "btnOk");
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    const TListRows ticked = editor->TickedRows();
    ASSERT_EQ(ticked.size(), 2u);
    EXPECT_EQ(ticked[0].Column(0), "ab");
    EXPECT_EQ(ticked[1].Column(0), "8003");

    Write(kMulticastsFile, Rows({{"A", "239.0.0.1", "1"}, {"B", "239.0.0.2", "2"}}));
    auto zones = Open(false, TBookEditMode::kSelect, {"239.0.0.2=2", "239.0.0.1=9"});
    EXPECT_EQ(Child<QLabel>(zones.get(), "lblMulticastNum")->text(), "1/2");
    EXPECT_EQ(zones->TickedRows().front().Column(0), "B");
}

TEST_F(BookEditorsTest, SelectModeLimits) {
    struct Case {
        bool contacts;
        int rows, ticks;
        const char* message;  // empty: OK closes
    } cases[] = {
        {false, 120, 100, "选择的组播地址数最大上限为 99个，请检查"},
        {false, 120, 99, ""},
        {true, 1000, 1000, "选择的联系人数最大上限为 999个，请检查"},
        {true, 1000, 999, ""},
    };
    for (const Case& c : cases) {
        TListRows rows;
        for (int i = 0; i < c.rows; ++i) {
            const std::string n = std::to_string(i);
            AppendListRow(
                rows,
                {"n" + n, "239.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1),
                 "1"});
        }
        Write(c.contacts ? kContactsFile : kMulticastsFile, rows);
        prompter.messages.clear();
        auto editor = Open(c.contacts, TBookEditMode::kSelect);
        const char* list = c.contacts ? "lvContacts" : "lvMulticasts";
        for (int i = 0; i < c.ticks; ++i)
            Tick(editor.get(), list, i);
        Click(editor.get(), "btnOk");
        const bool closes = !*c.message;
        EXPECT_EQ(prompter.MessageTexts(), closes ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(editor->isVisible(), !closes);
    }
}

TEST_F(BookEditorsTest, PickModeInUseCheck) {
    Write(kMulticastsFile, Rows({{"A", "239.0.0.1", "5000"}, {"B", "239.0.0.2", "6000"}}));
    struct Case {
        int row;
        bool check;
        const char* message;  // empty: OK closes
    } cases[] = {
        {0, true, "组播地址[239.0.0.1]和端口号[5000]已被使用，请更改"},
        {0, false, ""},
        {1, true, ""},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        auto editor = std::make_unique<TFrmMulticastEdit>(TBookEditMode::kPick,
                                                          Path(kMulticastsFile), prompter);
        editor->SetInUse({"239.0.0.1=5000", "239.0.0.9=1"}, c.check);
        editor->show();
        SelectRow(editor.get(), "lvMulticasts", c.row);
        Click(editor.get(), "btnOk");
        const bool closes = !*c.message;
        EXPECT_EQ(prompter.MessageTexts(), closes ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(editor->isVisible(), !closes);
    }
}

TEST_F(BookEditorsTest, HeaderSortMovesNumbersWithTheirRows) {
    Write(kContactsFile,
          Rows({{"10", "beta", "G"}, {"9", "", "G"}, {"2", "Alpha", "G"}, {"1", "gamma", "G"}}));
    auto editor = Open(true, TBookEditMode::kSelect);
    Tick(editor.get(), "lvContacts", 2);  // Alpha
    auto* header = Child<QTreeWidget>(editor.get(), "lvContacts")->header();
    auto clickHeader = [&](int section) { emit header->sectionClicked(section); };
    auto column = [&](int c) {
        QStringList texts;
        for (const QStringList& row : Shown(editor.get(), "lvContacts"))
            texts << row[c];
        return texts;
    };
    clickHeader(2);
    EXPECT_EQ(column(2), (QStringList{"Alpha", "beta", "gamma", ""}));
    EXPECT_EQ(column(0), (QStringList{"3", "1", "4", "2"}));
    EXPECT_EQ(editor->TickedRows().front().Column(1), "Alpha");
    clickHeader(2);
    EXPECT_EQ(column(2), (QStringList{"gamma", "beta", "Alpha", ""}));
    clickHeader(1);  // whole numbers by value
    EXPECT_EQ(column(1), (QStringList{"1", "2", "9", "10"}));

    // The next add saves the sorted order with the numbers it shows.
    SetText(editor.get(), "edtSipNumber", "5");
    SetText(editor.get(), "edtUserName", "n");
    SetText(editor.get(), "cmbBoxGroupName", "G");
    Click(editor.get(), "btnAdd");
    QStringList numbers;
    for (const TListRow& row : Stored(kContactsFile))
        numbers << QString::fromStdString(row.number);
    EXPECT_EQ(numbers, (QStringList{"4", "3", "2", "1", "5"}));
    EXPECT_EQ(Child<QLabel>(editor.get(), "lblContactNum")->text(), "1/5");
}

TEST_F(BookEditorsTest, AFailedSaveShowsTheErrorAndChangesNothing) {
    std::ofstream(home / "Data") << "a file where the data folder belongs";
    auto editor = Open(false, TBookEditMode::kManage);
    SetText(editor.get(), "edtMulticastName", "Hall");
    SetText(editor.get(), "edtMulticastIP", "239.1.1.1");
    SetText(editor.get(), "spEdtMulticastPort", "5000");
    Click(editor.get(), "btnAdd");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Error);
    EXPECT_TRUE(
        prompter.messages[0].text.startsWith(QString::fromStdString(Path(kMulticastsFile)) + "\n"));
    EXPECT_TRUE(Shown(editor.get(), "lvMulticasts").empty());
    EXPECT_EQ(Child<QLineEdit>(editor.get(), "edtMulticastName")->text(), "Hall");
}

TEST_F(BookEditorsTest, AListThatCannotBeReadIsNeverOverwritten) {
    fs::create_directories(Path(kContactsFile));
    auto editor = Open(true, TBookEditMode::kManage);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Error);
    EXPECT_FALSE(Child<QPushButton>(editor.get(), "btnAdd")->isEnabled());
}

TEST_F(BookEditorsTest, TheShippedLanguageFileTranslatesTheEditors) {
    TShippedLanguage language;
    ASSERT_TRUE(language.Loaded());
    Write(kMulticastsFile, Rows({{"A", "239.0.0.1", "5000"}}));
    auto editor = Open(false, TBookEditMode::kSelect);
    EXPECT_EQ(editor->windowTitle(), "Multicast addresses");
    EXPECT_EQ(Child<QTreeWidget>(editor.get(), "lvMulticasts")->headerItem()->text(2),
              "Multicast address");
    EXPECT_EQ(Child<QLabel>(editor.get(), "lblMulticastHint")->text(),
              "Note: tick the multicast addresses you want, then press OK");
    SelectRow(editor.get(), "lvMulticasts", 0);
    Click(editor.get(), "btnDel");
    auto contacts = Open(true, TBookEditMode::kPick);
    EXPECT_EQ(Child<QLabel>(contacts.get(), "lblContactHint")->text(),
              "Note: select one contact, then press OK");
    Click(contacts.get(), "btnAdd");
    EXPECT_EQ(prompter.MessageTexts(),
              (QStringList{"Delete the multicast address [A=239.0.0.1:5000]?",
                           "The SIP account must not be empty, please enter it"}));
}

// The calls other windows make: the editor is modal, so a timer answers it.
TEST_F(BookEditorsTest, PickAndSelectCalls) {
    Write(kContactsFile, Rows({{"8001", "Lobby", "F1"}, {"8002", "Gate", "F1"}}));
    Write(kMulticastsFile, Rows({{"A", "239.0.0.1", "5000"}}));
    const TBookEditorPlace place{nullptr, &prompter, QString::fromStdString(home.string())};
    auto answer = [](std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
    };
    answer([](QWidget* w) {
        SelectRow(w, "lvContacts", 1);
        Click(w, "btnOk");
    });
    const TContactPick picked = PickContact(place);
    EXPECT_EQ(picked.result, TPickResult::kPicked);
    EXPECT_EQ(picked.sipAccount, "8002");

    answer([](QWidget* w) { Click(w, "btnOk"); });
    EXPECT_EQ(PickContact(place).result, TPickResult::kNone);

    answer([](QWidget* w) { Click(w, "btnClose"); });
    EXPECT_EQ(PickMulticast(place).result, TPickResult::kCancelled);

    answer([](QWidget* w) {
        SelectRow(w, "lvMulticasts", 0);
        Click(w, "btnOk");
    });
    const TMulticastPick zone = PickMulticast(place, {"239.0.0.1=5001"}, true);
    EXPECT_EQ(zone.result, TPickResult::kPicked);
    EXPECT_EQ(zone.address, "239.0.0.1");
    EXPECT_EQ(zone.port, "5000");

    answer([](QWidget* w) { Click(w, "btnOk"); });
    const std::optional<TListRows> selected = SelectContacts(place, {"8002=Gate"});
    ASSERT_TRUE(selected);
    ASSERT_EQ(selected->size(), 1u);
    EXPECT_EQ(selected->front().columns, (std::vector<std::string>{"8002", "Gate", "F1"}));

    answer([](QWidget* w) { Click(w, "btnClose"); });
    EXPECT_FALSE(SelectMulticasts(place, {"239.0.0.1=5000"}));
}

}  // namespace

namespace {

TEST_F(BookEditorsTest, ImportAddsTheRowsThatPassAndExportRoundTripsThroughCsvAndWorkbooks) {
    const std::string fixtures = PELMORA_SOURCE_DIR "/tests/data/spreadsheets/";
    Write(kContactsFile, Rows({{"8001", "=1+2", "F1"}}));
    auto editor = Open(true, TBookEditMode::kManage);
    EXPECT_TRUE(Child<QPushButton>(editor.get(), "btnImport")->isVisible());
    // Excel's GBK CSV: 8001 is taken already, the other three rows are added.
    prompter.fileNames = {QString::fromStdString(fixtures + "contacts-gbk.csv"),
                          QString::fromStdString(fixtures + "contacts-semicolon.csv")};
    Click(editor.get(), "btnImport");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Warning);
    EXPECT_EQ(prompter.messages[0].text,
              "已导入3行。\n以下1行未导入：\nline 2: the SIP account 8001 is already listed");
    const TListRows imported = Rows({{"8001", "=1+2", "F1"},
                                     {"8002", "东门, 入口", "一楼"},
                                     {"8003", "会议室 \"A\"", "二楼"},
                                     {"80041", "Gate West", "Outdoor"}});
    EXPECT_EQ(Stored(kContactsFile), imported);
    EXPECT_EQ(Shown(editor.get(), "lvContacts").size(), 4u);
    // The same rows again: all refused, the file as it was.
    Click(editor.get(), "btnImport");
    EXPECT_TRUE(prompter.messages[1].text.startsWith("已导入0行。\n以下4行未导入：\n"));
    EXPECT_EQ(Stored(kContactsFile), imported);

    for (const char* name : {"out.csv", "out.xlsx"}) {
        const QString file = QString::fromStdString((home / name).string());
        prompter.messages.clear();
        prompter.fileNames = {file};
        Click(editor.get(), "btnExport");
        EXPECT_TRUE(prompter.messages.empty()) << name;
        // Into an empty list through a new editor.
        fs::remove(Path(kContactsFile));
        auto again = Open(true, TBookEditMode::kManage);
        prompter.fileNames = {file};
        Click(again.get(), "btnImport");
        ASSERT_EQ(prompter.messages.size(), 1u) << name;
        EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Information);
        EXPECT_EQ(Stored(kContactsFile), imported) << name;
    }
}

TEST_F(BookEditorsTest, AnImportRefusedAsAWholeChangesNothing) {
    Write(kMulticastsFile, Rows({{"Hall", "239.1.1.1", "5000"}}));
    std::ofstream(home / "zones.csv") << "Zone,Address\r\nYard,239.1.1.2\r\n";
    auto editor = Open(false, TBookEditMode::kManage);
    prompter.fileNames = {QString::fromStdString((home / "zones.csv").string())};
    Click(editor.get(), "btnImport");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Error);
    EXPECT_EQ(prompter.messages[0].text,
              "文件[" + QString::fromStdString((home / "zones.csv").string()) +
                  "]无法导入，列表未作任何更改：\nline 1: the header is not ZoneName,Address,Port");
    EXPECT_EQ(Stored(kMulticastsFile), Rows({{"Hall", "239.1.1.1", "5000"}}));
    // Only managing offers import and export.
    auto pick = Open(false, TBookEditMode::kPick);
    EXPECT_FALSE(Child<QPushButton>(pick.get(), "btnImport")->isVisible());
    EXPECT_FALSE(Child<QPushButton>(pick.get(), "btnExport")->isVisible());
}

}  // namespace
