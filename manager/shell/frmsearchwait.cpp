#include "manager/shell/frmsearchwait.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TFrmSearchWait::TFrmSearchWait(int maximum, QWidget* parent) : QFrame(parent) {
    setObjectName("FrmSearchWait");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    lblHint = new QLabel(QStringLiteral("正在搜索中，请稍等。。。"), this);
    lblHint->setObjectName("lblHint");
    pbSearch = new QProgressBar(this);
    pbSearch->setObjectName("pbSearch");
    pbSearch->setRange(0, maximum);
    pbSearch->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHint);
    layout->addWidget(pbSearch);
}

void TFrmSearchWait::SetProgress(int value) {
    pbSearch->setValue(std::min(value, pbSearch->maximum()));
}

void TFrmSearchWait::Finish() {
    pbSearch->setValue(pbSearch->maximum());
}
