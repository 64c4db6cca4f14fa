// The device dialog: every check with its message and focus, add mode rows, modify mode.
#include "manager/shell/frmdevedit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "common/widgets/testing/scriptedprompter.h"

namespace {

struct TAdded {
    QString account, name, ip;
    bool operator==(const TAdded&) const = default;
};

class FrmDevEditTest : public ::testing::Test {
  protected:
    void Fill(TFrmDevEdit& dialog, const QString& account, const QString& name, const QString& ip) {
        dialog.EdtDevNumber->setText(account);
        dialog.EdtDevName->setText(name);
        dialog.EdtDevIP->setText(ip);
    }
    std::unique_ptr<TFrmDevEdit> AddDialog(const QStringList& pairs) {
        auto dialog =
            std::make_unique<TFrmDevEdit>(TFrmDevEdit::TMode::Add, pairs, QString(), prompter);
        dialog->SetAddRow([this](const QString& a, const QString& n, const QString& i) {
            added.push_back({a, n, i});
        });
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        return dialog;
    }

    TScriptedPrompter prompter;
    std::vector<TAdded> added;
};

TEST_F(FrmDevEditTest, EachCheckStopsWithItsMessageAndFocus) {
    struct Case {
        const char *account, *name, *ip;
        const char* message;
        const char* focus;
    } cases[] = {
        {"", "Gate", "10.0.0.1", "用户账号不能为空，请输入！", "EdtDevNumber"},
        {"  ", "Gate", "10.0.0.1", "用户账号不能为空，请输入！", "EdtDevNumber"},
        {"1001", " ", "10.0.0.1", "显示名称不能为空，请输入！", "EdtDevName"},
        {"1001", "Gate", "", "IP地址为空或不正确，请检查！", "EdtDevIP"},
        {"1001", "Gate", "192.168.1", "IP地址为空或不正确，请检查！", "EdtDevIP"},
        {"1001", "Gate", "192.168.1.10.", "IP地址为空或不正确，请检查！", "EdtDevIP"},
        {"1001", "Gate", "256.1.1.1", "IP地址为空或不正确，请检查！", "EdtDevIP"},
        {"1001", "Gate", "10.0.0.1", "用户账号为[1001]已存在，请核对后再输入！", "EdtDevNumber"},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        auto dialog = AddDialog({"1001=10.0.0.1"});
        Fill(*dialog, c.account, c.name, c.ip);
        dialog->btnDevOk->click();
        ASSERT_EQ(prompter.messages.size(), 1u) << c.message;
        EXPECT_EQ(prompter.messages[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Error);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focus) << c.message;
        // The boxes keep what was typed, the dialog stays open.
        EXPECT_EQ(dialog->EdtDevIP->text(), c.ip);
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_TRUE(added.empty());
}

TEST_F(FrmDevEditTest, AddModeAppendsOneRowPerConfirmation) {
    auto dialog = AddDialog({});
    const TAdded rows[] = {{"1001", "Gate", "192.168.1.10"},
                           {"1002", "Hall", "0.0.0.0"},
                           {"1001", "Gate 2", "192.168.1.11"}};
    for (const TAdded& row : rows) {
        Fill(*dialog, " " + row.account + " ", row.name + " ", row.ip);
        dialog->btnDevOk->click();
        EXPECT_TRUE(dialog->EdtDevNumber->text().isEmpty());
        EXPECT_TRUE(dialog->EdtDevName->text().isEmpty());
        EXPECT_TRUE(dialog->EdtDevIP->text().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), dialog->EdtDevNumber);
    }
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(added, std::vector<TAdded>(std::begin(rows), std::end(rows)));

    // The pairs added in this dialog are checked too.
    Fill(*dialog, "1001", "Again", "192.168.1.10");
    dialog->btnDevOk->click();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              QStringLiteral("用户账号为[1001]已存在，请核对后再输入！"));
    EXPECT_EQ(added.size(), 3u);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FrmDevEditTest, ModifyModeChecksDuplicatesOnlyForAChangedAccount) {
    const QStringList pairs{"1001=10.0.0.1", "1001=10.0.0.5", "1002=10.0.0.2"};
    struct Case {
        const char *account, *ip;
        bool accepted;
    } cases[] = {
        {"1001", "10.0.0.5", true},   // same account: no duplicate test
        {"1002", "10.0.0.2", false},  // changed account onto an existing pair
        {"1002", "10.0.0.9", true},   // changed account with an address of its own
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        TFrmDevEdit dialog(TFrmDevEdit::TMode::Modify, pairs, "1001", prompter);
        dialog.SetTexts("1001", "Gate", "10.0.0.1");
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改设备"));
        EXPECT_EQ(dialog.btnDevOk->text(), QStringLiteral("保    存(&S)"));
        EXPECT_EQ(dialog.btnDevCancel->text(), QStringLiteral("取    消(&C)"));
        dialog.EdtDevNumber->setText(c.account);
        dialog.EdtDevName->setText(" New name ");
        dialog.EdtDevIP->setText(c.ip);
        dialog.btnDevOk->click();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.account << " " << c.ip;
        EXPECT_EQ(prompter.messages.size(), c.accepted ? 0u : 1u);
        if (c.accepted) {
            EXPECT_EQ(dialog.Account(), c.account);
            EXPECT_EQ(dialog.DisplayName(), "New name");
            EXPECT_EQ(dialog.IpText(), c.ip);
        }
    }
}

TEST_F(FrmDevEditTest, ModifyModeKeepsRowTextsLongerThanTheTypingLimits) {
    struct Case {
        const char *account, *name, *ip;
    } cases[] = {
        {"1001", "A display name of 31 characters", "10.0.0.1"},  // the longest from a terminal
        {"12345678901234567890", "Gate", "10.0.0.1"},             // from a device text
        {"1001", "Gate", "10.0.0.1"},
    };
    for (const Case& c : cases) {
        TFrmDevEdit dialog(TFrmDevEdit::TMode::Modify, {}, c.account, prompter);
        dialog.SetTexts(c.account, c.name, c.ip);
        dialog.show();
        EXPECT_EQ(dialog.EdtDevName->text(), c.name);
        dialog.btnDevOk->click();
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << c.name;
        EXPECT_EQ(dialog.Account(), c.account);
        EXPECT_EQ(dialog.DisplayName(), c.name);
        EXPECT_EQ(dialog.IpText(), c.ip);
    }
    // The typing limit still holds for a short text.
    TFrmDevEdit dialog(TFrmDevEdit::TMode::Modify, {}, "1001", prompter);
    dialog.SetTexts("1001", "Gate", "10.0.0.1");
    dialog.show();
    dialog.EdtDevName->end(false);
    QTest::keyClicks(dialog.EdtDevName, " and a long tail");
    EXPECT_EQ(dialog.EdtDevName->text(), "Gate and a long ");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FrmDevEditTest, ARowsAccountWithOtherCharactersCanBeEdited) {
    // Accounts from a terminal or a device text need not be digits; deleting from them works,
    // and typing still adds digits only.
    TFrmDevEdit dialog(TFrmDevEdit::TMode::Modify, {}, "alice", prompter);
    dialog.SetTexts("alice", "Alice", "10.0.0.1");
    dialog.show();
    dialog.EdtDevNumber->setFocus();
    dialog.EdtDevNumber->end(false);
    QTest::keyClick(dialog.EdtDevNumber, Qt::Key_Backspace);
    QTest::keyClicks(dialog.EdtDevNumber, "x7");
    EXPECT_EQ(dialog.EdtDevNumber->text(), "alic7");
}

TEST_F(FrmDevEditTest, TypedCharactersAndLimits) {
    auto dialog = AddDialog({});
    EXPECT_EQ(dialog->windowTitle(), "Add device");
    EXPECT_EQ(dialog->btnDevOk->text(), QStringLiteral("添  加(&A)"));
    EXPECT_EQ(dialog->btnDevCancel->text(), QStringLiteral("关  闭(&C)"));
    EXPECT_TRUE(dialog->btnDevOk->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), dialog->EdtDevNumber);

    QTest::keyClicks(dialog->EdtDevNumber, "10a0-1 2345678901234567");
    EXPECT_EQ(dialog->EdtDevNumber->text(), "1001234567890123");  // digits only, 16 at most
    QTest::keyClicks(dialog->EdtDevIP, "192.168,1 .10x0000000");
    EXPECT_EQ(dialog->EdtDevIP->text(), "192.1681.100000");  // digits and dots, 15 at most
    QTest::keyClicks(dialog->EdtDevName, "A name longer than sixteen");
    EXPECT_EQ(dialog->EdtDevName->text(), "A name longer th");

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(added.empty());
}

}  // namespace
