// What the contact editor and the multicast editor share: the list of a master list file with
// its number column, the Add, Modify, Delete, OK and Close buttons, the three modes, the tick
// counter of select mode, the pre-selection, the column-header sort and the saving of every
// change, and in manage mode the import and export of the list as a spreadsheet. Each editor
// adds its input fields, its checks and its messages.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>

#include "manager/books/bookscsv.h"
#include "manager/books/listfile.h"

class IPrompter;
class QLabel;
class QLayout;
class QPushButton;
class QTreeWidget;
class QVBoxLayout;
class QWidget;

enum class TBookEditMode {
    kManage = 0,  // only edits; no OK button
    kPick = 1,    // OK returns the selected row
    kSelect = 2,  // rows have tick boxes; OK returns the ticked rows
};

// The names and default texts that differ between the two editors.
struct TBookEditTexts {
    const char* formKey;             // "TFrmContactEdit": the translation keys of the hint texts
    const char* messageKey;          // "FrmContactEdit": the message keys
    const char* caption;             // the window caption
    QStringList columns;             // list column captions, the number column first
    const char* listName;            // "lvContacts"
    const char* panelName;           // "pnlContactSelect"
    const char* counterCaptionName;  // the label beside the counter
    const char* counterCaption;
    const char* counterName;  // "lblContactNum"
    const char* hintName;     // "lblContactHint"
    const char* selectHint;   // default hint text of select mode
    const char* pickHint;     // default hint text of pick mode
    QStringList buttons;      // Add, Modify, Delete, OK, Close captions
    TBookKind kind;           // the table form of Import and Export
};

class TFrmBookEdit : public QDialog {
    Q_OBJECT
  public:
    // listPath: the master list file; prompter: every message box.
    TFrmBookEdit(const TBookEditTexts& texts, TBookEditMode mode, std::string listPath,
                 IPrompter& prompter, QWidget* parent);

    TBookEditMode Mode() const { return mode_; }
    // Texts handed in by a select-mode caller before the dialog is shown.
    void SetPreselection(const QStringList& texts) { preselection_ = texts; }

    // The rows as the list shows them (sorted rows keep their numbers).
    const TListRows& Rows() const { return rows_; }
    // The selected row's index, or none.
    std::optional<std::size_t> SelectedIndex() const;
    // Select mode: the ticked rows, in list order.
    TListRows TickedRows() const;
    // The tick counter as the label shows it (clamped to 0..row count).
    int TickCount() const;

    void btnAddClick();
    void btnModifyClick();
    void btnDelClick();
    void btnOkClick();
    // Manage mode: rows from a CSV file or workbook are added to the list, each checked as Add
    // checks it; the list as a CSV file or workbook.
    void btnImportClick();
    void btnExportClick();

  protected:
    // The editor's part of the window: its input fields, laid out by the editor.
    void SetInputs(QLayout* inputs);

    // The inputs checked (the first failing check shows its message and focuses its field) and
    // trimmed into the row's columns; none when a check failed. exceptRow: the row modified.
    virtual std::optional<std::vector<std::string>> CheckedColumns(
        std::optional<std::size_t> exceptRow) = 0;
    virtual void FillInputs(const TListRow& row) = 0;
    // Empties every input (on opening).
    virtual void ClearInputs() = 0;
    // No row is selected any more.
    virtual void ClearInputsOnDeselect() = 0;
    // After a stored add (added) or modify: clear the inputs and focus the first one.
    virtual void AfterStore(bool added, const std::vector<std::string>& columns) = 0;
    // The delete question for row.
    virtual QString DeleteQuestion(const TListRow& row) const = 0;
    // The key that a pre-selection text and a row are matched on (letter case ignored).
    virtual QString PreselectionKey(const QString& text) const = 0;
    virtual QString RowKey(const TListRow& row) const = 0;
    // After the list file was read (the contact editor fills its group list).
    virtual void ListLoaded() {}
    // Whether OK may close the dialog; shows the reason otherwise.
    virtual bool OkAllowed() = 0;

    // An error box with the message keyWord<n> of this editor, %s filled with args.
    void ShowMessage(int keyWord, const QString& defaultText, const QStringList& args = {});
    // The same, then focus on field.
    void Refuse(int keyWord, const QString& defaultText, QWidget* field,
                const QStringList& args = {});
    // The text of this editor's message keyWord<n>, %s filled with args.
    QString MessageText(int keyWord, const QString& defaultText,
                        const QStringList& args = {}) const;

    void showEvent(QShowEvent* event) override;

  private:
    void Open();
    void SetUpMode();
    void Store(std::optional<std::size_t> row);
    // Writes next to the list file; shows the file error and returns false when it fails.
    bool Save(const TListRows& next);
    // Shows rows_ with the given ticks and selected row.
    void Fill(const std::vector<bool>& ticks, std::optional<std::size_t> selected);
    std::vector<bool> Ticks() const;
    void SelectionChanged();
    void TickChanged();
    void SortByColumn(int column);
    void UpdateButtons();
    void UpdateCounter();
    // The folder of the list file, where the file dialogs start.
    QString ListFolder() const;

    const TBookEditTexts& texts_;
    TBookEditMode mode_;
    std::string listPath_;
    IPrompter& prompter_;
    QStringList preselection_;
    TListRows rows_;
    bool opened_ = false;
    bool filling_ = false;
    bool loadFailed_ = false;  // a file that could not be read is never overwritten
    int sortColumn_ = -1;
    bool sortDescending_ = false;

    QTreeWidget* list_;
    QPushButton *btnAdd_, *btnModify_, *btnDel_, *btnOk_, *btnClose_, *btnImport_, *btnExport_;
    QWidget* panel_;
    QLabel* counter_;
    QLabel* hint_;
    QVBoxLayout* inputsPlace_;
};
