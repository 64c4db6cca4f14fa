#include "updater/workerpool.h"

#include <QTimer>

TWorkerPool::~TWorkerPool() {
    // Each worker ends by itself within its bounded waits; never destroy a running thread.
    for (auto& [address, worker] : workers_)
        worker->wait();
}

void TWorkerPool::StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) {
    auto worker = std::make_unique<TUpdateThread>(std::move(job), address, this, times_);
    worker->start();
    workers_[address] = std::move(worker);
}

std::string TWorkerPool::ReapWorker(std::uint32_t address) {
    auto found = workers_.find(address);
    if (found == workers_.end()) return {};
    found->second->wait();
    std::string version = found->second->Version();
    workers_.erase(found);
    return version;
}

void TWorkerPool::After(int ms, std::function<void()> fn) {
    QTimer::singleShot(ms, this, std::move(fn));
}

void TWorkerPool::customEvent(QEvent* event) {
    if (event->type() != TProgressEvent::kType || !progress_) return;
    auto* progress = static_cast<TProgressEvent*>(event);
    progress_(progress->address, progress->param);
}
