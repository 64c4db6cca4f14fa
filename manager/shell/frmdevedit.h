// The device dialog: enters terminals into the device book by hand (add mode, stays open and
// appends one Books row per confirmation) or changes the account, display name and address of a
// Books row (modify mode, returns the three texts).
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <set>

class IPrompter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFrmDevEdit : public QDialog {
    Q_OBJECT
  public:
    enum class TMode { Add, Modify };

    // Appends a Books row (account, display name, IP text) to the main list and selects it.
    using TAddRow =
        std::function<void(const QString& account, const QString& name, const QString& ip)>;

    // pairs: account + "=" + IP text of every row of the main list.
    TFrmDevEdit(TMode mode, const QStringList& pairs, const QString& editedAccount,
                IPrompter& prompter, QWidget* parent = nullptr);

    // The add-mode row sink.
    void SetAddRow(TAddRow addRow) { addRow_ = std::move(addRow); }
    // The initial texts of modify mode, kept whole even when longer than the typing limits.
    void SetTexts(const QString& account, const QString& name, const QString& ip);

    // The confirmed texts, trimmed (modify mode).
    QString Account() const;
    QString DisplayName() const;
    QString IpText() const;

    void btnDevOkClick();

    QGroupBox* grpBoxDevInfo;
    QLabel* lblDevNumber;
    QLabel* lblDevName;
    QLabel* lblDevIP;
    QLineEdit* EdtDevNumber;
    QLineEdit* EdtDevName;
    QLineEdit* EdtDevIP;
    QPushButton* btnDevOk;
    QPushButton* btnDevCancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refuse(int keyWord, const QString& defaultText, QLineEdit* focus,
                const QString& arg = QString());

    TMode mode_;
    std::set<QString> pairs_;
    QString editedAccount_;
    IPrompter& prompter_;
    TAddRow addRow_;
};
