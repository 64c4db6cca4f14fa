// The update worker: one thread that runs one conversation with one terminal and reports by
// posting progress events (type 2025) to its receiver on the window's thread.
#pragma once

#include <QEvent>
#include <QThread>
#include <cstdint>
#include <memory>
#include <string>

#include "updater/conversation.h"
#include "common/udpsocket.h"

class TProgressEvent : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(2025);

    TProgressEvent(std::uint32_t address, std::uint32_t param)
        : QEvent(kType), address(address), param(param) {}

    const std::uint32_t address;  // first octet in the most significant byte
    const std::uint32_t param;    // kind x 16,777,216 + value
};

class TUpdateThread : public QThread {
  public:
    // Opens and binds the worker's socket (first free local port of 9100-9999) at once.
    TUpdateThread(std::shared_ptr<const TUpdateJob> job, std::uint32_t address, QObject* receiver,
                  TProtocolTimes times);

    // The version the terminal reported after the update (UTF-8); read after the thread ended.
    std::string Version() const { return version_; }

  protected:
    void run() override;

  private:
    std::shared_ptr<const TUpdateJob> job_;  // shared read-only by the batch's workers
    std::uint32_t address_;
    QObject* receiver_;
    TProtocolTimes times_;
    TUdpSocket socket_;
    std::string version_;
};
