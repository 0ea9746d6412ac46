// Keeps what init builds (scheme arrays, key map, configuration) alive and
// whole for the public operations that take no lock, while uinit releases it
// or init (a factory reset among others) builds it again.
//
// Those operations keep their no-lock contract: the host may call them from
// inside a video-module notification, while the controller's lock is held,
// or from the sensor thread's switch. So they do not take the controller's
// lock but a shared hold of this guard; uinit's release and init take it
// exclusively. Holds nest on one thread: an operation inside another, or
// inside init on the same thread, takes nothing more.
#ifndef SENSORDLL_CORE_SENSOR_STATE_GUARD_H
#define SENSORDLL_CORE_SENSOR_STATE_GUARD_H

#include <shared_mutex>

class SensorStateGuard {
public:
    SensorStateGuard() = default;
    SensorStateGuard(const SensorStateGuard&) = delete;
    SensorStateGuard& operator=(const SensorStateGuard&) = delete;

    // A shared hold for the run of an unlocked operation.
    class Reading {
    public:
        explicit Reading(SensorStateGuard& p_objGuard);
        ~Reading();
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

    private:
        SensorStateGuard& m_objGuard;
    };

    // The exclusive hold of a release or a build. A thread that already reads
    // cannot wait for itself: it builds under its own shared hold.
    class Rebuilding {
    public:
        explicit Rebuilding(SensorStateGuard& p_objGuard);
        ~Rebuilding();
        Rebuilding(const Rebuilding&) = delete;
        Rebuilding& operator=(const Rebuilding&) = delete;

    private:
        SensorStateGuard& m_objGuard;
    };

private:
    void enter(bool p_bExclusive);
    void leave();

    std::shared_timed_mutex m_mutex;
};

#endif
