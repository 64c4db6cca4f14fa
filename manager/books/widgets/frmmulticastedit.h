// The multicast editor: maintains the multicast zone list "Multicasts.dat" (zone name, multicast
// address, port) and, in pick and select mode, hands zones to the window that opened it.
#pragma once

#include "manager/books/widgets/frmbookedit.h"

class QLineEdit;
class QSpinBox;

class TFrmMulticastEdit : public TFrmBookEdit {
    Q_OBJECT
  public:
    // listPath: the multicast list file, normally ListFilePath(programFolder, kMulticastsFile).
    TFrmMulticastEdit(TBookEditMode mode, std::string listPath, IPrompter& prompter,
                      QWidget* parent = nullptr);

    // Pick mode: the address=port texts already in use by the caller; with the check on, OK
    // refuses a row whose address and port are among them (letter case ignored).
    void SetInUse(const QStringList& inUse, bool checkInUse);

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
    bool OkAllowed() override;

  private:
    QLineEdit* edtMulticastName_;
    QLineEdit* edtMulticastIP_;
    QSpinBox* spEdtMulticastPort_;
    QStringList inUse_;
    bool checkInUse_ = false;
};
