#include "manager/hostdl/widgets/downloadrunner.h"

#include <QTimer>
#include <atomic>
#include <thread>

#include "common/widgets/formtranslation.h"
#include "manager/hostdl/udphostlink.h"
#include "manager/hostdl/widgets/frmdownloadwait.h"

namespace {

// Carries the job's reports to the dialog on the window thread, where the texts are translated.
class TDialogProgress : public IDownloadProgress {
  public:
    explicit TDialogProgress(TFrmDownloadWait* dialog) : dialog_(dialog) {}
    void ShowProgress(const TProgressText& text, int addParts) override {
        QMetaObject::invokeMethod(
            dialog_,
            [d = dialog_, text, addParts] {
                d->ShowProgress(QString::fromStdString(DownloadText(text)), addParts);
            },
            Qt::QueuedConnection);
    }
    void ShowJobResult(bool success, const TProgressText& text) override {
        QMetaObject::invokeMethod(
            dialog_,
            [d = dialog_, success, text] {
                d->ShowJobResult(success, QString::fromStdString(DownloadText(text)));
            },
            Qt::QueuedConnection);
    }

  private:
    TFrmDownloadWait* dialog_;
};

}  // namespace

bool RunDownloadDialog(QWidget* parent, EDownloadKind kind, const std::string& address,
                       const TDownloadEntries& entries, const TDownloadDialogOptions& options) {
    TFrmDownloadWait dialog(parent);
    TranslateForm(&dialog);
    dialog.SetTotal(options.totalParts >= 0 ? options.totalParts
                                            : DownloadProgressTotal(kind, entries));
    dialog.SetCompleted(1);

    TStopRequest stop;
    std::atomic<bool> success{false};
    std::thread worker;
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, &dialog, [&] {
        if (stop.IsSet()) return;
        dialog.JobStarted();
        worker = std::thread([&] {
            TDialogProgress progress(&dialog);
            success = RunDownloadJobOverUdp(kind, address, entries, progress, stop, options.timing);
            QMetaObject::invokeMethod(
                &dialog, [&dialog] { dialog.JobEnded(); }, Qt::QueuedConnection);
        });
    });
    QObject::connect(&dialog, &TFrmDownloadWait::StopPressed, &dialog, [&] {
        stop.Set();
        start.stop();
    });
    start.start(options.startDelay);
    dialog.exec();
    start.stop();
    if (worker.joinable()) {
        // The dialog closes only after the job has ended; this is a safety net.
        stop.Set();
        worker.join();
    }
    return success;
}
