// The workers of the window's thread: the batch's conversations run on the event-driven engine,
// their progress reports arrive as posted events (type 2025) and become scheduler calls on the
// window's thread, which also gives the scheduler its timer.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "updater/engine.h"
#include "updater/scheduler.h"

class TProgressEvent : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(2025);

    TProgressEvent(std::uint32_t address, std::uint32_t param)
        : QEvent(kType), address(address), param(param) {}

    const std::uint32_t address;  // first octet in the most significant byte
    const std::uint32_t param;    // kind x 16,777,216 + value
};

class TWorkerPool : public QObject, public IWorkerHost {
  public:
    using ProgressFn = std::function<void(std::uint32_t address, std::uint32_t param)>;

    explicit TWorkerPool(TProtocolTimes times = {}, QObject* parent = nullptr);

    void SetProgressHandler(ProgressFn handler) { progress_ = std::move(handler); }

    void StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) override;
    std::string ReapWorker(std::uint32_t address) override;
    void After(int ms, std::function<void()> fn) override;

  protected:
    void customEvent(QEvent* event) override;

  private:
    ProgressFn progress_;
    TConversationEngine engine_;  // last: its conversations end before the rest goes
};
