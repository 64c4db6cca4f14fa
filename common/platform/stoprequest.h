// The request to stop a program that runs until it is told to (termsim): SIGINT or SIGTERM on
// Linux; Ctrl+C, Ctrl+Break or SIGTERM on Windows.
#pragma once

// Takes the requests from now on, instead of the program ending at once. Call it before any
// thread starts: on Linux the signals are then blocked in every thread and kept for the wait.
void CatchStopRequests();

// Blocks until a stop is requested; a request made before the call counts.
void AwaitStopRequest();
