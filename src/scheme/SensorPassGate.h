// Coordination between the host's locked operations and the sensor thread's
// scheme decision.
//
// The host's operations take the controller's lock, a host ZTMutex, for
// their whole run. The sensor thread must make its decision in every pass,
// however busy the host is, and must never block on that lock: the factory
// reset holds it while it stops the thread, and setParamScheme/setParamMode
// hold it while they wait for a switch to end. So the thread never takes it.
// Instead every locked operation first passes this gate: a pass that wants to
// decide marks itself waiting, which holds back host calls that have not yet
// been admitted, waits for the admitted ones to finish, decides, and lets the
// held calls go. A pass waits at most for the calls already running; a host
// call waits at most for one decision. A reset or shut-down in progress
// releases a waiting pass without a decision.
#ifndef SENSORDLL_SCHEME_SENSOR_PASS_GATE_H
#define SENSORDLL_SCHEME_SENSOR_PASS_GATE_H

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "SensorTypes.h"
#include "ZTMutex.h"

class SensorPassGate {
public:
    SensorPassGate() = default;
    SensorPassGate(const SensorPassGate&) = delete;
    SensorPassGate& operator=(const SensorPassGate&) = delete;

    // A host call enters once no pass waits or decides, and leaves when done.
    void enterHostCall();
    void leaveHostCall();

    // Waits until no admitted host call runs, holding new ones back, and
    // returns true: the caller decides, then calls endDecision. Returns false,
    // holding nothing, as soon as the state flags show one of p_nStopMask
    // (a bulk change or a shut-down: nothing to decide).
    bool beginDecision(const std::atomic<u32>& p_nStateFlags, u32 p_nStopMask);
    void endDecision();

    // Makes a waiting pass look at the state flags again; called after a
    // flag of the stop mask was set.
    void wake();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    unsigned m_nHostCalls = 0;
    unsigned m_nPassesWaiting = 0;
    bool m_bPassDeciding = false;
};

// The scoped lock of a host operation: through the gate, then the
// controller's ZTMutex; released in the reverse order on every exit path.
class HostCallLock {
public:
    HostCallLock(SensorPassGate& p_objGate, ZTMutex& p_objMutex, const char* p_szFile, int p_nLine)
        : m_objAdmission(p_objGate), m_objGuard(p_objMutex, p_szFile, p_nLine) {}
    HostCallLock(const HostCallLock&) = delete;
    HostCallLock& operator=(const HostCallLock&) = delete;

private:
    struct Admission {
        explicit Admission(SensorPassGate& p_objGate) : objGate(p_objGate) { objGate.enterHostCall(); }
        ~Admission() { objGate.leaveHostCall(); }
        SensorPassGate& objGate;
    };
    Admission m_objAdmission;
    ZTMutexManager m_objGuard;
};

#endif
