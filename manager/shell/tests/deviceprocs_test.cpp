// Login, logout, reset and the read before the property editor, against the mock library.
#include "manager/shell/deviceprocs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "common/translation.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/xmlobj.h"
#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/shell/frmlogin.h"
#include "manager/shell/tests/shelltestutil.h"
#include "tests/shippedlanguage.h"

using ::testing::_;
using ::testing::DoAll;
using ::testing::Eq;
using ::testing::Invoke;
using ::testing::Return;

namespace {

const TMacBytes kMac{0, 26, 43, 60, 77, 94};

class DeviceProcsTest : public ::testing::Test {
  protected:
    TDeviceProcs Procs() {
        return TDeviceProcs(access, prompter, nullptr, [this]() -> std::optional<TLoginAnswer> {
            ++dialogs;
            return loginAnswer;
        });
    }
    // Scripts consecutive results of Login and records the credentials of each call.
    void ScriptLogin(std::vector<std::int32_t> results) {
        auto script = std::make_shared<std::vector<std::int32_t>>(std::move(results));
        EXPECT_CALL(access, Login(_, _, _))
            .Times(static_cast<int>(script->size()))
            .WillRepeatedly(Invoke([this, script](const std::string& ip, const TMacBytes& mac,
                                                  TDeviceCredentials* cred) {
                EXPECT_EQ(mac, kMac);
                logins.push_back({ip, cred->user, cred->password});
                const std::int32_t result = script->front();
                script->erase(script->begin());
                return result;
            }));
    }
    QStringList Texts() const { return prompter.MessageTexts(); }

    struct TLoginCall {
        std::string ip, user, password;
    };
    ::testing::StrictMock<MockDeviceAccess> access;
    TScriptedPrompter prompter;
    std::optional<TLoginAnswer> loginAnswer;
    int dialogs = 0;
    std::vector<TLoginCall> logins;
};

TEST_F(DeviceProcsTest, LoginRetriesWhileBusyAndReportsOtherResults) {
    struct Case {
        std::vector<std::int32_t> results;
        bool answer;
        QStringList messages;
    } cases[] = {
        {{1}, true, {}},
        {{-3, -3, 1}, true, {}},
        {{-3, -3, -3, -3, -3}, false, {QStringLiteral("读取故障，errcode = -3")}},
        {{-3, -2}, false, {QStringLiteral("读取故障，errcode = -2")}},
    };
    for (Case& c : cases) {
        prompter.messages.clear();
        logins.clear();
        ScriptLogin(c.results);
        EXPECT_EQ(Procs().LoginDevice("10.0.0.7", kMac), c.answer);
        EXPECT_EQ(Texts(), c.messages);
        ASSERT_EQ(logins.size(), c.results.size());
        for (const TLoginCall& call : logins) {
            EXPECT_EQ(call.ip, "10.0.0.7");
            EXPECT_EQ(call.user, "");
            EXPECT_EQ(call.password, "");
        }
        ::testing::Mock::VerifyAndClearExpectations(&access);
    }
    EXPECT_EQ(dialogs, 0);
}

TEST_F(DeviceProcsTest, LoginAsksForCredentialsOnce) {
    loginAnswer = TLoginAnswer{" admin ", "50738264 "};
    ScriptLogin({-3, -6, 1});
    EXPECT_TRUE(Procs().LoginDevice("", kMac));
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(logins.size(), 3u);
    EXPECT_EQ(logins[2].user, "admin");
    EXPECT_EQ(logins[2].password, "50738264");
    EXPECT_TRUE(Texts().isEmpty());
}

TEST_F(DeviceProcsTest, RefusedCredentialsLogOutOnceAndSayWhy) {
    loginAnswer = TLoginAnswer{"a-user-name-longer-than-15", "pw"};
    ScriptLogin({-6, -6});
    TDeviceCredentials logoutCredentials{};
    EXPECT_CALL(access, Logout("10.0.0.7", Eq(kMac), _))
        .WillOnce(DoAll(Invoke([&](const std::string&, const TMacBytes&, TDeviceCredentials* c) {
                            logoutCredentials = *c;
                        }),
                        Return(-3)));
    EXPECT_FALSE(Procs().LoginDevice("10.0.0.7", kMac));
    EXPECT_EQ(logins[1].user, "a-user-name-lon");  // 15 characters and the terminator
    EXPECT_EQ(std::string(logoutCredentials.user), "a-user-name-lon");
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("用户名或密码错误！")});
}

TEST(FrmLoginTest, BuiltInTextsLimitsAndMask) {
    TFrmLogin dialog;
    dialog.show();
    const std::pair<QString, QString> texts[] = {
        {dialog.windowTitle(), "Login"},
        {dialog.grpBoxLogin->title(), QStringLiteral("登录信息")},
        {dialog.lblUserName->text(), QStringLiteral("用  户  名(&U)")},
        {dialog.lblPassword->text(), QStringLiteral("密        码(&P)")},
        {dialog.edtUserName->text(), "admin"},
        {dialog.edtPassword->text(), "50738264"},
        {dialog.edtPassword->displayText(), "********"},
        {dialog.btnOk->text(), QStringLiteral("确    定(&O)")},
        {dialog.btnCancel->text(), QStringLiteral("取    消(&C)")},
    };
    for (const auto& [shown, expected] : texts)
        EXPECT_EQ(shown, expected);
    EXPECT_EQ(dialog.edtUserName->maxLength(), 15);
    EXPECT_EQ(dialog.edtPassword->maxLength(), 15);
    EXPECT_TRUE(dialog.btnOk->isDefault());
}

TEST(FrmLoginTest, AskerAnswersTheBoxesOnOkAndNothingOnCancel) {
    for (const bool ok : {true, false}) {
        QTimer::singleShot(0, [ok] {
            auto* dialog = qobject_cast<TFrmLogin*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->edtUserName->setText(" maint ");
            (ok ? dialog->btnOk : dialog->btnCancel)->click();
        });
        const std::optional<TLoginAnswer> answer = LoginDialogAsker(nullptr)();
        ASSERT_EQ(answer.has_value(), ok);
        if (ok) {
            EXPECT_EQ(answer->user, " maint ");  // LoginDevice trims
            EXPECT_EQ(answer->password, "50738264");
        }
    }
}

// With the shipped language file in English, the asker shows the dialog wholly in English.
TEST(FrmLoginTest, AskerShowsTheDialogInTheProgramsLanguage) {
    TShippedLanguage doc;
    ASSERT_TRUE(doc.Loaded());
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* dialog = QApplication::activeModalWidget();
        shown << dialog->windowTitle() << dialog->findChild<QGroupBox*>("grpBoxLogin")->title();
        for (const char* label : {"lblUserName", "lblPassword"})
            shown << dialog->findChild<QLabel*>(label)->text();
        for (const char* button : {"btnOk", "btnCancel"})
            shown << dialog->findChild<QPushButton*>(button)->text();
        dialog->close();
    });
    EXPECT_FALSE(LoginDialogAsker(nullptr)().has_value());
    EXPECT_EQ(shown, QStringList({"Log in", "Login information", "&User name", "&Password", "&OK",
                                  "&Cancel"}));
}

TEST_F(DeviceProcsTest, CancelInTheLoginDialogEndsTheLogin) {
    ScriptLogin({-6});
    EXPECT_FALSE(Procs().LoginDevice("10.0.0.7", kMac));
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(Texts().isEmpty());
}

TEST_F(DeviceProcsTest, LogoutOnlyWithAnAddressAndUpToFiveTries) {
    Procs().LogoutDevice("", kMac);
    Procs().LogoutDevice("  ", kMac);
    ::testing::Mock::VerifyAndClearExpectations(&access);

    EXPECT_CALL(access, Logout("10.0.0.7", Eq(kMac), _))
        .WillOnce(Return(-3))
        .WillOnce(Return(-3))
        .WillOnce(Return(-9));
    Procs().LogoutDevice("10.0.0.7", kMac);
    ::testing::Mock::VerifyAndClearExpectations(&access);

    EXPECT_CALL(access, Logout("10.0.0.7", Eq(kMac), _)).Times(5).WillRepeatedly(Return(-3));
    Procs().LogoutDevice("10.0.0.7", kMac);
    EXPECT_TRUE(Texts().isEmpty());
}

TEST_F(DeviceProcsTest, ResetLogsInOnceThenResets) {
    TDeviceRow row = MakeRow("0.26.43.60.77.94", " 10.0.0.7 ", "LocalNetwork", "Online");
    struct Case {
        std::int32_t login;
        std::optional<std::int32_t> reset;  // none: not called
        QStringList messages;
        IPrompter::Kind kind;
    } cases[] = {
        {-3, std::nullopt, {}, IPrompter::Kind::Error},
        {-6, std::nullopt, {}, IPrompter::Kind::Error},
        {1, 1, {QStringLiteral("复位成功")}, IPrompter::Kind::Information},
        {1, -4, {QStringLiteral("读取故障，errcode = -4")}, IPrompter::Kind::Error},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        EXPECT_CALL(access, Login("10.0.0.7", Eq(kMac), _)).WillOnce(Return(c.login));
        if (c.reset) {
            EXPECT_CALL(access, Reset("10.0.0.7", Eq(kMac), _)).WillOnce(Return(*c.reset));
        }
        Procs().ResetDevice(row);
        EXPECT_EQ(Texts(), c.messages);
        if (!c.messages.isEmpty()) {
            EXPECT_EQ(prompter.messages[0].kind, c.kind);
        }
        ::testing::Mock::VerifyAndClearExpectations(&access);
    }
}

TEST_F(DeviceProcsTest, PropertiesRefuseOfflineAndOldFirmware) {
    struct Case {
        int icon;
        const char* firmware;
        const char* message;  // null: the block is read
    } cases[] = {
        {0, "V3.0", "设备已离线，程序无法获取设备属性"},
        {1, "", "本程序不支持设备的版本低于V2.5"},
        {1, "V2.10", "本程序不支持设备的版本低于V2.5"},
        {3, "V1.9", "本程序不支持设备的版本低于V2.5"},
        {6, "V2.5", nullptr},
        {1, "V2.5.1", nullptr},
        {1, "V3.0", nullptr},
        {1, "v2.5", nullptr},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        TDeviceRow row = MakeRow("0.26.43.60.77.94", "10.0.0.7", "LocalNetwork", "Online");
        row.icon = c.icon;
        row.columns[kColFirmware] = c.firmware;
        if (c.message == nullptr)
            EXPECT_CALL(access, ReadSetting("", Eq(kMac), _, _))
                .WillOnce(Invoke([](const std::string&, const TMacBytes&, std::uint8_t* block,
                                    TDeviceCredentials*) {
                    StrToFixed("IP-SIP-520", block + kParamModelOffset, 32);
                    return 1;
                }));
        const bool read = Procs().ReadDeviceProperties(row).has_value();
        EXPECT_EQ(read, c.message == nullptr) << c.firmware;
        EXPECT_EQ(Texts(), c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
        ::testing::Mock::VerifyAndClearExpectations(&access);
    }
}

TEST_F(DeviceProcsTest, PropertiesReadUpToFiveTimesAndNeedASipModel) {
    TDeviceRow books = MakeRow("0.26.43.60.77.94", "10.0.0.7", "Books", "Online");
    books.icon = 1;
    books.columns[kColFirmware] = "V2.6";
    books.netInfo = TRowNetInfo{{255, 255, 255, 0}, {10, 0, 0, 1}, {0, 0, 0, 0}, {8, 8, 4, 4}};

    EXPECT_CALL(access, ReadSetting("10.0.0.7", Eq(kMac), _, _))
        .WillOnce(Return(-3))
        .WillOnce(Return(0))
        .WillOnce(Return(-2))
        .WillOnce(Return(-3))
        .WillOnce(Return(-7));
    EXPECT_FALSE(Procs().ReadDeviceProperties(books));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("读取故障，errcode = -7")});
    ::testing::Mock::VerifyAndClearExpectations(&access);

    const char* models[] = {"SIP-310", "intercom"};
    for (const char* model : models) {
        prompter.messages.clear();
        EXPECT_CALL(access, ReadSetting("10.0.0.7", Eq(kMac), _, _))
            .WillOnce(Return(-3))
            .WillOnce(Return(-3))
            .WillOnce(Invoke([model](const std::string&, const TMacBytes&, std::uint8_t* block,
                                     TDeviceCredentials*) {
                StrToFixed(model, block + kParamModelOffset, 32);
                return 1;
            }));
        const std::optional<TPropertySession> session = Procs().ReadDeviceProperties(books);
        ::testing::Mock::VerifyAndClearExpectations(&access);
        if (std::string(model) == "intercom") {
            EXPECT_FALSE(session);
            EXPECT_EQ(Texts(), QStringList{QStringLiteral("不是SIP设备，无法获取设备属性")});
            continue;
        }
        ASSERT_TRUE(session);
        EXPECT_TRUE(Texts().isEmpty());
        EXPECT_EQ(session->accessAddress, "10.0.0.7");
        EXPECT_EQ(session->ip, "10.0.0.7");
        EXPECT_EQ(session->mask, "255.255.255.0");
        EXPECT_EQ(session->gateway, "10.0.0.1");
        EXPECT_EQ(session->dns1, "");  // 0.0.0.0 is handed over empty
        EXPECT_EQ(session->dns2, "8.8.4.4");
        EXPECT_EQ(session->mac, kMac);
    }
}

// With the shipped language file in English, every message shows the text of its own key, so a
// message that borrowed another key's text would show.
TEST_F(DeviceProcsTest, EachMessageShowsItsOwnKeysEnglishText) {
    TShippedLanguage doc;
    ASSERT_TRUE(doc.Loaded());
    auto english = [&doc](int keyWord) {
        return QString::fromStdString(doc.ReadValue(
            "Pelmora/Messagedlg/FrmMain/keyWord" + std::to_string(keyWord) + "/English", ""));
    };
    auto block = [](const char* model) {
        return Invoke(
            [model](const std::string&, const TMacBytes&, std::uint8_t* b, TDeviceCredentials*) {
                StrToFixed(model, b + kParamModelOffset, 32);
                return 1;
            });
    };
    TDeviceRow row = MakeRow("0.26.43.60.77.94", "10.0.0.7", "LocalNetwork", "Online");
    row.icon = kIconLocalComplete;
    row.columns[kColFirmware] = "V2.6";
    struct Case {
        const char* name;
        int keyWord;
        QString arg;  // fills %d
        std::function<void()> run;
    };
    const Case cases[] = {
        {"reset accepted",
         9,
         {},
         [&] {
             EXPECT_CALL(access, Login(_, _, _)).WillOnce(Return(1));
             EXPECT_CALL(access, Reset(_, _, _)).WillOnce(Return(1));
             Procs().ResetDevice(row);
         }},
        {"reset refused", 7, "-4",
         [&] {
             EXPECT_CALL(access, Login(_, _, _)).WillOnce(Return(1));
             EXPECT_CALL(access, Reset(_, _, _)).WillOnce(Return(-4));
             Procs().ResetDevice(row);
         }},
        {"login failed", 7, "-2",
         [&] {
             EXPECT_CALL(access, Login(_, _, _)).WillOnce(Return(-2));
             Procs().LoginDevice("10.0.0.7", kMac);
         }},
        {"credentials refused",
         8,
         {},
         [&] {
             loginAnswer = TLoginAnswer{"admin", "x"};
             EXPECT_CALL(access, Login(_, _, _)).Times(2).WillRepeatedly(Return(-6));
             EXPECT_CALL(access, Logout(_, _, _)).WillOnce(Return(1));
             Procs().LoginDevice("10.0.0.7", kMac);
         }},
        {"offline",
         3,
         {},
         [&] {
             TDeviceRow offline = row;
             offline.icon = kIconUnreachable;
             Procs().ReadDeviceProperties(offline);
         }},
        {"old firmware",
         4,
         {},
         [&] {
             TDeviceRow old = row;
             old.columns[kColFirmware] = "V2.4";
             Procs().ReadDeviceProperties(old);
         }},
        {"read failed", 7, "0",
         [&] {
             EXPECT_CALL(access, ReadSetting(_, _, _, _)).Times(5).WillRepeatedly(Return(0));
             Procs().ReadDeviceProperties(row);
         }},
        {"not SIP",
         5,
         {},
         [&] {
             EXPECT_CALL(access, ReadSetting(_, _, _, _)).WillOnce(block("intercom"));
             Procs().ReadDeviceProperties(row);
         }},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        c.run();
        ::testing::Mock::VerifyAndClearExpectations(&access);
        QString expected = english(c.keyWord);
        ASSERT_FALSE(expected.isEmpty()) << c.keyWord;
        if (!c.arg.isEmpty()) expected.replace("%d", c.arg);
        EXPECT_EQ(Texts(), QStringList{expected}) << c.name;
    }
}

}  // namespace
