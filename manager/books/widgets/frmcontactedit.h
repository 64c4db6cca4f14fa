// The contact editor: maintains the contact list "Contacts.dat" (SIP account, display name,
// group name) and, in pick and select mode, hands contacts to the window that opened it.
#pragma once

#include "manager/books/widgets/frmbookedit.h"

class QComboBox;
class QLineEdit;

class TFrmContactEdit : public TFrmBookEdit {
    Q_OBJECT
  public:
    // listPath: the contact list file, normally ListFilePath(programFolder, kContactsFile).
    TFrmContactEdit(TBookEditMode mode, std::string listPath, IPrompter& prompter,
                    QWidget* parent = nullptr);

  protected:
    std::optional<std::vector<std::string>> CheckedColumns(
        std::optional<std::size_t> exceptRow) override;
    void FillInputs(const TListRow& row) override;
    void ClearInputs() override;
    void ClearInputsOnDeselect() override;
    void AfterStore(bool added, const std::vector<std::string>& columns) override;
    QString DeleteQuestion(const TListRow& row) const override;
    QString PreselectionKey(const QString& text) const override;
    QString RowKey(const TListRow& row) const override;
    void ListLoaded() override;
    bool OkAllowed() override;

  private:
    QLineEdit* edtSipNumber_;
    QLineEdit* edtUserName_;
    QComboBox* cmbBoxGroupName_;
};
