#include "manager/shell/frmsearchwait.h"

#include <algorithm>

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
// Bar units per step, so that the first step can move while the library listens.
constexpr int kUnitsPerStep = 100;
}  // namespace

TFrmSearchWait::TFrmSearchWait(int maximum, QWidget* parent) : QFrame(parent) {
    setObjectName("FrmSearchWait");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    lblHint = new QLabel(QStringLiteral("正在搜索中，请稍等。。。"), this);
    lblHint->setObjectName("lblHint");
    pbSearch = new QProgressBar(this);
    pbSearch->setObjectName("pbSearch");
    pbSearch->setRange(0, maximum * kUnitsPerStep);
    pbSearch->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHint);
    layout->addWidget(pbSearch);
}

void TFrmSearchWait::SetProgress(int steps) {
    pbSearch->setValue(std::min(steps * kUnitsPerStep, pbSearch->maximum()));
}

void TFrmSearchWait::SetSearchElapsed(double part) {
    const int units = static_cast<int>(std::clamp(part, 0.0, 1.0) * kUnitsPerStep);
    if (units > pbSearch->value()) pbSearch->setValue(std::min(units, pbSearch->maximum()));
}

void TFrmSearchWait::Finish() {
    pbSearch->setValue(pbSearch->maximum());
}
