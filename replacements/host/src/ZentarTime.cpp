// Waits scaled by the simulation's wait scale, and the wall clock or the
// simulated one.
#include "ZentarTime.h"

#include <errno.h>
#include <time.h>

#include "HostSimulationState.h"

ZentarTime::ZentarTime(long p_nSeconds, long p_nMicroseconds)
    : m_nSeconds(p_nSeconds), m_nMicroseconds(p_nMicroseconds) {}

ZentarTime::~ZentarTime() {}

void ZentarTime::wait() {
    hostsim::detail::countWait();
    const double dScale = hostsim::detail::waitScale();
    const double dNanoseconds =
        (static_cast<double>(m_nSeconds) * 1e9 + static_cast<double>(m_nMicroseconds) * 1e3) * dScale;
    if (!(dNanoseconds >= 1.0)) return;
    struct timespec stRemaining;
    stRemaining.tv_sec = static_cast<time_t>(dNanoseconds / 1e9);
    stRemaining.tv_nsec = static_cast<long>(dNanoseconds - static_cast<double>(stRemaining.tv_sec) * 1e9);
    if (stRemaining.tv_nsec >= 1000000000L) stRemaining.tv_nsec = 999999999L;
    struct timespec stRequest;
    do {
        stRequest = stRemaining;
    } while (nanosleep(&stRequest, &stRemaining) != 0 && errno == EINTR);
}

ZTDateTime ZTDeviceTime::getCurrentTime() {
    const time_t nNow = time(nullptr);
    struct tm stLocal = {};
    localtime_r(&nNow, &stLocal);
    ZTDateTime stTime;
    stTime.year = static_cast<unsigned short>(stLocal.tm_year + 1900);
    stTime.month = static_cast<unsigned short>(stLocal.tm_mon + 1);
    stTime.day = static_cast<unsigned short>(stLocal.tm_mday);
    stTime.hour = static_cast<unsigned short>(stLocal.tm_hour);
    stTime.minute = static_cast<unsigned short>(stLocal.tm_min);
    stTime.second = static_cast<unsigned short>(stLocal.tm_sec);
    int nHour;
    int nMinute;
    if (hostsim::detail::simulatedClock(nHour, nMinute)) {
        stTime.hour = static_cast<unsigned short>(nHour);
        stTime.minute = static_cast<unsigned short>(nMinute);
        stTime.second = 0;
    }
    return stTime;
}
