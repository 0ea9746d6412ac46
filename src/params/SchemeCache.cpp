// The scheme value cache: single-value reads and writes of the per-scheme
// arrays (user schemes 0 to nSchemeSum - 1, the factory set at nSchemeSum).
//
// Scheme indices are unsigned, so -1 (no scheme yet) is out of range. Each
// operation searches from record 0 and touches only the first record of the
// key. Before init there are no arrays: every operation then refuses. No
// lock; each holds the state guard, so a concurrent reset cannot free the
// arrays under it.
#include "ISensorController.h"

#include "core/SensorStateGuard.h"
#include "diag/SensorReport.h"

// -2: an unforced write outside the user schemes, or any write past the
// factory set; -1: no arrays, or no record of the key.
int ISensorController::setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    if (!p_bForce && p_nScheme >= m_stSysConf.nSchemeSum) return -2;
    // Forced writes may reach the factory set but nothing beyond the arrays.
    if (p_nScheme > m_stSysConf.nSchemeSum) {
        SENSOR_PRINT(0, 0, "can not set val, invalid sheme(%d) \n", static_cast<int>(p_nScheme));
        return -2;
    }
    if (m_ppUserKeyVal == nullptr) {
        SENSOR_PRINT(0, 0, "can not set val, no scheme arrays\n");
        return -1;
    }
    KeyVal* pScheme = m_ppUserKeyVal[p_nScheme];
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (pScheme[i].key == p_nKey) {
            pScheme[i].value = p_nVal;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ISensorController::getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    if (p_nScheme > m_stSysConf.nSchemeSum) {
        SENSOR_PRINT(0, 0, "can not find val, invalid sheme(%d) \n", static_cast<int>(p_nScheme));
        return -1;
    }
    if (m_ppUserKeyVal == nullptr) {
        SENSOR_PRINT(0, 0, "can not find val, no scheme arrays\n");
        return -1;
    }
    const KeyVal* pScheme = m_ppUserKeyVal[p_nScheme];
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (pScheme[i].key == p_nKey) {
            p_nVal = pScheme[i].value;
            return static_cast<int>(i);
        }
    }
    return -1;
}

// During a switch the record is compared with the scheme being left, so that
// only what differs from it reaches the ISP.
bool ISensorController::isKeyValSame(const KeyVal& p_stKeyVal) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    const int nReference = (m_nStateFlags & SENSOR_STATE_SWITCHING) != 0 ? m_nLastScheme : m_nCurScheme;
    u32 nStored = static_cast<u32>(-1);
    if (getKeyValFromCache(static_cast<u32>(nReference), p_stKeyVal.key, nStored) == -1) return false;
    return p_stKeyVal.value == nStored;
}
