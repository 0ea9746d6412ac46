// The simulator as the host's scheduler of the sensor threads.
//
// On a camera each controller's sensor thread runs a pass about every second.
// The simulator keeps them stopped so that a session's output depends only on
// its commands: passes run on request ("pass N", sensorThread() on the
// simulator's thread) or the real threads run for a while ("run N").
#ifndef SENSOR_SIM_THREAD_CONTROL_H
#define SENSOR_SIM_THREAD_CONTROL_H

class ISensorController;

namespace sensorsim {

// Stop the controller's sensor thread; returns once no pass runs. True when
// stopped (also when it was not running).
bool holdSensorThread(ISensorController& p_objController);
// Start it again; false when it would not start.
bool releaseSensorThread(ISensorController& p_objController);

}  // namespace sensorsim

#endif
