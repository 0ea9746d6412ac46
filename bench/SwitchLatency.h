// How many sensor-thread passes a day/night switch takes while host threads
// call the controller back to back.
#ifndef SENSORDLL_BENCH_SWITCH_LATENCY_H
#define SENSORDLL_BENCH_SWITCH_LATENCY_H

#include <ostream>

#include "Device.h"

namespace bench {

// For 0, 1 and 4 host threads, p_nChanges day/night changes on the profile's
// controller in day/night mode; prints the median and the maximum number of
// passes from each change to its switch (1: the first pass after the change
// switches). A change not followed by a switch within 10 seconds counts as
// missed.
void printSwitchLatency(const Profile& p_stProfile, int p_nChanges, std::ostream& p_objOut);

}  // namespace bench

#endif
