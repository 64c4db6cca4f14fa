#include "updater/threadpolicy.h"

#include <pthread.h>
#include <sched.h>

void MarkThroughputThread() {
#ifdef SCHED_BATCH
    const sched_param none{};
    (void)::pthread_setschedparam(::pthread_self(), SCHED_BATCH, &none);  // refused: only slower
#endif
}
