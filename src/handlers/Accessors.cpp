// Named getters and setters for the image settings the host's other modules
// touch most. Each wraps one key: a getter reads it through getParameter, a
// setter applies it and stores it in the current scheme through setParameter;
// both lock there, not here. Values are judged by the handlers and the ISP.
#include "ISensorController.h"

// True when the value was applied and stored in the current scheme.
bool ISensorController::setAndStore(int p_nKey, int p_nVal) {
    return SNS_SUCCESS == setParameter(p_nKey, p_nVal, true);
}

bool ISensorController::getDNMode(int& p_nValue) { return getParameter(KEY_DN_MODE, p_nValue); }
bool ISensorController::setDNMode(int p_nValue) { return setAndStore(KEY_DN_MODE, p_nValue); }

bool ISensorController::getWDRSwitch(int& p_nValue) { return getParameter(KEY_WDR_MODE, p_nValue); }
bool ISensorController::setWDRSwitch(int& p_nValue) { return setAndStore(KEY_WDR_MODE, p_nValue); }
bool ISensorController::getWDRStrength(int& p_nValue) { return getParameter(KEY_WDR_STRG, p_nValue); }
bool ISensorController::setWDRStrength(int& p_nValue) { return setAndStore(KEY_WDR_STRG, p_nValue); }

bool ISensorController::getHLCSwitch(int& p_nValue) { return getParameter(KEY_HLC_SWITCH, p_nValue); }
bool ISensorController::setHLCSwitch(int& p_nValue) { return setAndStore(KEY_HLC_SWITCH, p_nValue); }
bool ISensorController::getHLCStrength(int& p_nValue) { return getParameter(KEY_HLC_STRG, p_nValue); }
bool ISensorController::setHLCStrength(int& p_nValue) { return setAndStore(KEY_HLC_STRG, p_nValue); }

bool ISensorController::getBLCSwitch(int& p_nValue) { return getParameter(KEY_BLC_SWITCH, p_nValue); }
bool ISensorController::setBLCSwitch(int& p_nValue) { return setAndStore(KEY_BLC_SWITCH, p_nValue); }
bool ISensorController::getBLCStrength(int& p_nValue) { return getParameter(KEY_BLC_STRG, p_nValue); }
bool ISensorController::setBLCStrength(int& p_nValue) { return setAndStore(KEY_BLC_STRG, p_nValue); }

bool ISensorController::getDefogSwitch(int& p_nValue) { return getParameter(KEY_DEFLG_SWITCH, p_nValue); }
bool ISensorController::setDefogSwitch(int& p_nValue) { return setAndStore(KEY_DEFLG_SWITCH, p_nValue); }
bool ISensorController::getDefogStrength(int& p_nValue) { return getParameter(KEY_DEFLG_STRG, p_nValue); }
bool ISensorController::setDefogStrength(int& p_nValue) { return setAndStore(KEY_DEFLG_STRG, p_nValue); }

bool ISensorController::get2DSwitch(int& p_nValue) { return getParameter(KEY_2D_NR_SWITCH, p_nValue); }
bool ISensorController::set2DSwitch(int& p_nValue) { return setAndStore(KEY_2D_NR_SWITCH, p_nValue); }
bool ISensorController::get2DMode(int& p_nValue) { return getParameter(KEY_2D_NR_MODE, p_nValue); }
bool ISensorController::set2DMode(int& p_nValue) { return setAndStore(KEY_2D_NR_MODE, p_nValue); }
bool ISensorController::get2DAutoMaxStrength(int& p_nValue) { return getParameter(KEY_2D_NR_STRG_A, p_nValue); }
bool ISensorController::set2DAutoMaxStrength(int& p_nValue) { return setAndStore(KEY_2D_NR_STRG_A, p_nValue); }
bool ISensorController::get2DManualMaxStrength(int& p_nValue) { return getParameter(KEY_2D_NR_STRG_M, p_nValue); }
bool ISensorController::set2DManualMaxStrength(int& p_nValue) { return setAndStore(KEY_2D_NR_STRG_M, p_nValue); }

bool ISensorController::get3DSwitch(int& p_nValue) { return getParameter(KEY_3D_NR_SWITCH, p_nValue); }
bool ISensorController::set3DSwitch(int& p_nValue) { return setAndStore(KEY_3D_NR_SWITCH, p_nValue); }
bool ISensorController::get3DMode(int& p_nValue) { return getParameter(KEY_3D_NR_MODE, p_nValue); }
bool ISensorController::set3DMode(int& p_nValue) { return setAndStore(KEY_3D_NR_MODE, p_nValue); }
bool ISensorController::get3DAutoMaxStrength(int& p_nValue) { return getParameter(KEY_3D_NR_STRG_A, p_nValue); }
bool ISensorController::set3DAutoMaxStrength(int& p_nValue) { return setAndStore(KEY_3D_NR_STRG_A, p_nValue); }
bool ISensorController::get3DManualMaxStrength(int& p_nValue) { return getParameter(KEY_3D_NR_STRG_M, p_nValue); }
bool ISensorController::set3DManualMaxStrength(int& p_nValue) { return setAndStore(KEY_3D_NR_STRG_M, p_nValue); }

bool ISensorController::getBeaway(int& p_nValue) { return getParameter(KEY_BEAWAY, p_nValue); }
bool ISensorController::setBeaway(int& p_nValue) { return setAndStore(KEY_BEAWAY, p_nValue); }

bool ISensorController::getMirrorValue(int& p_nValue) { return getParameter(KEY_MIRROR, p_nValue); }

// The only setter that saves at once: a mirror change must survive a power
// cut. flush's own result is not looked at; it reports its failures.
bool ISensorController::setMirrorMode(int p_nValue) {
    if (!setAndStore(KEY_MIRROR, p_nValue)) return false;
    flush();
    return true;
}
