// "Download address books…" for several terminals: the selected family-520 terminals get the
// download contact selection, the download zone selection or both, up to 64 at a time, each with
// the single terminal page's sequence. One row per terminal shows its step text and progress;
// Stop sets every terminal's stop request; "Retry failed" runs the failed and stopped ones again;
// "Save report" writes terminal, MAC, result, steps and duration.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "manager/books/sitedownload.h"

class IPrompter;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// A terminal of the main list offered to the window.
struct TSiteCandidate {
    std::string label;          // account and display name, as the list shows them
    std::string ip;             // the list's IP text
    std::string accessAddress;  // empty: reached by MAC on the local network
    std::string mac;            // MAC text
    std::string skipReason;     // not empty: listed, never run
};
// A list row as a candidate: a row that is not reachable, or whose model text names a family
// other than 520, is skipped with the reason (a model text without a family is checked by
// reading the terminal's block when it runs).
TSiteCandidate SiteCandidate(const std::string& account, const std::string& displayName,
                             const std::string& ip, const std::string& accessAddress,
                             const std::string& mac, const std::string& model, bool reachable);

class TFrmSiteDownload : public QDialog {
    Q_OBJECT
  public:
    // access must take calls from several threads (the window's one-at-a-time library).
    TFrmSiteDownload(IDeviceAccess& access, IPrompter& prompter, const QString& programFolder,
                     std::vector<TSiteCandidate> candidates, QWidget* parent = nullptr,
                     THostTiming timing = {});
    ~TFrmSiteDownload() override;

    bool Running() const { return run_ != nullptr; }
    // The rows as a report would tell them (skipped ones included).
    const std::vector<TSiteRow>& ShownRows() const { return shown_; }

    QComboBox* cmbBoxBooks;  // contacts, zones, both
    QTreeWidget* lvSiteTerminals;
    QPushButton *btnStart, *btnStop, *btnRetryFailed, *btnSaveReport, *btnClose;

  signals:
    void runFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void btnStartClick();
    void btnRetryFailedClick();
    void btnSaveReportClick();
    // Runs the candidates of the indexes.
    void StartRun(const std::vector<std::size_t>& indexes);
    void TakeEvents();
    void ShowRow(std::size_t index);
    void UpdateButtons();
    TSiteAccess SiteAccess();

    IDeviceAccess& access_;
    IPrompter& prompter_;
    QString programFolder_;
    THostTiming timing_;
    std::vector<TSiteCandidate> candidates_;
    std::vector<TSiteRow> shown_;  // one per candidate
    std::vector<QProgressBar*> bars_;
    std::vector<std::size_t> running_;  // candidate of each terminal of the run
    std::unique_ptr<TSiteLog> log_;
    std::unique_ptr<TSiteDownload> run_;
};
