// The workers of the window's thread: creates, starts, waits for and destroys TUpdateThread
// objects, turns their posted events into scheduler calls, and gives the scheduler its timer.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "updater/scheduler.h"
#include "updater/updatethread.h"

class TWorkerPool : public QObject, public IWorkerHost {
  public:
    using ProgressFn = std::function<void(std::uint32_t address, std::uint32_t param)>;

    explicit TWorkerPool(TProtocolTimes times = {}, QObject* parent = nullptr)
        : QObject(parent), times_(times) {}
    ~TWorkerPool() override;

    void SetProgressHandler(ProgressFn handler) { progress_ = std::move(handler); }
    bool HasWorkers() const { return !workers_.empty(); }

    void StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) override;
    std::string ReapWorker(std::uint32_t address) override;
    void After(int ms, std::function<void()> fn) override;

  protected:
    void customEvent(QEvent* event) override;

  private:
    TProtocolTimes times_;
    ProgressFn progress_;
    std::map<std::uint32_t, std::unique_ptr<TUpdateThread>> workers_;
};
