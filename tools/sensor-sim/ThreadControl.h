// The simulator as the host's scheduler of the sensor threads.
//
// On a camera each controller's sensor thread runs a pass about every second.
// The simulator holds them so that a session's output depends only on its
// commands: passes run on request ("pass N", sensorThread() on the
// simulator's thread) or the real threads run for a while ("run N").
#ifndef SENSOR_SIM_THREAD_CONTROL_H
#define SENSOR_SIM_THREAD_CONTROL_H

namespace sensorsim {

// No sensor thread begins a pass until released; returns once none runs.
// Threads that controllers start while held (init, factory reset) stay held.
void holdSensorThreads();
void releaseSensorThreads();

}  // namespace sensorsim

#endif
