#include "manager/shell/deviceprocs.h"

#include <cstring>

#include "common/textutil.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/keymessage.h"
#include "common/widgets/prompter.h"
#include "manager/params/paramdevice.h"
#include "manager/shell/frmlogin.h"

#include <QLineEdit>

namespace {

TDeviceCredentials EmptyCredentials() {
    TDeviceCredentials credentials;
    std::memset(&credentials, 0, sizeof credentials);
    return credentials;
}

std::string NetText(const std::optional<TRowNetInfo>& info, TIpBytes TRowNetInfo::*field) {
    if (!info) return {};
    const std::string text = BytesToDotted(((*info).*field).data(), 4);
    return text == "0.0.0.0" ? std::string() : text;
}

}  // namespace

TAskLogin LoginDialogAsker(QWidget* parent) {
    return [parent]() -> std::optional<TLoginAnswer> {
        TFrmLogin dialog(parent);
        TranslateForm(&dialog);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return TLoginAnswer{dialog.edtUserName->text(), dialog.edtPassword->text()};
    };
}

std::string AccessAddress(const TDeviceRow& row) {
    return row.IsBooks() ? row.columns[kColIp] : std::string();
}

TDeviceProcs::TDeviceProcs(IDeviceAccess& access, IPrompter& prompter, QWidget* parent,
                           TAskLogin askLogin)
    : access_(access), prompter_(prompter), parent_(parent), askLogin_(std::move(askLogin)) {}

bool TDeviceProcs::LoginDevice(const std::string& ip, const TMacBytes& mac) {
    // Cancel ends the login: the terminal is not asked again with texts the user declined.
    const TLoginOutcome outcome =
        LoginTerminal(access_, ip, mac, [this]() -> std::optional<TLoginCredentials> {
            const std::optional<TLoginAnswer> answer = askLogin_ ? askLogin_() : std::nullopt;
            if (!answer) return std::nullopt;
            return TLoginCredentials{answer->user.toStdString(), answer->password.toStdString()};
        });
    switch (outcome.kind) {
        case TLoginOutcome::TKind::kLoggedIn:
            return true;
        case TLoginOutcome::TKind::kDeclined:
            return false;
        case TLoginOutcome::TKind::kRefused:
            ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 8,
                           QStringLiteral("用户名或密码错误！"));
            return false;
        case TLoginOutcome::TKind::kFailed:
            break;
    }
    ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 7,
                   QStringLiteral("读取故障，errcode = %d"), {QString::number(outcome.result)});
    return false;
}

void TDeviceProcs::LogoutDevice(const std::string& ip, const TMacBytes& mac) {
    LogoutTerminal(access_, ip, mac);
}

void TDeviceProcs::ResetDevice(const TDeviceRow& row) {
    const std::string ip(TrimBlanks(row.columns[kColIp]));
    const TMacBytes mac = TextToMac(TrimBlanks(row.columns[kColMac]));
    TDeviceCredentials credentials = EmptyCredentials();
    if (access_.Login(ip, mac, &credentials) != kvresult::kOk) return;
    const std::int32_t result = access_.Reset(ip, mac, &credentials);
    // libkvsetup answers 1 when the terminal accepted the reset.
    if (result == kvresult::kOk)
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Information, kMainMessages, 9,
                       QStringLiteral("复位成功"));
    else
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 7,
                       QStringLiteral("读取故障，errcode = %d"), {QString::number(result)});
}

std::optional<TPropertySession> TDeviceProcs::ReadDeviceProperties(const TDeviceRow& row) {
    if (row.icon == kIconUnreachable) {
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 3,
                       QStringLiteral("设备已离线，程序无法获取设备属性"));
        return std::nullopt;
    }
    if (IsFirmwareTooOld(row.columns[kColFirmware])) {
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 4,
                       QStringLiteral("本程序不支持设备的版本低于V2.5"));
        return std::nullopt;
    }
    TPropertySession session;
    session.accessAddress = AccessAddress(row);
    session.ip = row.columns[kColIp];
    session.mask = NetText(row.netInfo, &TRowNetInfo::mask);
    session.gateway = NetText(row.netInfo, &TRowNetInfo::gateway);
    session.dns1 = NetText(row.netInfo, &TRowNetInfo::dns1);
    session.dns2 = NetText(row.netInfo, &TRowNetInfo::dns2);
    session.mac = TextToMac(row.columns[kColMac]);

    const std::int32_t result =
        ReadParamBlock(access_, session.accessAddress, session.mac, session.block);
    if (result != kvresult::kOk) {
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 7,
                       QStringLiteral("读取故障，errcode = %d"), {QString::number(result)});
        return std::nullopt;
    }
    if (!IsSipModel(session.block.data() + kParamModelOffset)) {
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 5,
                       QStringLiteral("不是SIP设备，无法获取设备属性"));
        return std::nullopt;
    }
    return session;
}

bool TDeviceProcs::WriteDeviceProperties(const TPropertySession& session,
                                         const TParamBlock& edited) {
    int attempts = 0;
    const std::int32_t result =
        WriteParamBlock(access_, session.accessAddress, session.mac, edited, &attempts);
    const bool written = result == kvresult::kOk;
    if (!written)
        ShowKeyMessage(prompter_, parent_, IPrompter::Kind::Error, kMainMessages, 6,
                       QStringLiteral("设置设备(IP=%s)参数失败，重试%d次"),
                       {QString::fromStdString(session.ip), QString::number(attempts)});
    LogoutDevice(session.accessAddress, session.mac);
    return written;
}

void ShowWrittenBlock(TDeviceRow& row, const TParamBlock& block) {
    row.columns[kColAccount] = GetFieldText(block, ParamField("sip.user"));
    row.columns[kColDisplayName] = GetFieldText(block, ParamField("display_name"));
    row.columns[kColIp] = GetFieldIp(block, ParamField("ip"));
    row.icon = ChooseStatusIcon(row.columns[kColIp], row.columns[kColAccount],
                                row.columns[kColDisplayName]);
}
