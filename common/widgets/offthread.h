// Runs a blocking call (a device-access call, a network wait) on a worker thread while the window
// thread keeps serving its events, so windows repaint while the call runs.
#pragma once

#include <QEventLoop>
#include <QThread>
#include <optional>
#include <utility>

// Answers fn()'s result once the worker has ended. flags choose what the window thread serves
// meanwhile: with QEventLoop::ExcludeUserInputEvents the windows repaint and take timers and
// messages, but no mouse or keyboard input.
template <typename Fn>
auto RunOffWindowThread(Fn fn, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents)
    -> decltype(fn()) {
    std::optional<decltype(fn())> result;
    QEventLoop loop;
    QThread* worker = QThread::create([&] { result = fn(); });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(flags);
    worker->wait();
    delete worker;
    return std::move(*result);
}
