// Holding and releasing the sensor threads through the host replacement.
#include "ThreadControl.h"

#include "HostSimulation.h"

namespace sensorsim {

void holdSensorThreads() { hostsim::holdThreads(true); }

void releaseSensorThreads() { hostsim::holdThreads(false); }

}  // namespace sensorsim
