// Test-only access to the controller's private state, so that tests can set
// up a scheme layout directly and inspect what an operation left behind.
#ifndef SENSORDLL_TESTS_CONTROLLER_ACCESS_H
#define SENSORDLL_TESTS_CONTROLLER_ACCESS_H

#include <cstring>
#include <vector>

#include "ISensorController.h"

class ISensorControllerTestAccess {
public:
    explicit ISensorControllerTestAccess(ISensorController& p_objController) : c(p_objController) {}

    // Gives the controller nSchemeSum user schemes plus the factory set, each
    // holding the given records, and the full key-command map, as init would.
    // Releases whatever an earlier call set up.
    void setUpSchemes(u32 p_nSchemeSum, const std::vector<KeyVal>& p_vecRecords) {
        tearDownSchemes();
        const u32 nSum = static_cast<u32>(p_vecRecords.size());
        c.m_stSysConf.nSchemeSum = p_nSchemeSum;
        c.m_nKeyValSum = nSum;
        KeyVal* pBlock = new KeyVal[(nSum == 0 ? 1 : nSum) * (p_nSchemeSum + 1)];
        c.m_ppUserKeyVal = new KeyVal*[p_nSchemeSum + 1];
        for (u32 i = 0; i <= p_nSchemeSum; ++i) {
            c.m_ppUserKeyVal[i] = pBlock + i * nSum;
            if (nSum != 0) std::memcpy(c.m_ppUserKeyVal[i], p_vecRecords.data(), nSum * sizeof(KeyVal));
        }
        c.m_pFctKeyVal = c.m_ppUserKeyVal[p_nSchemeSum];
        c.m_pstKeyValTmp = new KeyVal[nSum == 0 ? 1 : nSum];
        c.m_pstKeyValLPR = new KeyVal[nSum == 0 ? 1 : nSum];
        if (c.m_pKeyCmdMap == nullptr) c.buildKeyCmdMap();
        m_bOwnsArrays = true;
    }

    void tearDownSchemes() {
        if (!m_bOwnsArrays) return;
        delete[] c.m_ppUserKeyVal[0];
        delete[] c.m_ppUserKeyVal;
        delete[] c.m_pstKeyValTmp;
        delete[] c.m_pstKeyValLPR;
        delete[] c.m_pKeyCmdMap;
        c.m_ppUserKeyVal = nullptr;
        c.m_pstKeyValTmp = nullptr;
        c.m_pstKeyValLPR = nullptr;
        c.m_pKeyCmdMap = nullptr;
        c.m_pFctKeyVal = nullptr;
        c.m_nKeyValSum = 0;
        m_bOwnsArrays = false;
    }

    // Value of a key in a scheme array; false when the array lacks it.
    bool schemeValue(u32 p_nScheme, u32 p_nKey, int& p_nValue) const {
        for (u32 i = 0; i < c.m_nKeyValSum; ++i) {
            if (c.m_ppUserKeyVal[p_nScheme][i].key == p_nKey) {
                p_nValue = static_cast<int>(c.m_ppUserKeyVal[p_nScheme][i].value);
                return true;
            }
        }
        return false;
    }
    int schemeValue(u32 p_nScheme, u32 p_nKey) const {
        int nValue = -12345;
        schemeValue(p_nScheme, p_nKey, nValue);
        return nValue;
    }
    KeyVal* scheme(u32 p_nScheme) const { return c.m_ppUserKeyVal[p_nScheme]; }

    SysConfig& sysConf() { return c.m_stSysConf; }
    int& cameraId() { return c.m_nCameraID; }
    std::atomic<int>& curScheme() { return c.m_nCurScheme; }
    std::atomic<int>& lastScheme() { return c.m_nLastScheme; }
    int& paramMode() { return c.m_nParamMode; }
    KeyVal** userKeyVal() { return c.m_ppUserKeyVal; }
    KeyVal* keyValTmp() { return c.m_pstKeyValTmp; }
    KeyVal* fctKeyVal() { return c.m_pFctKeyVal; }
    KeyVal* keyValLPR() { return c.m_pstKeyValLPR; }
    u32& keyValSum() { return c.m_nKeyValSum; }
    keycmd* keyCmdMap() { return c.m_pKeyCmdMap; }
    u32& keyCmdSum() { return c.m_nKeyCmdSum; }
    u32 version() const { return c.m_nVersion; }
    const VideoStreamModule* videoModule() const { return c.m_pVideoStreamModule; }
    MachineInfo& machineInfo() { return c.m_objMachineInfo; }
    std::atomic<u32>& stateFlags() { return c.m_nStateFlags; }
    u32& lastSchedule() { return c.m_nLastSchedule; }
    bool& lprScheme() { return c.m_bLPRScheme; }
    bool& showWdr() { return c.m_bShowWDRFalg; }
    bool& timingScheme() { return c.m_bTimingScheme; }
    bool& dnScheme() { return c.m_bDNScheme; }
    bool& limitedIrPower() { return c.m_bisLimitedIrPower; }
    bool& hasLens() { return c.m_bHasLens; }
    std::atomic<bool>& shutterIdle() { return c.m_bShutterIdle; }
    bool& thermalChannel() { return c.m_bThermalChannel; }
    SensorZoomFocusParam& zoomFocusParam() { return c.m_objZoomFocusParam; }
    bool threadExists() const { return c.m_pSensorThread != nullptr; }

private:
    ISensorController& c;
    bool m_bOwnsArrays = false;
};

#endif
