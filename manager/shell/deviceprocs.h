// The main window's procedures that talk to one terminal: login (with the login dialog when the
// terminal wants credentials), logout, reset, and the read that opens a terminal's properties.
// They run on the window thread; every message goes through the prompter with the keys
// "Pelmora/Messagedlg/FrmMain/keyWord<n>".
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "manager/access/deviceaccess.h"
#include "manager/params/paramblock.h"
#include "manager/shell/devicelist.h"

#include "common/widgets/prompter.h"

class QWidget;

// What the login dialog answered: user name and password, or nothing when it was cancelled.
struct TLoginAnswer {
    QString user;
    QString password;
};
using TAskLogin = std::function<std::optional<TLoginAnswer>()>;

// The short name in the main window's message keys "Pelmora/Messagedlg/FrmMain/keyWord<n>".
constexpr std::string_view kMainMessages = "FrmMain";

// A TAskLogin that shows TFrmLogin modally, centred on parent, in the program's language.
TAskLogin LoginDialogAsker(QWidget* parent);

// The access address of a row: its IP text for a Books row, empty otherwise (the library then
// reaches the terminal by its MAC).
std::string AccessAddress(const TDeviceRow& row);

// A terminal's block as read for the property editor, with the texts the editor is given.
struct TPropertySession {
    std::string accessAddress;
    std::string ip;
    std::string mask, gateway, dns1, dns2;  // "" for 0.0.0.0 or without a network record
    TMacBytes mac{};
    TParamBlock block{};

    // The six texts in the editor's order: access address, IP, mask, gateway, DNS 1, DNS 2.
    std::array<std::string, 6> Texts() const {
        return {accessAddress, ip, mask, gateway, dns1, dns2};
    }
};

// The property editor, shown modally: given the block read and the six texts, answers the edited
// block when it ended with OK (it has logged in by then), nothing otherwise.
using TEditProperties = std::function<std::optional<TParamBlock>(const TPropertySession&)>;

// Puts what a written block says into the list row: account, display name and IP address, and
// the icon they give.
void ShowWrittenBlock(TDeviceRow& row, const TParamBlock& block);

class TDeviceProcs {
  public:
    TDeviceProcs(IDeviceAccess& access, IPrompter& prompter, QWidget* parent, TAskLogin askLogin);

    // Logs in: up to 5 calls while the terminal is busy; on a credentials request the login
    // dialog, then one more call. Answers yes when logged in; shows keyWord8 or keyWord7 otherwise.
    bool LoginDevice(const std::string& ip, const TMacBytes& mac);
    // Logs out (not for an empty address): up to 5 calls while the terminal is busy.
    void LogoutDevice(const std::string& ip, const TMacBytes& mac);
    // Login once (silently stopping unless it succeeds), then reset; keyWord9 when the terminal
    // accepted the reset, keyWord7 with the result otherwise.
    void ResetDevice(const TDeviceRow& row);
    // The checks and the read before the property editor opens: offline (keyWord3), firmware
    // below V2.5 (keyWord4), up to 5 reads (keyWord7), not a SIP model (keyWord5).
    std::optional<TPropertySession> ReadDeviceProperties(const TDeviceRow& row);
    // Writes the edited block back: up to 6 calls until one succeeds, keyWord6 with the row's IP
    // text and 6 when none did; then, either way, the logout (only for a non-empty access
    // address). Answers whether the block was written.
    bool WriteDeviceProperties(const TPropertySession& session, const TParamBlock& edited);

  private:
    IDeviceAccess& access_;
    IPrompter& prompter_;
    QWidget* parent_;
    TAskLogin askLogin_;
};
