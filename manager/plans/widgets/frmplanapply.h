// "Apply settings plan": opens a plan, previews what would change on each terminal (a dry run:
// nothing is written), applies it terminal after terminal with a progress bar and a stop button
// that ends the work after the current terminal, shows the result of every plan line and saves
// the report. The device calls run on a worker thread; the window stays responsive.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "manager/plans/planrun.h"

class IPrompter;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;

// Asks the user for a terminal's user name and password (window thread); nothing: cancelled.
using TPlanLoginAsker = std::function<std::optional<TLoginCredentials>()>;

class TFrmPlanApply : public QDialog {
    Q_OBJECT
  public:
    TFrmPlanApply(IDeviceAccess& access, IPrompter& prompter, TPlanLoginAsker askLogin,
                  QString folder, QWidget* parent = nullptr);
    ~TFrmPlanApply() override;

    // Loads and checks a plan, then starts its preview. False (with a message) when refused.
    bool LoadPlan(const QString& path);
    bool Running() const { return worker_ != nullptr; }
    // The results of the last apply (empty before one).
    const std::vector<TPlanResult>& AppliedResults() const { return applied_; }

  signals:
    void previewFinished();
    // After an apply: some terminals may have been written (AppliedResults).
    void applyFinished();

  public slots:
    void reject() override;

  private:
    void btnOpenPlanClick();
    void btnApplyClick();
    void btnStopClick();
    void btnSaveReportClick();
    void Start(bool dryRun);
    void ShowResult(std::size_t index, const TPlanResult& result);
    void RunFinished();
    void UpdateButtons();

    IDeviceAccess& access_;
    IPrompter& prompter_;
    TPlanLoginAsker askLogin_;
    QString folder_;
    std::optional<TPlan> plan_;
    bool dryRun_ = false;
    std::vector<TPlanResult> results_;  // of the run in progress or the last one
    std::vector<TPlanResult> applied_;
    std::optional<TLoginCredentials> credentials_;  // given once per apply
    std::atomic<bool> stop_{false};
    QThread* worker_ = nullptr;

    QLineEdit* edtPlanFile;
    QPushButton *btnOpenPlan, *btnApply, *btnStop, *btnSaveReport, *btnClose;
    QTreeWidget *lvPreview, *lvResults;
    QProgressBar* prgApply;
    QLabel *lblPlanFile, *lblPreview, *lblResults;
};
