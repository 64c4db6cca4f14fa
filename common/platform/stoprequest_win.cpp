// Stop requests through the C run time's signals (it turns Ctrl+C and Ctrl+Break into SIGINT
// and SIGBREAK), which set an event the wait takes.
#include <windows.h>

#include <csignal>
#include <initializer_list>

#include "common/platform/stoprequest.h"

namespace {

HANDLE StopEvent() {
    // Manual reset: a request stays set until the program ends.
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void MarkStopRequested(int signal) {
    ::SetEvent(StopEvent());
    // The run time resets a handler to the default once it has run.
    std::signal(signal, MarkStopRequested);
}

}  // namespace

void CatchStopRequests() {
    StopEvent();
    for (int signal : {SIGINT, SIGBREAK, SIGTERM})
        std::signal(signal, MarkStopRequested);
}

void AwaitStopRequest() {
    ::WaitForSingleObject(StopEvent(), INFINITE);
}
