// The image-sensor parameter controller of one video channel.
//
// The host constructs one controller per channel, calls setChannelID and
// setVideoStreamModule, then init with the channel's module configuration, and
// uinit before it destroys the controller. Operations marked "locks" take the
// controller's mutex for their whole run; none of them calls another, so the
// mutex is not recursive. The sensor thread never takes the mutex: a pass that
// has a scheme decision to make holds back host calls that have not started,
// waits for the running ones to end, and decides, so a decision is never put
// off by host traffic.
#ifndef SENSORDLL_ISENSOR_CONTROLLER_H
#define SENSORDLL_ISENSOR_CONTROLLER_H

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorZoomFocusParam.h"
#include "VideoStreamModule.h"
#include "ZTMutex.h"
#include "SensorExport.h"
#include "SensorKeys.h"
#include "SensorTypes.h"

class GThread;
class ISensorController;
class SensorPassGate;
class SensorStateGuard;

// A handler of the key-command map: (ISP command, ISP option, value pointer).
typedef int (ISensorController::*SensorKeyHandler)(u32 p_nKey, u32 p_nDir, void* p_pVal);

// One row of the key-command map.
struct keycmd {
    u32 key;
    u32 ia_cmd;
    SensorKeyHandler func;
    char key_name[32];
    char func_name[64];
};

// State flags of m_nStateFlags.
enum SensorStateFlag : u32 {
    SENSOR_STATE_INIT_RUNNING = 1,
    SENSOR_STATE_UINIT_RUNNING = 2,
    SENSOR_STATE_INITIALISED = 4,
    SENSOR_STATE_RESETTING = 8,
    SENSOR_STATE_RETURNING = 16,
    SENSOR_STATE_SWITCHING = 32,
    SENSOR_STATE_BUSY_MASK = 56,
    SENSOR_STATE_BULK_MASK = 57,
};

// Whether the scene (beaway) item is shown; shared by every controller.
SENSORDLL_API extern std::atomic<bool> g_bShoWBeawayFalg;
SENSORDLL_API void setshowBeawayFalg(bool p_bShow);
SENSORDLL_API bool getshowBeawayFalg();

class SENSORDLL_API ISensorController {
public:
    ISensorController();
    ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    // Object, channel, status.
    void setChannelID(int p_nChannelID);
    void setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule);
    bool getSensorStatus();
    u32 getSensorType();
    void printDebugMsg();

    // Start-up and shut-down; no lock.
    bool init(const ModuleConfigure& p_objModuleConfigure);
    void uinit();

    // Key-command map.
    int findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd);

    // Applying parameters. The record form takes no lock; the others lock.
    int setParameters(KeyVal* p_pKeyval, u32 p_nKeyValSum, bool p_bSave);
    int setParameter(int p_nKey, int p_nVal, bool p_bSave);
    int setParameters(const std::string& p_strParameters, bool p_bSave);

    // Reading parameters. getParameter and getAllParameters lock.
    bool getParameter(int p_nKey, int& p_nVal);
    bool getAllParameters(std::string& p_strParameters);
    bool getParameters(const std::string& p_strIds, std::string& p_strParameters);
    bool getCmdExecStatus(int p_nCmd, int& p_nStatus);
    bool parseSensorParameter(const std::string& p_strParameters, std::vector<std::string>& p_vecItems);

    // The scheme value cache; no lock.
    int setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce);
    int getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal);
    bool isKeyValSame(const KeyVal& p_stKeyVal);

    // Schemes. setParamScheme, getParamScheme, setParamMode, getParamMode lock.
    int switch_to(int p_nScheme, bool p_bForce);
    int LPR_switch_to(int p_nScheme);
    bool setParamScheme(int p_nScheme);
    bool getParamScheme(int& p_nScheme);
    bool setParamMode(int p_nMode);
    bool getParamMode(int& p_nMode);
    int judgeCurScheme(int& p_nScheme, int& p_nInSchedule);
    int paramCheck();

    // One pass of the sensor thread.
    int sensorThread();

    // Reset, restore, flush. flush, resetToLastParameters, restore and
    // resetParameters lock.
    int flush();
    bool resetToLastParameters();
    int restore(int p_nKey);
    bool restoreAeMode();
    bool resetParameters();
    int SensorCheck(std::string& p_strParameters);

    // UI files and ranges. The three file getters lock.
    std::string getUIStyleFile();
    std::string getUICommonFile(int p_nId);
    std::string getUILanguageFile(int p_nId);
    bool getSensorParamRange(int p_nCmd, int& p_nDefaultParam, std::string& p_strParamRange);

    // Handlers of the key-command map; no lock.
    int doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIoCrtl(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int test_debugParam(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_PanoTuning(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int notifyToVideo(int p_nKey, int p_nVal);

    void setShowWDRFalg(bool p_bShow);
    bool getShowWDRFalg(bool& p_bShow);
    void setShowBeawayFalg(bool p_bShow);
    bool getShowBeawayFalg(bool& p_bShow);

    // Lens and light controls; no lock of their own.
    bool focusFar();
    bool focusNear();
    bool irisUp();
    bool irisDown();
    bool zoomIn();
    bool zoomOut();
    bool getZoomValue(int& p_nPosition, int& p_nRatio);
    bool setZoomValue(int p_nPosition);
    bool setPTZRunState(int p_nState);
    bool setFocusValue(int p_nValue);
    bool getFocusValue(int& p_nValue);
    bool setFocusMode(int p_nMode);
    bool getFocusMode(int& p_nMode);
    bool getAFStatistic(unsigned int& p_nValue);
    bool getCameraVerInf(std::string& p_strVersion);
    bool getIrisValue(int& p_nValue);
    bool setIrisValue(int p_nValue);
    bool getIRSwitch(int& p_nValue);
    bool setIRSwitch(int p_nValue);
    bool getWhiteSwitch(int& p_nValue);
    bool setWhiteSwitch(int p_nValue);
    bool getWhiteMode(int& p_nValue);
    bool setWhiteMode(int p_nValue);
    bool getLightType(int& p_nValue);
    bool setLightType(int p_nValue);
    bool setDNState(int p_nState);
    bool getDNState(int& p_nState);
    bool getWDR(int& p_nValue);
    bool setExposureStrategy(int& p_nStrategy);
    bool getHeatStatus(bool& p_bHeating);
    bool getTempValue(int& p_nValue);
    bool setIrLedInfo(void* p_pInfo);
    int getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    int setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    bool sync_fov();

    // Named accessors; setters lock through setParameter, getters through
    // getParameter.
    bool getDNMode(int& p_nValue);
    bool setDNMode(int p_nValue);
    bool getWDRSwitch(int& p_nValue);
    bool setWDRSwitch(int& p_nValue);
    bool getWDRStrength(int& p_nValue);
    bool setWDRStrength(int& p_nValue);
    bool getHLCSwitch(int& p_nValue);
    bool setHLCSwitch(int& p_nValue);
    bool getHLCStrength(int& p_nValue);
    bool setHLCStrength(int& p_nValue);
    bool getBLCSwitch(int& p_nValue);
    bool setBLCSwitch(int& p_nValue);
    bool getBLCStrength(int& p_nValue);
    bool setBLCStrength(int& p_nValue);
    bool getDefogSwitch(int& p_nValue);
    bool setDefogSwitch(int& p_nValue);
    bool getDefogStrength(int& p_nValue);
    bool setDefogStrength(int& p_nValue);
    bool get2DSwitch(int& p_nValue);
    bool set2DSwitch(int& p_nValue);
    bool get2DMode(int& p_nValue);
    bool set2DMode(int& p_nValue);
    bool get2DAutoMaxStrength(int& p_nValue);
    bool set2DAutoMaxStrength(int& p_nValue);
    bool get2DManualMaxStrength(int& p_nValue);
    bool set2DManualMaxStrength(int& p_nValue);
    bool get3DSwitch(int& p_nValue);
    bool set3DSwitch(int& p_nValue);
    bool get3DMode(int& p_nValue);
    bool set3DMode(int& p_nValue);
    bool get3DAutoMaxStrength(int& p_nValue);
    bool set3DAutoMaxStrength(int& p_nValue);
    bool get3DManualMaxStrength(int& p_nValue);
    bool set3DManualMaxStrength(int& p_nValue);
    bool getBeaway(int& p_nValue);
    bool setBeaway(int& p_nValue);
    bool getMirrorValue(int& p_nValue);
    bool setMirrorMode(int p_nValue);

    // Shutter stepping.
    bool getShutterValue(int& p_nIndex);
    bool setShutterValue(int p_nIndex);
    bool shutterUp();
    bool shutterDown();

    // One-slot cross-channel request: the channel whose sensor thread is to
    // act, and the key it acts on (-1: none).
    static std::atomic<int> m_nPassKeycmd;
    static std::atomic<int> m_nChanneldDosomething;

private:
    // Private helpers (not exported), one block per subsystem: the block's
    // subsystem (src/<subsystem>/) defines them, in the files named.
    // core: key-command map (KeyCmdMap.cpp), start-up and shut-down
    // (SensorStartup.cpp)
    SENSORDLL_LOCAL void buildKeyCmdMap();
    SENSORDLL_LOCAL void releaseArrays();
    SENSORDLL_LOCAL void applyDetailMarkers(const std::string& p_strDetail, int p_nDeviceType);
    SENSORDLL_LOCAL void loadSchemeFiles();
    SENSORDLL_LOCAL void settleStyleFlags(const MachineInfo& p_objMachineInfo);
    // params: apply step (ApplyParameters.cpp)
    SENSORDLL_LOCAL int applyRecord(u32 p_nIndex, KeyVal& p_stRecord, u32 p_nFirstKey, bool& p_bStore);
    SENSORDLL_LOCAL bool exceedsIrPowerBudget(u32 p_nKey, u32 p_nVal);
    SENSORDLL_LOCAL int callKeyHandler(u32 p_nIndex, u32 p_nKey, KeyVal& p_stRecord);
    // scheme: switching (SchemeSwitching.cpp), sensor thread (SensorThread.cpp)
    SENSORDLL_LOCAL bool isSchemeIndex(int p_nScheme) const;
    SENSORDLL_LOCAL void serveChannelRequest();
    SENSORDLL_LOCAL void decideScheme();
    // storage: the channel's scheme file names and their removal (SchemeFiles.cpp)
    SENSORDLL_LOCAL void formatSchemeFileName(int p_nScheme, char* p_szName, size_t p_nSize) const;
    SENSORDLL_LOCAL void removeSchemeFiles();
    // handlers: command handlers, accessors, shutter stepping
    SENSORDLL_LOCAL bool isHeldByZoomFocusLock(int p_nCmd) const;
    SENSORDLL_LOCAL bool setAndStore(int p_nKey, int p_nVal);
    SENSORDLL_LOCAL std::vector<int> buildShutterList();
    SENSORDLL_LOCAL bool locateShutter(std::vector<int>& p_vecList, size_t& p_nPos);
    SENSORDLL_LOCAL bool stepShutter(int p_nStep);
    // style: UI queries (UiQueries.cpp)
    SENSORDLL_LOCAL const UIFileInfo* findUIFile(int p_nId) const;

    SysConfig m_stSysConf;
    int m_nCameraID;
    ZTMutex m_objMutex;
    // Admits host calls to m_objMutex and the sensor thread to its decision.
    std::unique_ptr<SensorPassGate> m_pPassGate;
    // Keeps the state init builds whole for the operations that take no lock.
    std::unique_ptr<SensorStateGuard> m_pStateGuard;
    std::unique_ptr<GThread> m_pSensorThread;
    // Written under the lock or in the sensor thread's turn, read also by the
    // operations without a lock.
    std::atomic<int> m_nLastScheme;
    std::atomic<int> m_nCurScheme;
    int m_nParamMode;
    KeyVal** m_ppUserKeyVal;
    KeyVal* m_pstKeyValTmp;
    KeyVal* m_pFctKeyVal;
    u32 m_nKeyValSum;
    KeyVal* m_pstKeyValLPR;
    keycmd* m_pKeyCmdMap;
    u32 m_nVersion;
    const VideoStreamModule* m_pVideoStreamModule;
    MachineInfo m_objMachineInfo;
    std::atomic<u32> m_nStateFlags;
    u32 m_nKeyCmdSum;
    u32 m_nLastSchedule;
    bool m_bLPRScheme;
    bool m_bShowWDRFalg;
    bool m_bTimingScheme;
    bool m_bDNScheme;
    bool m_bisLimitedIrPower;
    bool m_bHasLens;
    std::atomic<bool> m_bShutterIdle;
    bool m_bThermalChannel;
    SensorZoomFocusParam m_objZoomFocusParam;
};

#endif
