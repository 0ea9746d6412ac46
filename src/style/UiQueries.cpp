// What the user interface asks of the controller to draw the parameters: the
// dynamic-parameter style, the names of its common and language files, and one
// command's default and allowed values as text.
#include <stdio.h>
#include <string.h>

#include <string>

#include "ISensorController.h"
#include "SensorFile.h"
#include "scheme/SensorPassGate.h"
#include "ZentarTime.h"
#include "diag/SensorReport.h"
#include "ia_ioctrl.h"
#include "platform/IspRecords.h"

namespace {

// A busy video module is asked at most this often, with this pause between,
// so a style request waits at most 1.5 s.
const int VIDEO_BUSY_POLLS = 30;
const long VIDEO_BUSY_PAUSE_MICROSECONDS = 50000;

// Zoom and focus commands, which doIaCmd holds back while they are locked.

// The commands getSensorParamRange answers for.
bool isRangeCommand(int p_nCmd) {
    switch (p_nCmd) {
        case KEY_MAX_SHUTTER:
        case KEY_FIX_SHUTTER:
        case KEY_MIN_SHUTTER:
        case KEY_MIN_SHUTTER_NIGHT:
        case KEY_MAX_SHUTTER_NIGHT:
        case KEY_IRIS_POSITION:
        case KEY_AUTO_FOCUS_NEAR_LIMIT:
            return true;
        default:
            return false;
    }
}

bool listHoldsCommand(const IspDynamicCommands& p_stList, int p_nCmd) {
    for (int i = 0; i < p_stList.count; ++i) {
        if (p_stList.cmds[i] == p_nCmd) return true;
    }
    return false;
}

// Appends the items as decimal numbers, one blank between two.
void appendRangeText(std::string& p_strOut, const int* p_pItems, int p_nCount) {
    for (int i = 0; i < p_nCount; ++i) {
        char szItem[64];
        snprintf(szItem, sizeof(szItem), "%d", p_pItems[i]);
        if (i > 0) p_strOut += ' ';
        p_strOut += szItem;
    }
}

}  // namespace

// Waits, without the lock, while the video module says it is busy, then
// locks and builds the style from the merged style and the ISP's ranges.
std::string ISensorController::getUIStyleFile() {
    if (nullptr != m_pVideoStreamModule) {
        for (int i = 0; i < VIDEO_BUSY_POLLS; ++i) {
            if (0 == m_pVideoStreamModule->isVideoBusy()) break;
            ZentarTime(0, VIDEO_BUSY_PAUSE_MICROSECONDS).wait();
        }
    }

    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    std::string strTmp;
    const int nRet = getDnaStyle(m_nCameraID, m_stSysConf.szUIStyle, strTmp, m_bShowWDRFalg);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nRet,
                       "SNS_SUCCESS == getDnaStyle(m_nCameraID,m_stSysConf.szUIStyle, strTmp,m_bShowWDRFalg)", "");
    return strTmp;
}

// The UI-file record with the id, else the first one; null while the table is
// empty, which it always is in this system.
const UIFileInfo* ISensorController::findUIFile(int p_nId) const {
    if (nullptr == m_stSysConf.pUIFiles || 0 == m_stSysConf.nUIFileSum) return nullptr;
    for (u32 i = 0; i < m_stSysConf.nUIFileSum; ++i) {
        if (m_stSysConf.pUIFiles[i].nId == static_cast<u32>(p_nId)) return &m_stSysConf.pUIFiles[i];
    }
    return &m_stSysConf.pUIFiles[0];
}

// Locks. "" when there is no record or its text is not set.
std::string ISensorController::getUICommonFile(int p_nId) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    const UIFileInfo* pFile = findUIFile(p_nId);
    return (nullptr != pFile && nullptr != pFile->szCommonFile) ? std::string(pFile->szCommonFile) : std::string();
}

// Locks. "" when there is no record or its text is not set.
std::string ISensorController::getUILanguageFile(int p_nId) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    const UIFileInfo* pFile = findUIFile(p_nId);
    return (nullptr != pFile && nullptr != pFile->szLanguageFile) ? std::string(pFile->szLanguageFile) : std::string();
}

// No lock; all its data are local. True when the command is answered: its
// default and item list written (appended to the text), or nothing written
// for a range that is not an item list. False, with nothing written, for a
// command outside the seven or the ISP's list, and for a range the ISP did not
// give: a failed read, or a zoom/focus command held back by the lock.
bool ISensorController::getSensorParamRange(int p_nCmd, int& p_nDefaultParam, std::string& p_strParamRange) {
    IspDynamicCommands dnaCmdList;
    const int nListRet = readDynamicCommands(m_nCameraID - 1, dnaCmdList);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nListRet,
                       "SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                       "(void*)(&dnaCmdList))",
                       "");
    if (SNS_SUCCESS != nListRet || !isRangeCommand(p_nCmd) || !listHoldsCommand(dnaCmdList, p_nCmd)) return false;

    // doIaCmd answers success for a held-back command without filling the
    // record, so the lock is looked at here; the count of -1 also marks a
    // record left unfilled should the lock be taken between the two.
    if (isHeldByZoomFocusLock(p_nCmd)) return false;
    ia_dynamic_params_attr_st stDynamicParam;
    memset(&stDynamicParam, 0, sizeof(stDynamicParam));
    stDynamicParam.items_cnt = -1;
    const int nRangeRet =
        doIaCmd(static_cast<u32>(p_nCmd), IA_CMD_OPT_GET_PARAM_RNAGE, static_cast<void*>(&stDynamicParam));
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nRangeRet,
                       "SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&stDynamicParam))", "");
    if (SNS_SUCCESS != nRangeRet) return false;

    if (0 != stDynamicParam.attr_type) return true;
    if (stDynamicParam.items_cnt < 0) return false;

    const int nItems =
        stDynamicParam.items_cnt < IA_DYNAMIC_PARAMS_ITEMS_MAX ? stDynamicParam.items_cnt : IA_DYNAMIC_PARAMS_ITEMS_MAX;
    p_nDefaultParam = stDynamicParam.def_val;
    appendRangeText(p_strParamRange, stDynamicParam.item, nItems);
    printf("cmd=%d DefaltParam=%d strParamRange=%s\n", p_nCmd, p_nDefaultParam, p_strParamRange.c_str());
    return true;
}
