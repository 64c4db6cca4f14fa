// Stop requests as blocked signals, taken by sigwait: no handler runs in any thread.
#include <pthread.h>

#include <csignal>

#include "common/platform/stoprequest.h"

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

void CatchStopRequests() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void AwaitStopRequest() {
    const sigset_t signals = StopSignals();
    int received = 0;
    sigwait(&signals, &received);
}
