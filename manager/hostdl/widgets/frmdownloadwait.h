// The progress dialog of a table download: the current text, the bar in parts and the stop
// button, which becomes an OK or close button when the job has ended.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

class TFrmDownloadWait : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmDownloadWait(QWidget* parent = nullptr);

    void SetTotal(int parts);
    void SetCompleted(int parts);
    // The current text; the bar advances by addParts (0: not at all).
    void ShowProgress(const QString& text, int addParts);
    // Blue text, full bar and an OK button; or red text and a close button.
    void ShowJobResult(bool success, const QString& text);

    // The job's life: a dialog whose job is waiting to start or running refuses its close box.
    void JobStarted();
    // When stop was pressed during the job, the dialog now ends as cancelled.
    void JobEnded();

  signals:
    // The stop button (or Esc) while the job is waiting to start or running.
    void StopPressed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BtnDownloadStopClick();

    enum class EState { Waiting, Running, Stopping, Ended };
    EState state_ = EState::Waiting;
    bool success_ = false;

    QGroupBox* grpBoxDownloadInfo;
    QLabel* lblCurInfoTitle;
    QLabel* lblCurInfo;
    QLabel* lblProgressTitle;
    QProgressBar* ProgressBar;
    QPushButton* BtnDownloadStop;
};
