// The controller object: construction, destruction, the channel, the video
// module, the status queries and the values every controller shares.
#include "ISensorController.h"

#include "GThread.h"
#include "core/SensorStateGuard.h"
#include "diag/SensorReport.h"
#include "function.h"
#include "scheme/SensorPassGate.h"
#include "platform/CameraPaths.h"
#include "style/DeviceFamilies.h"

std::atomic<int> ISensorController::m_nPassKeycmd(-1);
std::atomic<int> ISensorController::m_nChanneldDosomething(-1);

// The arrays and the map stay empty until init. The sensor thread is created
// here on this controller's pass but only started by init.
ISensorController::ISensorController()
    : m_stSysConf(),
      m_nCameraID(1),
      m_objMutex(),
      m_pPassGate(new SensorPassGate()),
      m_pStateGuard(new SensorStateGuard()),
      m_pSensorThread(),
      m_nLastScheme(-1),
      m_nCurScheme(-1),
      m_nParamMode(1),
      m_ppUserKeyVal(nullptr),
      m_pstKeyValTmp(nullptr),
      m_pFctKeyVal(nullptr),
      m_nKeyValSum(0),
      m_pstKeyValLPR(nullptr),
      m_pKeyCmdMap(nullptr),
      m_nVersion(8),
      m_pVideoStreamModule(nullptr),
      m_objMachineInfo(),
      m_nStateFlags(0),
      m_nKeyCmdSum(170),
      m_nLastSchedule(255),
      m_bLPRScheme(false),
      m_bShowWDRFalg(true),
      m_bTimingScheme(false),
      m_bDNScheme(false),
      m_bisLimitedIrPower(false),
      m_bHasLens(true),
      m_bShutterIdle(false),
      m_bThermalChannel(false),
      m_objZoomFocusParam() {
    m_pSensorThread.reset(new GThread(function<int>(bind_funcobj0(this, &ISensorController::sensorThread)),
                                      "SensorThread", function<int>(&GThread::emptyFun),
                                      function<int>(&GThread::emptyFun)));
    // A missing file leaves the defaults; the system configuration reads the
    // same file again at init and reports there.
    SystemInfoParser::parseMachineInfo(camerapath::MACHINE_INFO_FILE, m_objMachineInfo);
}

// The host calls uinit first. One that destroys a started controller without
// it would leave the arrays and texts behind: the controller is shut down
// here, with a report.
ISensorController::~ISensorController() {
    if (m_ppUserKeyVal != nullptr) {
        SENSOR_WARN("ISensorController(%d) destroyed without uinit\n", m_nCameraID);
        uinit();
    }
    if (m_pSensorThread) {
        m_pSensorThread->stop();
        m_pSensorThread.reset();
    }
}

// A thermal-only device drives its sensor as channel 2; on the two-sensor
// families channel 2 is the thermal one. Once set, the thermal flag stays.
// Channels count from 1 and every ISP call passes the channel less one, so a
// channel below 1 is refused with a report and the channel stays as it was.
void ISensorController::setChannelID(int p_nChannelID) {
    const int nDeviceType = m_objMachineInfo.getDeviceType();
    const devicefamily::DeviceFamily* pFamily = devicefamily::findDeviceFamily(nDeviceType);
    if (pFamily != nullptr && pFamily->thermalOnly) {
        m_nCameraID = 2;
    } else {
        SENSOR_ASSERT(p_nChannelID >= 1, "p_nChannelID(%d) refused, the channel stays %d\n", p_nChannelID, m_nCameraID);
        if (p_nChannelID < 1) return;
        m_nCameraID = p_nChannelID;
    }
    if (devicefamily::isThermalChannel(nDeviceType, m_nCameraID)) m_bThermalChannel = true;
}

void ISensorController::setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule) {
    m_pVideoStreamModule = p_pVideoStreamModule;
}

bool ISensorController::getSensorStatus() { return (m_nStateFlags & SENSOR_STATE_INITIALISED) != 0; }

u32 ISensorController::getSensorType() { return static_cast<u32>(m_stSysConf.moduleConfig.nModuleId); }

// Part of the host's interface; this controller has nothing of its own to dump.
void ISensorController::printDebugMsg() {}
