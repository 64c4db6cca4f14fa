// How the threads that carry many conversations at once are scheduled.
#pragma once

// Marks the calling thread as throughput work (Linux SCHED_BATCH): when it wakes up it does not
// preempt the thread that is running. With a hundred conversations on a few cores, every reply
// would otherwise interrupt the thread that is sending the next, doubling the context switches.
// Without effect where the system has no such policy.
void MarkThroughputThread();
