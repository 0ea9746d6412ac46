// Stepping the exposure-time limit (KEY_MAX_SHUTTER) through the values the
// sensor allows. The allowed values are the ISP's range for the command, asked
// afresh on each call; a chosen value is applied and stored through
// setParameter, which takes the controller's lock. Nothing is reported here.
#include <stddef.h>

#include <string>
#include <vector>

#include "ISensorController.h"
#include "StringHandler.h"
#include "ia_ioctrl.h"

namespace {

const size_t SHUTTER_LIST_MAX = 30;

}  // namespace

// The allowed values in the ISP's order, at most 30; empty when the ISP
// gives no item list. Pieces that are not numbers are skipped.
std::vector<int> ISensorController::buildShutterList() {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nDefault, strRange);

    std::vector<int> vecList;
    size_t nStart = 0;
    while (vecList.size() < SHUTTER_LIST_MAX && nStart < strRange.size()) {
        const size_t nBlank = strRange.find(' ', nStart);
        const std::string strPiece =
            strRange.substr(nStart, nBlank == std::string::npos ? std::string::npos : nBlank - nStart);
        int nValue = 0;
        if (StringHandler::str2type(strPiece, nValue)) vecList.push_back(nValue);
        if (nBlank == std::string::npos) break;
        nStart = nBlank + 1;
    }
    return vecList;
}

// Builds the list and finds the first position holding the ISP's current
// value; false when the value cannot be read or is not in the list.
bool ISensorController::locateShutter(std::vector<int>& p_vecList, size_t& p_nPos) {
    p_vecList = buildShutterList();
    int nCurrent = 0;
    if (SNS_SUCCESS != doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nCurrent)) return false;
    for (size_t i = 0; i < p_vecList.size(); ++i) {
        if (p_vecList[i] == nCurrent) {
            p_nPos = i;
            return true;
        }
    }
    return false;
}

// Applies the list value p_nStep positions from the current one, stopping at
// either end, where the current value is applied again.
bool ISensorController::stepShutter(int p_nStep) {
    std::vector<int> vecList;
    size_t nPos = 0;
    if (!locateShutter(vecList, nPos)) return false;
    if (p_nStep > 0 && nPos + 1 < vecList.size()) ++nPos;
    if (p_nStep < 0 && nPos > 0) --nPos;
    return setAndStore(KEY_MAX_SHUTTER, vecList[nPos]);
}

bool ISensorController::getShutterValue(int& p_nIndex) {
    std::vector<int> vecList;
    size_t nPos = 0;
    if (!locateShutter(vecList, nPos)) return false;
    p_nIndex = static_cast<int>(nPos);
    return true;
}

bool ISensorController::setShutterValue(int p_nIndex) {
    const std::vector<int> vecList = buildShutterList();
    if (p_nIndex < 0 || static_cast<size_t>(p_nIndex) >= vecList.size()) return false;
    return setAndStore(KEY_MAX_SHUTTER, vecList[static_cast<size_t>(p_nIndex)]);
}

bool ISensorController::shutterUp() { return stepShutter(1); }

bool ISensorController::shutterDown() { return stepShutter(-1); }
