#pragma once

// A busy machine must not starve the sound: the calling thread (and every thread it starts later)
// runs with real-time priority where the system allows it, and as it is where it does not.
void RaiseToRealTimePriority();
