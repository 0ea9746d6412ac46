// The stored state of the current scheme and of the whole controller: saving
// the current scheme, returning to the saved values, re-sending stored values,
// and the factory reset. The scheme files themselves belong to storage
// (storage/SchemeFiles.h).
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorFile.h"
#include "StringHandler.h"
#include "core/SensorStateGuard.h"
#include "diag/SensorReport.h"
#include "platform/CameraFileSystem.h"
#include "scheme/SensorPassGate.h"
#include "storage/SchemeMerge.h"
#include "platform/CameraPaths.h"

// Saves the current user scheme to its file. SNS_SUCCESS without writing while
// the factory set (or no scheme) is current; the paramCheck code, without
// writing, when the scheme's window is invalid. Locks.
int ISensorController::flush() {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    if (static_cast<u32>(m_nCurScheme) >= m_stSysConf.nSchemeSum || m_ppUserKeyVal == nullptr) return SNS_SUCCESS;
    const int nCheck = paramCheck();
    if (nCheck != 0) return nCheck;
    char szFileName[256];
    formatSchemeFileName(m_nCurScheme, szFileName, sizeof(szFileName));
    return keyValToFile(szFileName, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
}

// Re-applies the current scheme's saved values: only what differs from memory
// is sent, and stored back. True at once while the factory set is current;
// false, with nothing applied, when the saved file is missing or unreadable.
// Locks before it looks at the current scheme, which the sensor thread
// changes under the same lock.
bool ISensorController::resetToLastParameters() {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    if (static_cast<u32>(m_nCurScheme) >= m_stSysConf.nSchemeSum || m_ppUserKeyVal == nullptr) return true;
    char szFileName[256];
    formatSchemeFileName(m_nCurScheme, szFileName, sizeof(szFileName));
    m_nStateFlags |= SENSOR_STATE_RETURNING;
    // Records a short or missing file does not cover keep their in-memory
    // values, so nothing stale from the scratch array is applied; a file of
    // an earlier style is read by key, as start-up reads it.
    memcpy(m_pstKeyValTmp, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum * sizeof(KeyVal));
    // A file that is missing or cannot be read whole gives nothing to return
    // to: nothing is applied, and the caller learns that nothing was reverted.
    const bool bRead = keyValFromFileByKey(szFileName, m_pstKeyValTmp, m_nKeyValSum, SENSOR_THIS_CALLER) >= 0;
    SENSOR_ASSERT_EXPR(bRead, "keyValFromFileByKey(szFileName, m_pstKeyValTmp, m_nKeyValSum) >= 0",
                       "file_name(%s) not read, nothing reverted\n", szFileName);
    const int nResult = bRead ? setParameters(m_pstKeyValTmp, m_nKeyValSum, true) : -1;
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_RETURNING);
    return nResult == SNS_SUCCESS;
}

// Sends the current scheme's stored value of the key to its handler again
// (nothing is stored). The apply result, or -1 when the scheme lacks the key.
// Locks.
int ISensorController::restore(int p_nKey) {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    int nPos = -1;
    if (isSchemeIndex(m_nCurScheme)) {
        for (u32 i = 0; i < m_nKeyValSum; ++i) {
            if (m_ppUserKeyVal[m_nCurScheme][i].key == static_cast<u32>(p_nKey)) {
                nPos = static_cast<int>(i);
                break;
            }
        }
    }
    SENSOR_ASSERT_EXPR(-1 != nPos, "-1 != nPos", "restore key(%d) failed! make sure it is sensor ui key \n", p_nKey);
    if (nPos == -1) return -1;
    return setParameters(&m_ppUserKeyVal[m_nCurScheme][nPos], 1, false);
}

// Re-sends the focus mode (with a lens) and, on a visible channel, the
// exposure mode. Each restore locks on its own.
bool ISensorController::restoreAeMode() {
    if (m_bHasLens && restore(KEY_AUTO_FOCUS_MODE) != SNS_SUCCESS) return false;
    if (m_bThermalChannel) return true;
    return restore(KEY_EXPOSE_MODE) == SNS_SUCCESS;
}

// Returns everything to the factory state: applies the factory set, removes
// the channel's scheme files and restarts the controller, which re-creates
// them. Always true. Locks for the whole run; the sensor thread never takes
// the lock, and a pass waiting for its turn gives up once the resetting flag
// is set, so stopping the thread here cannot deadlock.
bool ISensorController::resetParameters() {
    HostCallLock objGuard(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    m_nStateFlags |= SENSOR_STATE_RESETTING;
    m_pPassGate->wake();

    switch_to(static_cast<int>(m_stSysConf.nSchemeSum), false);
    removeSchemeFiles();
    uinit();

    ModuleConfigure objModuleConfigure;
    const ModuleConfig& stStored = m_stSysConf.moduleConfig;
    objModuleConfigure.setDetail(std::string(stStored.szDetail, strnlen(stStored.szDetail, sizeof(stStored.szDetail))));
    objModuleConfigure.setModuleId(stStored.nModuleId);
    objModuleConfigure.setParameters(
        std::string(stStored.szParameters, strnlen(stStored.szParameters, sizeof(stStored.szParameters))));
    if (sensorDebugLevel() > 5) {
        MachineInfo objMachineInfo;
        SystemInfoParser::parseMachineInfo(camerapath::MACHINE_INFO_FILE, objMachineInfo);
        std::vector<ModuleConfigure> vecModules;
        ModuleConfigureParser::parse(camerapath::MODULE_CONFIG_FILE, objMachineInfo.getHardwareModel(),
                                     objMachineInfo.getHardwareCode(), vecModules);
        // An empty parse keeps the stored configuration.
        if (!vecModules.empty()) {
            objModuleConfigure.setModuleId(vecModules[0].getModuleId());
            objModuleConfigure.setDetail(vecModules[0].getDetail());
            objModuleConfigure.setParameters(vecModules[0].getParameters());
        }
    }

    // The unlocked operations see the controller stopped or started again,
    // never in between.
    SensorStateGuard::Rebuilding objRebuilding(*m_pStateGuard);
    SENSOR_ASSERT_EXPR(init(objModuleConfigure), "init(objModuleConfigure)", "");
    m_nCurScheme = 0;
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_RESETTING);
    return true;
}
