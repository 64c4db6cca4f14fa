#include "manager/hostdl/widgets/frmdownloadwait.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"

TFrmDownloadWait::TFrmDownloadWait(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmDownloadWait");
    setWindowTitle(QStringLiteral("下载"));
    grpBoxDownloadInfo = new QGroupBox(QStringLiteral("下载信息"), this);
    grpBoxDownloadInfo->setObjectName("grpBoxDownloadInfo");
    lblCurInfoTitle = new QLabel(QStringLiteral("当前下载信息："), grpBoxDownloadInfo);
    lblCurInfoTitle->setObjectName("lblCurInfoTitle");
    lblCurInfo = new QLabel(grpBoxDownloadInfo);
    lblCurInfo->setObjectName("lblCurInfo");
    lblCurInfo->setMinimumWidth(360);
    lblProgressTitle = new QLabel(QStringLiteral("总      进      度："), grpBoxDownloadInfo);
    lblProgressTitle->setObjectName("lblProgressTitle");
    ProgressBar = new QProgressBar(grpBoxDownloadInfo);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
    auto* grid = new QGridLayout(grpBoxDownloadInfo);
    grid->addWidget(lblCurInfoTitle, 0, 0);
    grid->addWidget(lblCurInfo, 0, 1);
    grid->addWidget(lblProgressTitle, 1, 0);
    grid->addWidget(ProgressBar, 1, 1);

    BtnDownloadStop = new QPushButton(QStringLiteral("停止下载(&S)"), this);
    BtnDownloadStop->setObjectName("BtnDownloadStop");
    connect(BtnDownloadStop, &QPushButton::clicked, this, &TFrmDownloadWait::BtnDownloadStopClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnDownloadStop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpBoxDownloadInfo);
    layout->addLayout(buttons);
}

void TFrmDownloadWait::SetTotal(int parts) {
    ProgressBar->setRange(0, std::max(parts, 1));
}

void TFrmDownloadWait::SetCompleted(int parts) {
    ProgressBar->setValue(std::clamp(parts, 0, ProgressBar->maximum()));
}

void TFrmDownloadWait::ShowProgress(const QString& text, int addParts) {
    lblCurInfo->setText(text);
    if (addParts > 0) SetCompleted(ProgressBar->value() + addParts);
}

void TFrmDownloadWait::ShowJobResult(bool success, const QString& text) {
    success_ = success;
    QPalette palette = lblCurInfo->palette();
    palette.setColor(QPalette::WindowText, success ? Qt::blue : Qt::red);
    lblCurInfo->setPalette(palette);
    lblCurInfo->setText(text);
    if (success) {
        ProgressBar->setValue(ProgressBar->maximum());
        BtnDownloadStop->setText(TrText("Pelmora/TFrmDownloadWait/BtnDownloadStop.Caption0",
                                        QStringLiteral("确  定(&O)")));
    } else {
        BtnDownloadStop->setText(TrText("Pelmora/TFrmDownloadWait/BtnDownloadStop.Caption1",
                                        QStringLiteral("关  闭(&C)")));
    }
    if (state_ == EState::Running) state_ = EState::Ended;
}

void TFrmDownloadWait::JobStarted() {
    if (state_ == EState::Waiting) state_ = EState::Running;
}

void TFrmDownloadWait::JobEnded() {
    if (state_ == EState::Stopping) {
        state_ = EState::Ended;
        done(QDialog::Rejected);
        return;
    }
    state_ = EState::Ended;
}

void TFrmDownloadWait::BtnDownloadStopClick() {
    switch (state_) {
        case EState::Ended:
            done(success_ ? QDialog::Accepted : QDialog::Rejected);
            break;
        case EState::Waiting:
            // The job has not started: nothing will be sent.
            emit StopPressed();
            state_ = EState::Ended;
            done(QDialog::Rejected);
            break;
        case EState::Running:
            emit StopPressed();
            state_ = EState::Stopping;
            BtnDownloadStop->setEnabled(false);
            break;
        case EState::Stopping:
            break;
    }
}

void TFrmDownloadWait::closeEvent(QCloseEvent* event) {
    if (state_ != EState::Ended) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmDownloadWait::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (BtnDownloadStop->isEnabled()) BtnDownloadStop->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
