// Direct operations on the motorised lens (zoom, focus, iris) and the
// infrared and white-light illuminators, and the field-of-view sync from the
// sync file.
//
// Most send one fixed ISP command through doIaCmd, so the zoom/focus lock
// applies; those that change a stored parameter go through setParameter,
// which takes the controller's lock. None takes the lock itself.
// "Lens-gated" operations send nothing and succeed on a device without a
// lens.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "handlers/ZoomFocusParamLock.h"
#include "ia_ioctrl.h"
#include "platform/CameraFileSystem.h"
#include "platform/IspRecords.h"
#include "platform/CameraPaths.h"
#include "core/KeyTable.h"

namespace {

// The commands of key rows that are sent here by hand.
constexpr u32 CMD_IRIS_UP = sensorkeys::commandOfKey(KEY_IRIS_UP);
constexpr u32 CMD_IRIS_DOWN = sensorkeys::commandOfKey(KEY_IRIS_DOWN);
constexpr u32 CMD_WHITE_SWITCH = sensorkeys::commandOfKey(KEY_WHITE_SWITCH);
constexpr u32 CMD_WHITE_MODE = sensorkeys::commandOfKey(KEY_WHITE_MODE);

// The exposure mode that lets the iris be moved by hand.
const int EXPOSE_MODE_MANUAL_IRIS = 3;

// The iris position range. The upper bound is 100 times the lower one, the
// largest position the ISP is given; anything above is clamped to it.
const int IRIS_MIN = 256;
const int IRIS_MAX = 25600;

// Zoom position at each whole zoom ratio 1x to 16x.
const u32 ZOOM_RATIO_TABLE[16] = {16384, 24576, 27264, 28672, 29056, 29440, 29728, 30016,
                                  30208, 30400, 30560, 30720, 30912, 31104, 31232, 31424};

// The value of "name=value," in a line: the number right after the first "="
// after the name, provided a "," follows that "=" somewhere in the line.
bool syncFovEntry(const std::string& p_strLine, const std::string& p_strName, int& p_nValue) {
    const size_t nName = p_strLine.find(p_strName);
    if (nName == std::string::npos) return false;
    const size_t nEquals = p_strLine.find('=', nName);
    if (nEquals == std::string::npos) return false;
    if (p_strLine.find(',', nEquals) == std::string::npos) return false;
    p_nValue = atoi(p_strLine.c_str() + nEquals + 1);
    return true;
}

}  // namespace

bool ISensorController::focusFar() {
    if (!m_bHasLens) return true;
    int nMode = 1;
    doIaCmd(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, &nMode);
    int nStep = 1;
    return doIaCmd(KEY_FOCUS_FAR, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

bool ISensorController::focusNear() {
    if (!m_bHasLens) return true;
    int nMode = 1;
    doIaCmd(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, &nMode);
    int nStep = 1;
    return doIaCmd(KEY_FOCUS_NEAR, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

bool ISensorController::irisUp() {
    int nMode = EXPOSE_MODE_MANUAL_IRIS;
    if (doIaCmd(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != SNS_SUCCESS) return false;
    int nStep = 1;
    return doIaCmd(CMD_IRIS_UP, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

bool ISensorController::irisDown() {
    int nMode = EXPOSE_MODE_MANUAL_IRIS;
    if (doIaCmd(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != SNS_SUCCESS) return false;
    int nStep = 1;
    return doIaCmd(CMD_IRIS_DOWN, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

bool ISensorController::zoomIn() {
    int nStep = 1;
    return doIaCmd(KEY_ZOOM_IN, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

bool ISensorController::zoomOut() {
    int nStep = 1;
    return doIaCmd(KEY_ZOOM_OUT, IA_CMD_OPT_SET, &nStep) == SNS_SUCCESS;
}

// The zoom position and the zoom ratio in thousandths (1000 = 1x), linearly
// interpolated between the whole ratios of the table. A position beyond the
// table leaves the ratio as it was. Lens-gated (position 0).
bool ISensorController::getZoomValue(int& p_nPosition, int& p_nRatio) {
    if (!m_bHasLens) {
        p_nPosition = 0;
        return true;
    }
    if (doIaCmd(KEY_MZ_POSITION, IA_CMD_OPT_GET, &p_nPosition) != SNS_SUCCESS) return false;
    const u32 nPosition = static_cast<u32>(p_nPosition);
    if (nPosition <= ZOOM_RATIO_TABLE[0]) {
        p_nRatio = 1000;
        return true;
    }
    for (u32 k = 0; k < 15; ++k) {
        const u32 nLow = ZOOM_RATIO_TABLE[k];
        const u32 nHigh = ZOOM_RATIO_TABLE[k + 1];
        if (nLow < nPosition && nPosition <= nHigh) {
            p_nRatio = static_cast<int>(1000u * (k + 2) - (1000u * (nHigh - nPosition)) / (nHigh - nLow));
            return true;
        }
    }
    return true;
}

bool ISensorController::setZoomValue(int p_nPosition) {
    if (!m_bHasLens) return true;
    return doIaCmd(KEY_MZ_POSITION, IA_CMD_OPT_SET, &p_nPosition) == SNS_SUCCESS;
}

bool ISensorController::setPTZRunState(int p_nState) {
    if (!m_bHasLens) return true;
    return doIaCmd(IA_CMD_PTZ_RUN_STATE, IA_CMD_OPT_SET, &p_nState) == SNS_SUCCESS;
}

bool ISensorController::setFocusValue(int p_nValue) {
    if (!m_bHasLens) return true;
    return doIaCmd(KEY_MF_POSITION, IA_CMD_OPT_SET, &p_nValue) == SNS_SUCCESS;
}

bool ISensorController::getFocusValue(int& p_nValue) {
    if (!m_bHasLens) {
        p_nValue = 0;
        return true;
    }
    return doIaCmd(KEY_MF_POSITION, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

bool ISensorController::setFocusMode(int p_nMode) {
    return doIaCmd(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, &p_nMode) == SNS_SUCCESS;
}

bool ISensorController::getFocusMode(int& p_nMode) {
    return doIaCmd(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_GET, &p_nMode) == SNS_SUCCESS;
}

bool ISensorController::getAFStatistic(unsigned int& p_nValue) {
    return doIaCmd(IA_CMD_AF_STATISTIC, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// The lens module's version text, cut to the buffer so that it is always
// terminated whatever the ISP wrote.
bool ISensorController::getCameraVerInf(std::string& p_strVersion) {
    char szVersion[IA_LENS_VERSION_BYTES];
    memset(szVersion, 0, sizeof(szVersion));
    if (doIaCmd(IA_CMD_LENS_VERSION, IA_CMD_OPT_GET, szVersion) != SNS_SUCCESS) return false;
    p_strVersion.assign(szVersion, strnlen(szVersion, sizeof(szVersion) - 1));
    return true;
}

bool ISensorController::getIrisValue(int& p_nValue) {
    return doIaCmd(KEY_IRIS_POSITION, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// Moves the iris to a position in [256, 25600] (values outside are clamped),
// after switching the exposure mode to manual iris.
bool ISensorController::setIrisValue(int p_nValue) {
    int nPosition = p_nValue;
    if (nPosition < IRIS_MIN) nPosition = IRIS_MIN;
    if (nPosition > IRIS_MAX) nPosition = IRIS_MAX;
    int nMode = EXPOSE_MODE_MANUAL_IRIS;
    if (doIaCmd(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != SNS_SUCCESS) return false;
    return doIaCmd(KEY_IRIS_POSITION, IA_CMD_OPT_SET, &nPosition) == SNS_SUCCESS;
}

bool ISensorController::getIRSwitch(int& p_nValue) {
    return doIaCmd(KEY_IR_SWITCH, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// Switching the infrared light on turns the white light off first, so the two
// are never on together through these operations. Locks through setParameter.
bool ISensorController::setIRSwitch(int p_nValue) {
    if (p_nValue == 1) {
        int nWhite = 0;
        if (!getWhiteSwitch(nWhite)) return false;
        if (nWhite == 1 && !setWhiteSwitch(0)) return false;
    }
    return setParameter(KEY_IR_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::getWhiteSwitch(int& p_nValue) {
    return doIaCmd(CMD_WHITE_SWITCH, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// The mirror of setIRSwitch. Locks through setParameter.
bool ISensorController::setWhiteSwitch(int p_nValue) {
    if (p_nValue == 1) {
        int nIr = 0;
        if (!getIRSwitch(nIr)) return false;
        if (nIr == 1 && !setIRSwitch(0)) return false;
    }
    return setParameter(KEY_WHITE_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::getWhiteMode(int& p_nValue) {
    return doIaCmd(CMD_WHITE_MODE, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// Locks through setParameter.
bool ISensorController::setWhiteMode(int p_nValue) {
    return setParameter(KEY_WHITE_MODE, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::getLightType(int& p_nValue) {
    return doIaCmd(KEY_LIGHT_TYPE, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// Illuminator types 0 to 3; anything else (negative values too) is refused.
// Locks through setParameter.
bool ISensorController::setLightType(int p_nValue) {
    if (static_cast<u32>(p_nValue) > 3) return false;
    return setParameter(KEY_LIGHT_TYPE, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setDNState(int p_nState) {
    return doIaCmd(IA_CMD_DN_STATE, IA_CMD_OPT_SET, &p_nState) == SNS_SUCCESS;
}

bool ISensorController::getDNState(int& p_nState) {
    return doIaCmd(IA_CMD_DN_STATE, IA_CMD_OPT_GET, &p_nState) == SNS_SUCCESS;
}

bool ISensorController::getWDR(int& p_nValue) {
    return doIaCmd(KEY_WDR_MODE, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

bool ISensorController::setExposureStrategy(int& p_nStrategy) {
    return doIaCmd(IA_CMD_EXPOSURE_STRATEGY, IA_CMD_OPT_SET, &p_nStrategy) == SNS_SUCCESS;
}

// The ISP answers a 32-bit word; the caller's bool gets whether it is
// non-zero, so the ISP never writes past the bool.
bool ISensorController::getHeatStatus(bool& p_bHeating) {
    int32_t nHeating = p_bHeating ? 1 : 0;
    if (doIaCmd(IA_CMD_HEAT_STATUS, IA_CMD_OPT_GET, &nHeating) != SNS_SUCCESS) return false;
    p_bHeating = nHeating != 0;
    return true;
}

bool ISensorController::getTempValue(int& p_nValue) {
    return doIaCmd(IA_CMD_TEMPERATURE, IA_CMD_OPT_GET, &p_nValue) == SNS_SUCCESS;
}

// The record belongs to the host and the ISP; an absent one is refused.
bool ISensorController::setIrLedInfo(void* p_pInfo) {
    if (p_pInfo == nullptr) return false;
    return doIaCmd(IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, p_pInfo) == SNS_SUCCESS;
}

int ISensorController::getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam) {
    std::lock_guard<std::mutex> objGuard(zoomFocusParamMutex());
    p_objParam = m_objZoomFocusParam;
    return 0;
}

// The copy decides the zoom/focus lock of doIaCmd.
int ISensorController::setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam) {
    std::lock_guard<std::mutex> objGuard(zoomFocusParamMutex());
    m_objZoomFocusParam = p_objParam;
    return 0;
}

// Applies this channel's zoom position from the sync file ("zoom<channel>="
// and "focus<channel>=" entries, each followed by a ","). The focus value is
// read but not applied. Always true. Runs on channel 1's sensor thread.
bool ISensorController::sync_fov() {
    // Only a regular file, and only its first few hundred bytes: a FIFO or a
    // device planted there must not stall or end the sensor thread.
    std::string strText;
    readCameraFileBounded(camerapath::SYNC_FOV_FILE, CONTROL_FILE_BYTES, strText);
    std::vector<std::string> vecLines;
    for (size_t nStart = 0; nStart < strText.size();) {
        size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = strText.size();
        vecLines.push_back(strText.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }

    char szZoomName[32];
    char szFocusName[32];
    snprintf(szZoomName, sizeof(szZoomName), "zoom%d", m_nCameraID);
    snprintf(szFocusName, sizeof(szFocusName), "focus%d", m_nCameraID);
    int nZoom = -1;
    int nFocus = -1;
    for (const std::string& strLine : vecLines) {
        syncFovEntry(strLine, szZoomName, nZoom);
        syncFovEntry(strLine, szFocusName, nFocus);
        printf("zoom= %d,focus= %d \n", nZoom, nFocus);
        if (nZoom > 0 && nFocus > 0) break;
    }
    if (nZoom > 0) setZoomValue(nZoom);
    return true;
}
