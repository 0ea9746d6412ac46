// Shared state of the host replacement's simulation controls, read by the
// classes that the controls steer (waits, clock, file writes, sy_system).
#ifndef ZTHOST_HOST_SIMULATION_STATE_H
#define ZTHOST_HOST_SIMULATION_STATE_H

#include <string>

namespace hostsim {
namespace detail {

double waitScale();
void countWait();
// True with the simulated hour and minute when a clock is set.
bool simulatedClock(int& p_nHour, int& p_nMinute);
// How many of p_nWanted bytes a file write may move under the write fault;
// the granted bytes are taken from the remaining budget.
unsigned int takeWriteBudget(unsigned int p_nWanted);
void recordSystemCommand(const std::string& p_strCommand);
// Brackets one pass of a GThread body: beginPass returns false (after a
// short wait) while the threads are held, so the caller looks again later.
bool beginPass();
void endPass();
int idleStopResult();

}  // namespace detail
}  // namespace hostsim

#endif
