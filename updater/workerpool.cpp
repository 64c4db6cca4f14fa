#include "updater/workerpool.h"

#include <QCoreApplication>
#include <QTimer>

#include "common/textcodec.h"

TWorkerPool::TWorkerPool(TProtocolTimes times, QObject* parent)
    : QObject(parent),
      engine_(times, [this](std::uint32_t address, EProgressKind kind, std::uint32_t value) {
          QCoreApplication::postEvent(
              this,
              new TProgressEvent(address, ProgressParam(static_cast<std::uint32_t>(kind), value)));
      }) {}

void TWorkerPool::StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) {
    engine_.Start(address, std::move(job));
}

std::string TWorkerPool::ReapWorker(std::uint32_t address) {
    return FromDeviceBytes(engine_.Reap(address));
}

void TWorkerPool::After(int ms, std::function<void()> fn) {
    QTimer::singleShot(ms, this, std::move(fn));
}

void TWorkerPool::customEvent(QEvent* event) {
    if (event->type() != TProgressEvent::kType || !progress_) return;
    auto* progress = static_cast<TProgressEvent*>(event);
    progress_(progress->address, progress->param);
}
