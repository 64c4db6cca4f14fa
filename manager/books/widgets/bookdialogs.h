// The calls that other windows make to open the contact and multicast editors. Each creates the
// editor, translates and shows it modally, reads its result and destroys it. Whatever the mode,
// the editor's adds, modifications and deletions are saved to the master list at once and stay
// when the editor is closed.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "manager/books/listfile.h"

class IPrompter;
class QWidget;

// Where an editor opens: the window it belongs to, the prompter for its message boxes, and the
// program folder whose data folder "Data" holds "Contacts.dat" and "Multicasts.dat".
struct TBookEditorPlace {
    QWidget* parent = nullptr;
    IPrompter* prompter = nullptr;
    QString programFolder;
};

// Manage mode: the editor only edits; there is no OK button.
void ManageContacts(const TBookEditorPlace& place);
void ManageMulticasts(const TBookEditorPlace& place);

enum class TPickResult {
    kPicked,     // OK with a selected row
    kNone,       // OK without a selected row: the caller clears its field(s)
    kCancelled,  // Close: the caller leaves its field(s) as they are
};

struct TContactPick {
    TPickResult result = TPickResult::kCancelled;
    QString sipAccount;  // kPicked: the row's SIP account, trimmed
};

// Pick mode: one contact for a key's SIP field.
TContactPick PickContact(const TBookEditorPlace& place);

struct TMulticastPick {
    TPickResult result = TPickResult::kCancelled;
    QString address, port;  // kPicked: the row's multicast address and port, trimmed
};

// Pick mode: one zone's address and port. inUse: the caller's address=port texts; with
// checkInUse OK refuses a row that is among them (letter case ignored).
TMulticastPick PickMulticast(const TBookEditorPlace& place, const QStringList& inUse = {},
                             bool checkInUse = false);

// Select mode: the ticked rows in list order, each with its three columns (and its number in
// the master list, which the caller renumbers for its own list); none when closed with Close.
// preselection ticks rows on opening: contacts by texts "account=display name" (matched on the
// account), zones by texts "address=port"; letter case is ignored. At most 999 contacts and 99
// zones can be taken.
std::optional<TListRows> SelectContacts(const TBookEditorPlace& place,
                                        const QStringList& preselection);
std::optional<TListRows> SelectMulticasts(const TBookEditorPlace& place,
                                          const QStringList& preselection);
