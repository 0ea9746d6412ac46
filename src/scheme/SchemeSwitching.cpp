// The current scheme and its switching: the switch itself (plain and
// plate-recognition), the host's scheme and parameter-mode choices, which
// scheme's schedule window holds the current time, and the window check
// before a scheme is saved.
//
// A switch never overlaps a locked host operation: host operations hold the
// controller's lock, and the sensor thread switches only in its turn at the
// pass gate. The switching flag marks the run so that the apply step compares
// with the scheme being left.
#include <string.h>

#include "ISensorController.h"
#include "ZentarTime.h"
#include "core/SensorStateGuard.h"
#include "diag/SensorReport.h"
#include "scheme/SensorPassGate.h"

namespace {

// Schedule-window records by position in every scheme array.
const u32 WINDOW_START_HOUR = 1;
const u32 WINDOW_START_MIN = 2;
const u32 WINDOW_END_HOUR = 3;
const u32 WINDOW_END_MIN = 4;

// A window bound as hour * 100 + minute. False for a field past 24:00 on its
// own, before the sum is formed, which would wrap in 32 bits (an hour of
// 42949673 gives 00:04). Minutes are not bounded by 59: 10:75 counts as 1075.
bool windowBound(const KeyVal* p_pScheme, u32 p_nHourRecord, u32 p_nMinuteRecord, u32& p_nBound) {
    const u32 nHour = p_pScheme[p_nHourRecord].value;
    const u32 nMinute = p_pScheme[p_nMinuteRecord].value;
    if (nHour > 24 || nMinute > 2400) return false;
    p_nBound = nHour * 100u + nMinute;
    return true;
}

void waitWhileBusy(const std::atomic<u32>& p_nStateFlags) {
    while ((p_nStateFlags.load() & SENSOR_STATE_BUSY_MASK) != 0) ZentarTime(0, 500000).wait();
}

}  // namespace

// A scheme that may be made current: a user scheme or the factory set, with
// the scheme arrays present.
bool ISensorController::isSchemeIndex(int p_nScheme) const {
    return m_ppUserKeyVal != nullptr && p_nScheme >= 0 && static_cast<u32>(p_nScheme) <= m_stSysConf.nSchemeSum;
}

// Makes the scheme current and applies it: forced, every record is sent and
// nothing stored; otherwise only what differs from the scheme left is sent,
// and stored back. SNS_SUCCESS, or -1 for a scheme that does not exist (then
// nothing changes). No lock: the caller holds the controller's lock.
int ISensorController::switch_to(int p_nScheme, bool p_bForce) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    const bool bValid = isSchemeIndex(p_nScheme);
    SENSOR_ASSERT_EXPR(bValid, "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum", "p_nScheme(%d)\n",
                       p_nScheme);
    if (!bValid) return -1;

    m_nStateFlags |= SENSOR_STATE_SWITCHING;
    m_nLastScheme = m_nCurScheme.load();
    m_nCurScheme = p_nScheme;
    if (p_bForce) {
        setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, false);
    } else {
        const int nResult = setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true);
        SENSOR_ASSERT_EXPR(SNS_SUCCESS == nResult,
                           "SNS_SUCCESS == setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true)",
                           "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), static_cast<int>(m_nKeyValSum));
    }
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_SWITCHING);
    return SNS_SUCCESS;
}

// The plate-recognition switch: applies a copy of the scheme with the
// day/night mode forced to 0, every record sent and nothing stored. SNS_SUCCESS,
// or -1 for a scheme that does not exist. No lock: the caller holds it.
int ISensorController::LPR_switch_to(int p_nScheme) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    const bool bValid = isSchemeIndex(p_nScheme) && m_pstKeyValLPR != nullptr;
    SENSOR_ASSERT_EXPR(bValid, "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum", "p_nScheme(%d)\n",
                       p_nScheme);
    if (!bValid) return -1;

    m_nStateFlags |= SENSOR_STATE_SWITCHING;
    m_nLastScheme = m_nCurScheme.load();
    m_nCurScheme = p_nScheme;
    memcpy(m_pstKeyValLPR, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum * sizeof(KeyVal));
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (m_pstKeyValLPR[i].key == KEY_DN_MODE) {
            m_pstKeyValLPR[i].value = 0;
            break;
        }
    }
    setParameters(m_pstKeyValLPR, m_nKeyValSum, false);
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_SWITCHING);
    return SNS_SUCCESS;
}

// The host's scheme choice, 0 to nSchemeSum (the factory set included).
// False, with nothing switched, for any other value. Locks, and waits under
// the lock while a bulk change runs.
bool ISensorController::setParamScheme(int p_nScheme) {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    const bool bInRange = p_nScheme >= 0 && static_cast<u32>(p_nScheme) <= m_stSysConf.nSchemeSum;
    SENSOR_ASSERT_EXPR(bInRange, "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum", "p_nScheme(%d)\n",
                       p_nScheme);
    if (!bInRange) return false;
    waitWhileBusy(m_nStateFlags);
    switch_to(p_nScheme, false);
    return true;
}

// The current scheme (-1 before start-up). Locks.
bool ISensorController::getParamScheme(int& p_nScheme) {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    p_nScheme = m_nCurScheme;
    return true;
}

// Sets the parameter mode; 0 stops automatic switching. A value other than 0
// and 1 is reported and stored all the same. Locks, and waits under the lock
// while a bulk change runs.
bool ISensorController::setParamMode(int p_nMode) {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    SENSOR_ASSERT_EXPR(0u == static_cast<u32>(p_nMode) || 1u == static_cast<u32>(p_nMode),
                       "0 == p_nMode || 1 == p_nMode", "p_nMode(%d)\n", p_nMode);
    waitWhileBusy(m_nStateFlags);
    m_nParamMode = p_nMode;
    return true;
}

// The parameter mode. Locks.
bool ISensorController::getParamMode(int& p_nMode) {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    p_nMode = m_nParamMode;
    return true;
}

// The lowest user scheme whose window [start, end) holds the current time
// (hour * 100 + minute), with inSchedule 1; scheme 0 and inSchedule 0 when no
// window does. Schemes too short to carry a window, or whose fields are out
// of range, have none. No lock.
int ISensorController::judgeCurScheme(int& p_nScheme, int& p_nInSchedule) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    const ZTDateTime stNow = ZTDeviceTime::getCurrentTime();
    const u32 nNow = static_cast<u32>(stNow.hour) * 100u + stNow.minute;
    p_nInSchedule = 0;
    if (m_ppUserKeyVal != nullptr && m_nKeyValSum > WINDOW_END_MIN) {
        for (u32 i = 0; i < m_stSysConf.nSchemeSum; ++i) {
            const KeyVal* pScheme = m_ppUserKeyVal[i];
            u32 nStart = 0, nEnd = 0;
            if (!windowBound(pScheme, WINDOW_START_HOUR, WINDOW_START_MIN, nStart) ||
                !windowBound(pScheme, WINDOW_END_HOUR, WINDOW_END_MIN, nEnd))
                continue;
            if (nStart <= nNow && nNow < nEnd) {
                p_nScheme = static_cast<int>(i);
                p_nInSchedule = 1;
                return SNS_SUCCESS;
            }
        }
    }
    p_nScheme = 0;
    return SNS_SUCCESS;
}

// 0 when the current scheme's window is valid; 505 start after 24:00, 506
// end after 24:00, 507 start not before end (also for a scheme without a
// window). No lock: flush calls it under its lock.
int ISensorController::paramCheck() {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    if (!isSchemeIndex(m_nCurScheme) || m_nKeyValSum <= WINDOW_END_MIN) return 507;
    const KeyVal* pScheme = m_ppUserKeyVal[m_nCurScheme];
    u32 nStart = 0, nEnd = 0;
    if (!windowBound(pScheme, WINDOW_START_HOUR, WINDOW_START_MIN, nStart)) return 505;
    if (!windowBound(pScheme, WINDOW_END_HOUR, WINDOW_END_MIN, nEnd)) return 506;
    if (nStart > 2400) return 505;
    if (nEnd > 2400) return 506;
    return nStart < nEnd ? 0 : 507;
}
