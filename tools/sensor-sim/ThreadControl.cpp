// Stopping and starting a controller's sensor thread from the simulator.
//
// The controller starts its thread in init and stops it in uinit and offers
// the host no other handle on it, and the host replacement's waits cannot be
// cut short. So the simulator reaches the thread object through the
// controller's test-access friend, ISensorControllerTestAccess, defined here
// with just that one accessor; it only stops and starts the thread, as uinit
// and init do.
#include "ThreadControl.h"

#include "GThread.h"
#include "ISensorController.h"

class ISensorControllerTestAccess {
public:
    static GThread* sensorThreadOf(ISensorController& p_objController) {
        return p_objController.m_pSensorThread.get();
    }
};

namespace sensorsim {

bool holdSensorThread(ISensorController& p_objController) {
    GThread* pThread = ISensorControllerTestAccess::sensorThreadOf(p_objController);
    return pThread == nullptr || pThread->stop() != 0;
}

bool releaseSensorThread(ISensorController& p_objController) {
    GThread* pThread = ISensorControllerTestAccess::sensorThreadOf(p_objController);
    return pThread != nullptr && pThread->start() != 0;
}

}  // namespace sensorsim
