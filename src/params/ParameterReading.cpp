// Reading parameters back: one key, a list of keys, or the whole current
// scheme as key/value text, and the ISP's execution status of a command.
//
// Values come from the current scheme's array wherever it holds the key; only
// keys outside the scheme arrays are read from the ISP.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <tinyxml.h>

#include "ISensorController.h"
#include "SensorFile.h"
#include "SensorKeyVal.h"
#include "scheme/SensorPassGate.h"
#include "diag/SensorReport.h"
#include "ia_ioctrl.h"
#include "storage/SchemeMerge.h"
#include "platform/IspRecords.h"
#include "style/XmlDocument.h"
#include "platform/CameraPaths.h"

namespace {

// The infrared keys the ISP cannot answer for; a scheme without them reads -1.
bool isUnreadableInfraredKey(int p_nKey) {
    switch (p_nKey) {
        case KEY_IR_SWITCH:
        case KEY_IR_MODE:
        case KEY_IR_MANUAL_STRG_NEAR:
        case KEY_IR_MANUAL_STRG_MEDIUM:
        case KEY_IR_MANUAL_STRG_FAR:
            return true;
        default:
            return false;
    }
}

// The style's value for KEY_MAX_SHUTTER at or above this sends getAllParameters
// to the scheme file instead of the cache.
const int FLASH_ANSWER_THRESHOLD = 200;

}  // namespace

// Locks. The current scheme's value when it holds the key; -1 for the infrared
// keys it lacks; otherwise the ISP's value, with the key as the command
// (false with a report for a command that exchanges a record).
bool ISensorController::getParameter(int p_nKey, int& p_nVal) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    SENSOR_DBG("p_nKey(%d)\n", p_nKey);

    u32 nCached = static_cast<u32>(-1);
    if (-1 != getKeyValFromCache(static_cast<u32>(m_nCurScheme), static_cast<u32>(p_nKey), nCached)) {
        p_nVal = static_cast<int>(nCached);
        return true;
    }
    if (isUnreadableInfraredKey(p_nKey)) {
        p_nVal = -1;
        return true;
    }

    // A record command would fill a whole record; no single word of it is
    // the key's value, so it is refused. Any other command gets the room of
    // the largest record and answers its first word.
    const bool bWordCommand = nullptr == findIspRecordCommand(static_cast<u32>(p_nKey));
    SENSOR_ASSERT_EXPR(bWordCommand, "NULL == findIspRecordCommand(p_nKey)",
                       "key(%d) is an ISP record command, not read\n", p_nKey);
    if (!bWordCommand) return false;
    IspWordExchange objWord(p_nVal);
    const int nRet = doIaCmd(static_cast<u32>(p_nKey), IA_CMD_OPT_GET, objWord.data());
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nRet, "SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &p_nVal)",
                       "get key(%d) val from 2a err", p_nKey);
    if (SNS_SUCCESS == nRet) p_nVal = objWord.word();
    return SNS_SUCCESS == nRet;
}

// Locks. Appends the current scheme to the text and answers true. When the
// merged style's KEY_MAX_SHUTTER value (from its file, else from the merged
// text in memory) is 200 or more (or absent), the scheme comes from its file,
// so it shows what flush last wrote (nothing for the factory set, which has no
// file); otherwise from the cache after the ISP has corrected it in place, the
// factory set included.
bool ISensorController::getAllParameters(std::string& p_strParameters) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);

    if (nullptr == m_ppUserKeyVal || nullptr == m_pstKeyValTmp) {
        SENSOR_WARN("no scheme arrays: the controller is not initialised\n");
        return true;
    }

    char szStyleFile[64];
    snprintf(szStyleFile, sizeof(szStyleFile), camerapath::MERGED_STYLE_FILE, m_nCameraID);
    TiXmlDocument objStyleXmlDoc;
    const bool bLoaded = LoadFile(objStyleXmlDoc, szStyleFile, TIXML_ENCODING_UTF8);
    SENSOR_ASSERT_EXPR(bLoaded, "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)", "");
    // The merged text in memory is what the file was written from.
    if (!bLoaded) LoadMem(objStyleXmlDoc, m_stSysConf.szUIStyle, TIXML_ENCODING_UTF8);

    int nMaxShutterStyle = FLASH_ANSWER_THRESHOLD;
    const int nSearch = getDnaValbyCmdId(objStyleXmlDoc.FirstChildElement(), KEY_MAX_SHUTTER, nMaxShutterStyle);

    if (SNS_SUCCESS == nSearch && nMaxShutterStyle >= FLASH_ANSWER_THRESHOLD) {
        // Only the user schemes have files: with the factory set current (or
        // none yet) the answer from flash is empty.
        if (static_cast<u32>(m_nCurScheme) >= m_stSysConf.nSchemeSum) return true;
        char szSchemeFile[256];
        formatSchemeFileName(m_nCurScheme, szSchemeFile, sizeof(szSchemeFile));
        // The file is read by key, as start-up reads it, into a copy of the
        // cache: records a missing or short file (or one of an earlier style)
        // lacks show the cache, never stale scratch data.
        memcpy(m_pstKeyValTmp, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum * sizeof(KeyVal));
        keyValFromFileByKey(szSchemeFile, m_pstKeyValTmp, m_nKeyValSum, SENSOR_THIS_CALLER);
        keyval_st2str(p_strParameters, m_pstKeyValTmp, m_nKeyValSum);
        return true;
    }

    // The factory set is a valid current scheme and is answered like a user
    // scheme; before the first switch (scheme -1) there is no array to answer
    // from.
    if (!isSchemeIndex(m_nCurScheme)) return true;
    const int nCorrect = keyval_correct(m_nCameraID - 1, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nCorrect,
                       "SNS_SUCCESS == keyval_correct(m_nCameraID - 1, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum)",
                       "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), static_cast<int>(m_nKeyValSum));
    keyval_st2str(p_strParameters, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
    return true;
}

// No lock of its own: each key is read through getParameter, which locks, so
// values of one answer may straddle another caller's change. Replaces the text
// with the keys that could be read; false only for a malformed id list.
bool ISensorController::getParameters(const std::string& p_strIds, std::string& p_strParameters) {
    std::vector<std::string> vecIds;
    if (!parseSensorParameter(p_strIds, vecIds)) {
        printf("%s%d getParameters fail p_strIds = %s \n", sensorBaseName(__FILE__), __LINE__, p_strIds.c_str());
        return false;
    }

    p_strParameters.clear();
    int nVal = 0;
    for (const std::string& strId : vecIds) {
        const int nKey = atoi(strId.c_str());
        if (!getParameter(nKey, nVal)) continue;
        const KeyVal stItem = {static_cast<u32>(nKey), static_cast<u32>(nVal)};
        keyval_st2str(p_strParameters, &stItem, 1);
    }
    printf("@@ out_Parameters = %s @@\n", p_strParameters.c_str());
    return true;
}

// No lock. What the status means is the ISP's.
bool ISensorController::getCmdExecStatus(int p_nCmd, int& p_nStatus) {
    return SNS_SUCCESS == doIaCmd(static_cast<u32>(p_nCmd), IA_CMD_OPT_GET_STATUS, &p_nStatus);
}
