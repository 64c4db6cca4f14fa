// The pages of the property editor and how they plug into it.
//
// A page is a widget derived from TPropertyPage. It is registered once, by the name of its entry
// in the page table (PageTable(), e.g. "BaseParam"), with a factory that builds it. The editor
// (TFrmProperty) builds every registered page when it is created, places it in the page area,
// disables or hides the controls its model family restricts (familyrestrictions.h, by object
// name), and calls its operations:
//
//   Load(block)   fill the controls from a block: at opening with the terminal's block, and again
//                 from another block for the parameter-file commands;
//   Save(block)   write the controls into a block's fields (through the field table);
//   Check()       the page's input checks before a save; the first failure names the box.
//
// A page fills its own lists when it is built, and disables what it never lets the user edit (all
// controls of the control serial page) when it loads; the frame touches its controls only for the
// family restrictions.
//
// Loads, checks and saves run in page table order, over the pages whose entry is shown for the
// block's model family and feature flags (IsPageShown). A page that is not registered is left out
// of the tree; an entry without a page of its own (AddressBook, Extended) appears when one of its
// children does.
//
// Adding a page:
//
//   class TTalkPage : public TPropertyPage { ... };          // controls named as the system names
//   void RegisterTalkPage(TPageRegistry& registry) {
//       registry.AddPage({.name = "IntercomSetting",
//                         .create = [](TEditorContext& c) { return new TTalkPage(c); }});
//   }
//
// and one line calling RegisterTalkPage in StandardPageRegistry() (editorpages.cpp). The page's
// widget carries the entry's page object name ("tbShtIntercom"). The four parameter-file buttons
// of the editor are wired the same way with AddCommand.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manager/access/addresstext.h"
#include "manager/access/devicerecord.h"
#include "manager/books/widgets/bookdialogs.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramfamily.h"

class IPrompter;
class TFrmProperty;

// What the editor shares with its pages. The editor owns it; pages keep a reference.
struct TEditorContext {
    IPrompter* prompter = nullptr;
    QString settingsFile;  // "SysConfig.ini": remembered server addresses
    QString dataFolder;    // program folder + "Data/", with the trailing separator
    // The terminal: its access address (empty on the local network) and block, whose MAC and IP
    // address the downloads of the address-book pages use.
    std::string accessAddress;
    const TParamBlock* terminalBlock = nullptr;
    // The running network state shown on the run-information page: IP address, subnet mask,
    // gateway, primary and secondary DNS.
    std::array<QString, 5> displayTexts{"0.0.0.0", "255.255.255.0", "0.0.0.0", "0.0.0.0",
                                        "0.0.0.0"};
    // The family of the block loaded last and its default values (none without a family).
    TModelFamily family = TModelFamily::kNone;
    std::optional<TFamilyDefaults> familyDefaults;
    // Log in to and out of the terminal (access address and MAC of the terminal block).
    std::function<bool()> login;
    std::function<void()> logout;
    // The address books' pick dialogs (PickContact, PickMulticast) over parent.
    std::function<TContactPick(QWidget* parent)> pickContact;
    std::function<TMulticastPick(QWidget* parent, const QStringList& inUse, bool checkInUse)>
        pickMulticast;
    // The address books' select dialogs (SelectContacts, SelectMulticasts) over parent.
    std::function<std::optional<TListRows>(QWidget*parent, const QStringList&preselection)>
        selectContacts, selectMulticasts;
    // The device-access library's search for one address (the downloads' online check).
    std::function<std::int32_t(const std::string& ip, TDeviceRecord* record)> searchOne;
    // Set by a move on an address-book page, cleared when a page saves its list on being left.
    bool bookChanged = false;
};

// A failed input check: the box to focus and the message to show.
struct TPageCheckFailure {
    QWidget* box = nullptr;
    QString message;
};

class TPropertyPage : public QWidget {
  public:
    explicit TPropertyPage(TEditorContext& context) : context_(context) {}

    virtual void Load(const TParamBlock& block) = 0;
    virtual void Save(TParamBlock& /*block*/) const {}
    virtual std::optional<TPageCheckFailure> Check() const { return std::nullopt; }

  protected:
    TEditorContext& context_;
};

struct TPageRegistration {
    std::string name{};  // entry of the page table
    std::function<TPropertyPage*(TEditorContext&)> create{};
    bool runInfo = false;  // loaded only at opening, with the running state of the terminal
};

// A command of one of the editor's buttons ("btnDefParams", "btnSaveParams", "btnExportParams",
// "btnImportParams"). A button without a command is disabled.
using TEditorCommand = std::function<void(TFrmProperty& editor)>;

class TPageRegistry {
  public:
    // Registers or replaces the page of an entry. Refused (false) for a name the page table does
    // not have or whose entry has no page.
    bool AddPage(TPageRegistration page);
    void AddCommand(std::string buttonName, TEditorCommand command);

    const TPageRegistration* Page(std::string_view name) const;
    const TEditorCommand* Command(std::string_view buttonName) const;
    const std::vector<TPageRegistration>& Pages() const { return pages_; }

  private:
    std::vector<TPageRegistration> pages_;
    std::vector<std::pair<std::string, TEditorCommand>> commands_;
};
