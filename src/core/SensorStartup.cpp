// Start-up and shut-down of a controller: init builds the system
// configuration, the factory set, the scheme arrays (from the scheme files,
// creating missing ones), the key-command map, applies the starting scheme and
// starts the sensor thread; uinit stops the thread and releases all of it.
//
// Neither takes the controller's lock: the factory reset calls both while it
// holds it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "GThread.h"
#include "core/SensorStateGuard.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "SensorFile.h"
#include "VideoStreamModule.h"
#include "diag/SensorReport.h"
#include "scheme/SensorPassGate.h"
#include "platform/CameraFileSystem.h"
#include "sensor.h"
#include "storage/SchemeMerge.h"
#include "platform/CameraPaths.h"

namespace {

// loadSchemeFiles reports for init.
const SensorReportCaller INIT = {"init", "bool ISensorController::init(const ModuleConfigure&)"};

// The plate-recognition night scheme: keys changed in the factory set.
const KeyVal LPR_NIGHT_DEFAULTS[] = {
    {KEY_DN_MODE, 0},    {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
    {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},      {KEY_IR_MANUAL_STRG_NEAR, 40},
};

void setFirstRecord(KeyVal* p_pKeyVal, u32 p_nKeyValSum, u32 p_nKey, u32 p_nValue) {
    for (u32 i = 0; i < p_nKeyValSum; ++i) {
        if (p_pKeyVal[i].key == p_nKey) {
            p_pKeyVal[i].value = p_nValue;
            return;
        }
    }
}

// Whether the records begin with the scheme mode and the four schedule-window
// keys, in that order.
bool beginsWithSchemeKeys(const KeyVal* p_pKeyVal, u32 p_nKeyValSum) {
    static const u32 s_arrSchemeKeys[] = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN,
                                          KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    const u32 nSchemeKeys = sizeof(s_arrSchemeKeys) / sizeof(s_arrSchemeKeys[0]);
    if (p_nKeyValSum < nSchemeKeys) return false;
    for (u32 i = 0; i < nSchemeKeys; ++i)
        if (p_pKeyVal[i].key != s_arrSchemeKeys[i]) return false;
    return true;
}

// A "lensId" field with a non-zero number after its "=" and a ")" somewhere
// after that.
bool hasLensField(const std::string& p_strDetail) {
    const size_t nName = p_strDetail.find("lensId");
    if (nName == std::string::npos) return false;
    const size_t nEquals = p_strDetail.find('=', nName);
    if (nEquals == std::string::npos) return false;
    if (p_strDetail.find(')', nEquals) == std::string::npos) return false;
    return atoi(p_strDetail.c_str() + nEquals + 1) != 0;
}

}  // namespace

// Applies the detail markers. They only ever raise m_bisLimitedIrPower and
// m_bLPRScheme and only ever lower m_bHasLens, so a restart keeps what an
// earlier start found.
void ISensorController::applyDetailMarkers(const std::string& p_strDetail, int p_nDeviceType) {
    if (p_strDetail.find("(isInfrared=17)") != std::string::npos) {
        m_bisLimitedIrPower = true;
        printf("#### m_bisLimitedIrPower is true!\n");
    }
    if (!hasLensField(p_strDetail)) m_bHasLens = false;
    if (p_nDeviceType == DeviceType::LPR && p_strDetail.find("(isInfrared=0)") == std::string::npos &&
        p_strDetail.find("(isInfrared=1)") == std::string::npos) {
        m_bLPRScheme = true;
    }
}

// Fills every user scheme from its file by key, creating missing files from
// the factory set, and sets the scheme-mode flags from scheme 0.
void ISensorController::loadSchemeFiles() {
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;
    for (u32 i = 0; i < nSchemeSum; ++i) {
        char szFileName[256];
        formatSchemeFileName(static_cast<int>(i), szFileName, sizeof(szFileName));
        // A power cut while the file was being replaced can leave the
        // replacement's temporary beside it; the file itself holds its old or
        // its new records.
        removeCameraFile((std::string(szFileName) + ".tmp").c_str());
        if (!cameraFileExists(szFileName)) {
            if (m_bLPRScheme) {
                if (i == 1) {
                    memcpy(m_pstKeyValLPR, m_pFctKeyVal, m_nKeyValSum * sizeof(KeyVal));
                    for (const KeyVal& stDefault : LPR_NIGHT_DEFAULTS)
                        setFirstRecord(m_pstKeyValLPR, m_nKeyValSum, stDefault.key, stDefault.value);
                    keyValToFile(szFileName, m_pstKeyValLPR, m_nKeyValSum);
                } else {
                    keyValToFile(szFileName, m_pFctKeyVal, m_nKeyValSum);
                }
            } else {
                // Scheme 0 of a fresh device starts in the fixed mode; the
                // factory set keeps that value for the controller's life.
                if (i == 0) setKeyValToCache(nSchemeSum, KEY_SCHEME_MODE, 0, true);
                keyValToFile(szFileName, m_pFctKeyVal, m_nKeyValSum);
            }
        }
        // By key: a file written under another style (an upgrade that adds,
        // drops or reorders keys) keeps its values; keys it lacks keep the
        // factory values the scheme was filled with.
        keyValFromFileByKey(szFileName, m_ppUserKeyVal[i], m_nKeyValSum, INIT);
        if (i == 0) {
            u32 nMode = 0;
            if (getKeyValFromCache(0, KEY_SCHEME_MODE, nMode) != -1) {
                m_bTimingScheme = (nMode == 1);
                m_bDNScheme = (nMode == 2);
            }
        }
    }
}

// The WDR and scene flags, from the video module's streams and limited-frames
// parameters. Without a video module there are no streams to hide the scene
// item for and no limited-frames restriction.
void ISensorController::settleStyleFlags(const MachineInfo& p_objMachineInfo) {
    m_bShowWDRFalg = true;
    setshowBeawayFalg(true);
    if (m_pVideoStreamModule == nullptr) return;

    std::vector<AVStreamParam> vecStreams;
    m_pVideoStreamModule->listStreamParams(vecStreams);
    const std::string strModel = p_objMachineInfo.getHardwareModel();
    if (strModel == "Hi3516AV200" || strModel == "Hi3516AV200Thermal") {
        for (const AVStreamParam& objStream : vecStreams) {
            if (objStream.getVideoEncoderType() == 1 && objStream.getVideoHeight() < 256) setshowBeawayFalg(false);
        }
    }

    LimitedFramesWDRModeParam objLimited;
    m_pVideoStreamModule->getLimitedFramesWDRModeParam(m_nCameraID, objLimited);
    if (objLimited.getLimitFramesModeId() == 0 && objLimited.getLimitWdr() == 1) m_bShowWDRFalg = false;
}

// Releases what init allocated, each block only when present, and leaves
// every pointer empty, so that a second call releases nothing.
void ISensorController::releaseArrays() {
    delete[] m_pstKeyValTmp;
    m_pstKeyValTmp = nullptr;
    delete[] m_pKeyCmdMap;
    m_pKeyCmdMap = nullptr;
    if (m_ppUserKeyVal != nullptr) {
        delete[] m_ppUserKeyVal[0];
        delete[] m_ppUserKeyVal;
        m_ppUserKeyVal = nullptr;
    }
    delete[] m_pstKeyValLPR;
    m_pstKeyValLPR = nullptr;
    m_pFctKeyVal = nullptr;
}

// Brings the controller into service; true in every case (failures are
// reported and the start-up goes on). An initialised controller is shut down
// first, so nothing is leaked and no second thread is started. No lock; the
// unlocked operations wait until the state is built.
bool ISensorController::init(const ModuleConfigure& p_objModuleConfigure) {
    if ((m_nStateFlags.load() & SENSOR_STATE_INITIALISED) != 0) uinit();
    SensorStateGuard::Rebuilding objRebuilding(*m_pStateGuard);

    m_nStateFlags |= SENSOR_STATE_INIT_RUNNING;
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_INITIALISED);

    SENSOR_ASSERT_EXPR(SNS_SUCCESS == initSysConf(m_nCameraID, p_objModuleConfigure, &m_stSysConf),
                       "SNS_SUCCESS == initSysConf(m_nCameraID,p_objModuleConfigure, &m_stSysConf)", "");
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;

    // Every start allocates the factory and plate-recognition arrays with the
    // key capacity of a fresh controller. Sizing them by the map's row count,
    // as a restart would after the map was built, could cut a larger factory
    // set short after a factory reset.
    KeyVal* pFactory = new KeyVal[SCHEME_KEY_CAPACITY]();
    m_pFctKeyVal = pFactory;
    m_pstKeyValLPR = new KeyVal[SCHEME_KEY_CAPACITY]();
    m_nKeyValSum = 0;
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == getFctData(m_nCameraID, m_stSysConf.szUIStyle, m_pFctKeyVal, &m_nKeyValSum,
                                                 m_bShowWDRFalg, SCHEME_KEY_CAPACITY),
                       "SNS_SUCCESS == getFctData(m_nCameraID,m_stSysConf.szUIStyle, m_pFctKeyVal, "
                       "&m_nKeyValSum,m_bShowWDRFalg)",
                       "m_nKeyValSum(%d)\n", static_cast<int>(m_nKeyValSum));
    if (m_nKeyValSum > SCHEME_KEY_CAPACITY) m_nKeyValSum = SCHEME_KEY_CAPACITY;
    // The schedule window is read by position; without the five scheme keys
    // in front every flush refuses to save, so the style is reported here once.
    SENSOR_ASSERT(beginsWithSchemeKeys(pFactory, m_nKeyValSum),
                  "the style's first records are not the scheme mode and the schedule window: every flush will "
                  "fail\n");

    // Every scheme starts as a copy of the factory set, so that a short or
    // unreadable scheme file leaves factory values behind, never stale memory.
    KeyVal* pBlock = new KeyVal[static_cast<size_t>(m_nKeyValSum) * (nSchemeSum + 1)];
    m_ppUserKeyVal = new KeyVal*[nSchemeSum + 1];
    for (u32 i = 0; i <= nSchemeSum; ++i) {
        m_ppUserKeyVal[i] = pBlock + static_cast<size_t>(i) * m_nKeyValSum;
        memcpy(m_ppUserKeyVal[i], pFactory, m_nKeyValSum * sizeof(KeyVal));
    }
    delete[] pFactory;
    m_pFctKeyVal = m_ppUserKeyVal[nSchemeSum];

    u32 nStoredVersion = 0;
    if (getVersion(&nStoredVersion) != 0 || nStoredVersion != m_nVersion) {
        SENSOR_WARN(
            "check the sensor version,   local(%u) --> libsensordll.so(%u), source the cmd: rm -rf "
            "/mnt/mtd/code/config*/sensor*\n",
            static_cast<unsigned>(nStoredVersion), static_cast<unsigned>(m_nVersion));
        removeSchemeFiles();
    }

    MachineInfo objMachineInfo;
    SystemInfoParser::parseMachineInfo(camerapath::MACHINE_INFO_FILE, objMachineInfo);
    DeviceType objDeviceType;
    objDeviceType.setDeviceTypeId(objMachineInfo.getDeviceType());
    const std::string strDetail(m_stSysConf.moduleConfig.szDetail,
                                strnlen(m_stSysConf.moduleConfig.szDetail, sizeof(m_stSysConf.moduleConfig.szDetail)));
    applyDetailMarkers(strDetail, objDeviceType.getDeviceTypeId());

    loadSchemeFiles();

    SENSOR_ASSERT_EXPR(SNS_SUCCESS == setVersion(m_nVersion), "SNS_SUCCESS == setVersion(m_nVersion)",
                       "m_nVersion(%d)\n", static_cast<int>(m_nVersion));

    buildKeyCmdMap();
    m_pstKeyValTmp = new KeyVal[m_nKeyValSum == 0 ? 1 : m_nKeyValSum]();

    if (!m_bDNScheme && !m_bTimingScheme) switch_to(0, false);
    sensorThread();

    // The style flags are settled before the thread starts, so that the
    // thread's handlers never read them while they are being written.
    settleStyleFlags(objMachineInfo);

    SENSOR_ASSERT_EXPR(m_pSensorThread != nullptr && m_pSensorThread->start() != 0, "m_pSensorThread->start()", "");

    m_nStateFlags |= SENSOR_STATE_INITIALISED;
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_INIT_RUNNING);
    SENSOR_DBG("ISensorController::initSensor  success\n");
    return true;
}

// Stops the sensor thread and releases what init built, and clears the
// initialised flag. Does nothing on a controller that is not initialised, so
// a second call in a row releases nothing again. No lock.
void ISensorController::uinit() {
    if ((m_nStateFlags.load() & SENSOR_STATE_INITIALISED) == 0) return;

    m_bShutterIdle = true;
    m_nStateFlags |= SENSOR_STATE_UINIT_RUNNING;
    // A pass waiting for its decision turn gives up, so the stop is served.
    m_pPassGate->wake();

    SENSOR_ASSERT_EXPR(m_pSensorThread == nullptr || m_pSensorThread->stop() != 0, "m_pSensorThread->stop()", "");

    // Unlocked operations still running finish first; none starts on what
    // is being released.
    SensorStateGuard::Rebuilding objRebuilding(*m_pStateGuard);
    releaseArrays();

    uinitSysConf(&m_stSysConf);
    // uinitSysConf frees the texts it owns but leaves the pointers; emptying
    // them keeps a repeated shut-down from freeing them again.
    m_stSysConf.szUIStyle = nullptr;
    for (u32 i = 0; m_stSysConf.pUIFiles != nullptr && i < m_stSysConf.nUIFileSum; ++i) {
        m_stSysConf.pUIFiles[i].szCommonFile = nullptr;
        m_stSysConf.pUIFiles[i].szLanguageFile = nullptr;
    }

    m_nParamMode = 1;
    m_nLastScheme = -1;
    m_nCurScheme = -1;
    m_nKeyValSum = 0;
    // Nothing is left to release, so the controller no longer counts as
    // initialised: a following init does not shut it down a second time
    // (stopping a stopped thread), and getSensorStatus answers false until
    // that init ends.
    m_nStateFlags &= ~static_cast<u32>(SENSOR_STATE_UINIT_RUNNING | SENSOR_STATE_INITIALISED);
}
