// Vellup's window: the handed-over terminals, the update file and its header, Threads, Start,
// each terminal's progress and the log.
#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

#include "common/widgets/prompter.h"
#include "updater/scheduler.h"
#include "updater/workerpool.h"

class IWindowLayoutStore;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class QTreeWidget;

class TMainForm : public QWidget, public IBatchView {
  public:
    // Column indexes of ListView1.
    enum EColumn { colCheck, colIp, colName, colVersion, colMac, colType, colProcess };

    // The window's place and column widths come from and go back to layoutStore (none: kept
    // nowhere).
    TMainForm(std::filesystem::path programFolder, IPrompter& prompter, TProtocolTimes times = {},
              IWindowLayoutStore* layoutStore = nullptr, QWidget* parent = nullptr);

    // Start-up steps, run once when the window is first shown.
    void FormShow();
    void BitBtn1Click();    // Browse
    void CheckBox1Click();  // Select All
    void Button2Click();    // Start
    void btnRetryFailedClick();
    void btnSaveReportClick();

    bool Busy() const { return scheduler_.Running(); }

    // IBatchView
    std::size_t RowCount() const override;
    bool RowChecked(std::size_t row) const override;
    std::string RowIpText(std::size_t row) const override;
    std::string RowVersionText(std::size_t row) const override;
    void SetRowProcess(std::size_t row, const std::string& text) override;
    void SetRowVersion(std::size_t row, const std::string& text) override;
    void AppendLog(const std::string& line) override;
    void SetStartEnabled(bool enabled) override;
    int ThreadsLimit() const override;

    QGroupBox* GroupBox1;
    QTreeWidget* ListView1;
    QCheckBox* CheckBox1;
    QGroupBox* GroupBox2;
    QLineEdit* Edit1;
    QToolButton* BitBtn1;
    QGroupBox* GroupBox3;
    QLineEdit* edtVersion;
    QLineEdit* edtDateTime;
    QLineEdit* edtDeviceType;
    QPlainTextEdit* Memo1;  // description
    QCheckBox* CheckBox2;   // the pak file beside the update file, by its name
    QPlainTextEdit* Memo2;  // log
    QPushButton* Button2;
    QPushButton* btnRetryFailed;  // after a batch with failures: runs the failed rows again
    QPushButton* btnSaveReport;   // after a batch: the report as a CSV file
    QGroupBox* GroupBox4;
    QSpinBox* SpinEdit1;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void LoadHandoffRows();
    void ShowHeader(const std::string& updateFile, const char* errorText);
    void FindPakOption(const std::string& updateFile);
    void Message(IPrompter::Kind kind, const std::string& text);

    std::filesystem::path folder_;
    IPrompter& prompter_;
    IWindowLayoutStore* layoutStore_;
    TWorkerPool pool_;
    TBatchScheduler scheduler_;
    std::string pakName_;  // the pak file that CheckBox2 offers; empty when none
    bool shown_ = false;
};
