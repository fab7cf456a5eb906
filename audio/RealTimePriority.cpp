#include "RealTimePriority.h"

#include <pthread.h>
#include <sched.h>

void RaiseToRealTimePriority() {
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    // Refused without the right to real-time scheduling; the thread then runs as it is.
    (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
}
