// Host framework replacement: waits and the wall clock.
#ifndef ZTHOST_ZENTAR_TIME_H
#define ZTHOST_ZENTAR_TIME_H

// A span of time that the calling thread can wait for.
class ZentarTime {
public:
    ZentarTime(long p_nSeconds, long p_nMicroseconds);
    ~ZentarTime();
    // Blocks the calling thread for the span (scaled, see HostSimulation.h).
    void wait();

private:
    long m_nSeconds;
    long m_nMicroseconds;
};

struct ZTDateTime {
    unsigned short year;
    unsigned short month;
    unsigned short day;
    unsigned short hour;
    unsigned short minute;
    unsigned short second;
};

class ZTDeviceTime {
public:
    // The local wall-clock time, or the simulated clock when one is set.
    static ZTDateTime getCurrentTime();
};

#endif
