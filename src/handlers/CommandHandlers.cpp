// The command handler family: doIaCmd, the one gate to the ISP, the small
// handlers of the key-command map, and notifyToVideo, which passes a change on
// to the video module.
//
// A bulk operation (start-up, factory reset, return to the stored values,
// scheme switch) re-applies whole schemes; the action keys (zoom, focus, iris
// steps, shutter adjustment) must not fire then, so their handlers hold them
// back while any bit of the bulk mask is set.
#include <mutex>

#include "ISensorController.h"
#include "MachineInfo.h"
#include "ia_ioctrl.h"
#include "diag/SensorReport.h"
#include "handlers/HandlerValue.h"
#include "handlers/ZoomFocusParamLock.h"

namespace {

// The zoom and focus commands that the zoom/focus lock holds back.
const u32 FIRST_LENS_COMMAND = 1536;
const u32 LAST_LENS_COMMAND = 1616;
// Brackets a wide-dynamic-range change for the video module: 0 before, 1 after.
const int WDR_ANNOUNCE_KEY = 2370;

}  // namespace

std::mutex& zoomFocusParamMutex() {
    static std::mutex objMutex;
    return objMutex;
}

// Whether doIaCmd holds the command back rather than sending it. The host may
// replace the zoom/focus parameters from any thread while handlers run on
// others, so the flag is read under the parameters' own mutex.
bool ISensorController::isHeldByZoomFocusLock(int p_nCmd) const {
    if (p_nCmd < static_cast<int>(FIRST_LENS_COMMAND) || p_nCmd > static_cast<int>(LAST_LENS_COMMAND)) return false;
    std::lock_guard<std::mutex> objGuard(zoomFocusParamMutex());
    return m_objZoomFocusParam.getLockZoomFocusEnable();
}

int ISensorController::doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (isHeldByZoomFocusLock(static_cast<int>(p_nKey))) return SNS_SUCCESS;
    return ia_ioctrl_v2(m_nCameraID - 1, static_cast<ia_cmd_e>(p_nKey), p_nDir, p_pVal);
}

// After a restart the first shutter adjustment goes through even while the
// start-up runs; later ones wait for the bulk operation to end.
int ISensorController::doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (m_bShutterIdle.exchange(false)) return doIaCmd(p_nKey, p_nDir, p_pVal);
    if ((m_nStateFlags & SENSOR_STATE_BULK_MASK) != 0) return SNS_SUCCESS;
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

// Action keys that only a direct request may trigger. Auto focus once needs a
// lens, and on a visible channel a non-zero value.
int ISensorController::doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if ((m_nStateFlags & SENSOR_STATE_BULK_MASK) != 0) return SNS_SUCCESS;
    if (p_nKey == KEY_AUTO_FOCUS_ONCE) {
        SENSOR_REFUSE_MISSING_VALUE(p_pVal);
        if (!m_bHasLens || (!m_bThermalChannel && handlerValue(p_pVal) == 0)) return SNS_SUCCESS;
    }
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

// Leaves the field-of-view sync for channel 1's sensor thread. The key is
// written before the channel: the thread acts once it sees its channel.
int ISensorController::doIoCrtl(u32 p_nKey, u32 /*p_nDir*/, void* /*p_pVal*/) {
    if (p_nKey == KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV) {
        m_nPassKeycmd = KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV;
        m_nChanneldDosomething = 1;
    }
    return SNS_SUCCESS;
}

int ISensorController::test_debugParam(u32 p_nKey, u32 /*p_nDir*/, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    notifyToVideo(static_cast<int>(p_nKey), handlerValue(p_pVal));
    return SNS_SUCCESS;
}

// Returns the video module's answer; an ISP refusal is only reported.
int ISensorController::doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    if (!m_bShowWDRFalg) {
        handlerValue(p_pVal) = 0;
        return SNS_SUCCESS;
    }
    notifyToVideo(WDR_ANNOUNCE_KEY, 0);
    const int nRet = notifyToVideo(static_cast<int>(p_nKey), handlerValue(p_pVal));
    const int nIspRet = doIaCmd(p_nKey, p_nDir, p_pVal);
    SENSOR_ASSERT_EXPR(nIspRet == SNS_SUCCESS, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)", "");
    notifyToVideo(WDR_ANNOUNCE_KEY, 1);
    return nRet;
}

// Returns the ISP's status; a video refusal is only reported.
int ISensorController::doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    const int nRet = notifyToVideo(static_cast<int>(p_nKey), handlerValue(p_pVal));
    SENSOR_ASSERT_EXPR(nRet == SNS_SUCCESS, "SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal)", "");
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

// Returns the video module's answer; an ISP refusal is only reported.
int ISensorController::doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    const int nIspRet = doIaCmd(p_nKey, p_nDir, p_pVal);
    SENSOR_ASSERT_EXPR(nIspRet == SNS_SUCCESS, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)", "");
    return notifyToVideo(static_cast<int>(p_nKey), handlerValue(p_pVal));
}

// Stitching parameters belong to the video module alone.
int ISensorController::doIaCmd_PanoTuning(u32 p_nKey, u32 /*p_nDir*/, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    const int nKey = static_cast<int>(p_nKey);
    const int nVal = handlerValue(p_pVal);
    const int nRet = notifyToVideo(nKey, nVal);
    SENSOR_ASSERT_EXPR(nRet == SNS_SUCCESS, "SNS_SUCCESS == notifyToVideo(nKey, nVal)", "");
    return SNS_SUCCESS;
}

// A thermal-only device has one video channel, 1, whatever channel its
// controller drives. Without a video module there is nothing to notify.
int ISensorController::notifyToVideo(int p_nKey, int p_nVal) {
    if (m_pVideoStreamModule == nullptr) return 0;
    const int nChannel = m_objMachineInfo.getDeviceType() == DeviceType::THERMAL_DEVICE ? 1 : m_nCameraID;
    return m_pVideoStreamModule->notifySensorParam(nChannel, p_nKey, p_nVal);
}
