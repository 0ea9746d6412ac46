// Mirror and scene handlers, and the two flags that decide whether wide
// dynamic range and the scene item are offered.
//
// While the scene mode is on, the picture is turned so that mirror values 1
// and 2 trade places; both handlers send the mirror in the form that fits the
// scene state, and the scheme keeps the value as the host gave it.
#include "ISensorController.h"

#include "ia_ioctrl.h"
#include "diag/SensorReport.h"
#include "handlers/HandlerValue.h"

std::atomic<bool> g_bShoWBeawayFalg(true);

void setshowBeawayFalg(bool p_bShow) { g_bShoWBeawayFalg = p_bShow; }

bool getshowBeawayFalg() { return g_bShoWBeawayFalg; }

namespace {

int sceneMirror(int p_nMirror, bool p_bSceneOn) {
    if (!p_bSceneOn) return p_nMirror;
    if (p_nMirror == 1) return 2;
    if (p_nMirror == 2) return 1;
    return p_nMirror;
}

}  // namespace

int ISensorController::doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    u32 nScene = 0;
    getKeyValFromCache(static_cast<u32>(m_nCurScheme), KEY_BEAWAY, nScene);
    int nMirror = sceneMirror(handlerValue(p_pVal), nScene != 0);
    const int nRet = notifyToVideo(static_cast<int>(p_nKey), nMirror);
    SENSOR_ASSERT_EXPR(nRet == SNS_SUCCESS, "SNS_SUCCESS == notifyToVideo(p_nKey, nMirror)", "");
    return doIaCmd(p_nKey, p_nDir, &nMirror);
}

// Turning the scene mode on or off re-sends the stored mirror in the form
// that fits the new state, before the scene value itself. Returns the ISP's
// status for the scene key.
int ISensorController::doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    if (!getshowBeawayFalg()) {
        handlerValue(p_pVal) = 0;
        return SNS_SUCCESS;
    }
    int nBeaway = handlerValue(p_pVal);
    u32 nStoredMirror = 0;
    getKeyValFromCache(static_cast<u32>(m_nCurScheme), KEY_MIRROR, nStoredMirror);
    int nMirror = sceneMirror(static_cast<int>(nStoredMirror), nBeaway != 0);
    int nRet = notifyToVideo(IA_CMD_UI_MIRROR, nMirror);
    SENSOR_ASSERT_EXPR(nRet == SNS_SUCCESS, "SNS_SUCCESS == notifyToVideo(IA_CMD_UI_MIRROR, nMirror)", "");
    nRet = notifyToVideo(static_cast<int>(p_nKey), nBeaway);
    SENSOR_ASSERT_EXPR(nRet == SNS_SUCCESS, "SNS_SUCCESS == notifyToVideo(p_nKey, nBeaway)", "");
    doIaCmd(IA_CMD_UI_MIRROR, p_nDir, &nMirror);
    return doIaCmd(p_nKey, p_nDir, &nBeaway);
}

void ISensorController::setShowWDRFalg(bool p_bShow) { m_bShowWDRFalg = p_bShow; }

bool ISensorController::getShowWDRFalg(bool& p_bShow) {
    p_bShow = m_bShowWDRFalg;
    return true;
}

void ISensorController::setShowBeawayFalg(bool p_bShow) { setshowBeawayFalg(p_bShow); }

bool ISensorController::getShowBeawayFalg(bool& p_bShow) {
    p_bShow = getshowBeawayFalg();
    return true;
}
