// Control surface of the host framework replacement for tests and the
// simulator: the simulated clock, the wait scale and file-write faults.
// Nothing of the controller calls these; they stand where a camera's host has
// real hardware.
#ifndef ZTHOST_HOST_SIMULATION_H
#define ZTHOST_HOST_SIMULATION_H

#include <string>

namespace hostsim {

// ZTDeviceTime answers this hour and minute until clearClock.
void setClock(int p_nHour, int p_nMinute);
void clearClock();

// Every ZentarTime::wait sleeps its span times this factor (1 by default;
// 0 makes waits return at once).
void setWaitScale(double p_dScale);
// Number of ZentarTime::wait calls since the last reset.
unsigned long waitCount();
void resetWaitCount();

// File-write faults: after p_nBytes more bytes have been written through
// ZTFile, every further write moves nothing (a full flash). Negative: no fault.
void failWritesAfter(long long p_nBytes);

// Commands run by sy_system, as given (before path resolution).
std::string lastSystemCommand();
unsigned long systemCommandCount();

// Holds every GThread: while held no thread begins a new pass of its body
// (stop still ends them). Holding returns once no pass is running, so what
// the caller does next is never interleaved with a background pass.
void holdThreads(bool p_bHold);
// Number of GThread passes begun since the last reset, over every thread.
unsigned long passCount();

// What GThread::stop answers for a thread that is not running: 1 by default;
// some hosts answer 0 there.
void setIdleStopResult(int p_nResult);

// Back to defaults: real clock, scale 1, no faults, counters cleared, threads
// not held, idle stops answering 1.
void reset();

}  // namespace hostsim

#endif
