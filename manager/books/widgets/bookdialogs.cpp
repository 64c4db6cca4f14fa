#include "manager/books/widgets/bookdialogs.h"

#include <memory>

#include "manager/books/widgets/frmcontactedit.h"
#include "manager/books/widgets/frmmulticastedit.h"

namespace {

std::string PathOf(const TBookEditorPlace& place, const char* file) {
    return ListFilePath(place.programFolder.toStdString(), file);
}

TFrmContactEdit* NewContactEdit(const TBookEditorPlace& place, TBookEditMode mode) {
    return new TFrmContactEdit(mode, PathOf(place, kContactsFile), *place.prompter, place.parent);
}

TFrmMulticastEdit* NewMulticastEdit(const TBookEditorPlace& place, TBookEditMode mode) {
    return new TFrmMulticastEdit(mode, PathOf(place, kMulticastsFile), *place.prompter,
                                 place.parent);
}

QString Trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed();
}

// The selected row after OK; result kCancelled after Close.
std::optional<std::optional<TListRow>> RunPick(TFrmBookEdit& editor) {
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    const std::optional<std::size_t> row = editor.SelectedIndex();
    if (!row) return std::optional<TListRow>();
    return std::optional<TListRow>(editor.Rows()[*row]);
}

std::optional<TListRows> RunSelect(TFrmBookEdit& editor, const QStringList& preselection) {
    editor.SetPreselection(preselection);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.TickedRows();
}

}  // namespace

void ManageContacts(const TBookEditorPlace& place) {
    std::unique_ptr<TFrmContactEdit> editor(NewContactEdit(place, TBookEditMode::kManage));
    editor->exec();
}

void ManageMulticasts(const TBookEditorPlace& place) {
    std::unique_ptr<TFrmMulticastEdit> editor(NewMulticastEdit(place, TBookEditMode::kManage));
    editor->exec();
}

TContactPick PickContact(const TBookEditorPlace& place) {
    std::unique_ptr<TFrmContactEdit> editor(NewContactEdit(place, TBookEditMode::kPick));
    const std::optional<std::optional<TListRow>> picked = RunPick(*editor);
    if (!picked) return {TPickResult::kCancelled, {}};
    if (!*picked) return {TPickResult::kNone, {}};
    return {TPickResult::kPicked, Trimmed((*picked)->Column(contactcol::kSipAccount))};
}

TMulticastPick PickMulticast(const TBookEditorPlace& place, const QStringList& inUse,
                             bool checkInUse) {
    std::unique_ptr<TFrmMulticastEdit> editor(NewMulticastEdit(place, TBookEditMode::kPick));
    editor->SetInUse(inUse, checkInUse);
    const std::optional<std::optional<TListRow>> picked = RunPick(*editor);
    if (!picked) return {TPickResult::kCancelled, {}, {}};
    if (!*picked) return {TPickResult::kNone, {}, {}};
    return {TPickResult::kPicked, Trimmed((*picked)->Column(multicastcol::kAddress)),
            Trimmed((*picked)->Column(multicastcol::kPort))};
}

std::optional<TListRows> SelectContacts(const TBookEditorPlace& place,
                                        const QStringList& preselection) {
    std::unique_ptr<TFrmContactEdit> editor(NewContactEdit(place, TBookEditMode::kSelect));
    return RunSelect(*editor, preselection);
}

std::optional<TListRows> SelectMulticasts(const TBookEditorPlace& place,
                                          const QStringList& preselection) {
    std::unique_ptr<TFrmMulticastEdit> editor(NewMulticastEdit(place, TBookEditMode::kSelect));
    return RunSelect(*editor, preselection);
}
