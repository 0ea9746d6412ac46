// The apply step: every value that reaches the ISP passes setParameters over
// records. It skips what the reference scheme already holds, keeps the linked
// keys consistent (scheme mode, day/night, plain and intelligent light keys,
// the infrared power budget), calls the key's handler from the key-command
// map and remembers the applied value in the current scheme.
#include <stdio.h>

#include "ISensorController.h"
#include "SensorKeyVal.h"
#include "core/SensorStateGuard.h"
#include "scheme/SensorPassGate.h"
#include "ia_ioctrl.h"
#include "diag/SensorReport.h"
#include "platform/IspRecords.h"

namespace {

// The infrared near and far manual strengths may not add up to more than this
// on devices with a limited power budget.
const u32 IR_POWER_BUDGET = 100;
const u32 INTELLIGENT_LIGHT_TYPE = 2;
// The helpers of the record form report for it.
const SensorReportCaller SET_PARAMETERS = {"setParameters", "int ISensorController::setParameters(KeyVal*, u32, bool)"};

bool isStoredOnlyKey(u32 p_nKey) {
    switch (p_nKey) {
        case KEY_EMPTY1:
        case KEY_EMPTY2:
        case KEY_EMPTY3:
        case KEY_SCHEME_START_HOUR:
        case KEY_SCHEME_START_MIN:
        case KEY_SCHEME_END_HOUR:
        case KEY_SCHEME_END_MIN:
            return true;
        default:
            return false;
    }
}

bool isDayNightKey(u32 p_nKey) {
    switch (p_nKey) {
        case KEY_DN_MODE:
        case KEY_DTN_THR:
        case KEY_NTD_THR:
        case KEY_DTN_H:
        case KEY_DTN_M:
        case KEY_NTD_H:
        case KEY_NTD_M:
            return true;
        default:
            return false;
    }
}

// Each plain light key and the intelligent twin that carries its setting
// while the light type is 2, from the key table's twins.
struct LightPair {
    u32 plain;
    u32 twin;
};
#define SENSOR_KEY_SKIP(...)
#define SENSOR_LIGHT_PAIR(twin, plain) {plain, twin},
#define SENSOR_MAPLESS_LIGHT_PAIR(name, key, plain) {plain, name},
const LightPair LIGHT_PAIRS[] = {SENSOR_KEY_VOCABULARY(SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_KEY_SKIP,
                                                       SENSOR_LIGHT_PAIR, SENSOR_MAPLESS_LIGHT_PAIR)};
#undef SENSOR_KEY_SKIP
#undef SENSOR_LIGHT_PAIR
#undef SENSOR_MAPLESS_LIGHT_PAIR
static_assert(sizeof(LIGHT_PAIRS) / sizeof(LIGHT_PAIRS[0]) == 8, "four infrared and four white-light pairs");

const LightPair* findLightPair(u32 p_nKey) {
    for (const LightPair& stPair : LIGHT_PAIRS) {
        if (stPair.plain == p_nKey || stPair.twin == p_nKey) return &stPair;
    }
    return nullptr;
}

// The status of a run stopped at a key: the negated key. Key 0 would read as
// success, so a stop there gives -1.
int stoppedAt(u32 p_nKey) { return p_nKey == 0 ? -1 : static_cast<int>(0u - p_nKey); }

}  // namespace

// Records before a stop stay applied (and stored); the rest are not looked at.
int ISensorController::setParameters(KeyVal* p_pKeyval, u32 p_nKeyValSum, bool p_bSave) {
    SensorStateGuard::Reading objReading(*m_pStateGuard);
    if (m_ppUserKeyVal == nullptr || m_pKeyCmdMap == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != m_ppUserKeyVal && NULL != m_pKeyCmdMap",
                           "the controller is not initialised\n");
        return -1;
    }
    if (p_pKeyval == nullptr && p_nKeyValSum != 0) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pKeyval", "p_nKeyValSum(%u)\n", p_nKeyValSum);
        return -1;
    }
    for (u32 i = 0; i < p_nKeyValSum; ++i) {
        KeyVal& stRecord = p_pKeyval[i];
        if (p_bSave && isKeyValSame(stRecord)) continue;
        bool bStore = true;
        const int nRet = applyRecord(i, stRecord, p_pKeyval[0].key, bStore);
        if (nRet != SNS_SUCCESS) return nRet;
        if (!p_bSave || !bStore) continue;
        if (setKeyValToCache(static_cast<u32>(m_nCurScheme), stRecord.key, stRecord.value, false) == -1) {
            SENSOR_DBG(
                "SET_KEY_VAL FAILED, m_nCurScheme(%d), p_pKeyval[%d].key(%d), p_pKeyval[%d].value(%d),  "
                "maybe jixin\n",
                m_nCurScheme.load(), static_cast<int>(i), static_cast<int>(stRecord.key), static_cast<int>(i),
                static_cast<int>(stRecord.value));
        }
    }
    printf("\n");
    return SNS_SUCCESS;
}

// Everything of one record up to its store: SNS_SUCCESS to go on (p_bStore
// false when the record is skipped entirely), or the status that stops the run.
int ISensorController::applyRecord(u32 p_nIndex, KeyVal& p_stRecord, u32 p_nFirstKey, bool& p_bStore) {
    const u32 nKey = p_stRecord.key;
    const u32 nVal = p_stRecord.value;
    const u32 nCurScheme = static_cast<u32>(m_nCurScheme);

    if (isStoredOnlyKey(nKey)) return SNS_SUCCESS;

    // Scheme 0 holds the mode for all user schemes.
    if (nKey == KEY_SCHEME_MODE) {
        if (m_nCurScheme == 0) {
            m_bTimingScheme = nVal == 1;
            m_bDNScheme = nVal == 2;
            const u32 nMode = (nVal == 1 || nVal == 2) ? nVal : 0;
            for (u32 nScheme = 1; nScheme < m_stSysConf.nSchemeSum; ++nScheme)
                setKeyValToCache(nScheme, KEY_SCHEME_MODE, nMode, true);
        }
        return SNS_SUCCESS;
    }

    // The thermal sensor takes these straight, and a failure there does not
    // stop the run.
    if (m_bThermalChannel) {
        switch (nKey) {
            case KEY_MIRROR:
                doMirror(nKey, IA_CMD_OPT_SET, &p_stRecord.value);
                return SNS_SUCCESS;
            case KEY_ANTI_SHAKE_SWITCH:
                doDIS(nKey, IA_CMD_OPT_SET, &p_stRecord.value);
                return SNS_SUCCESS;
            case KEY_NONE_COLOR_MODE:
            case KEY_TEMPERATURE_STRIP_SWITCH:
                notifyToVideo(static_cast<int>(nKey), static_cast<int>(nVal));
                return SNS_SUCCESS;
            default:
                break;
        }
    }

    // In day/night scheme mode the day/night keys are set through scheme 0,
    // which passes them on to scheme 1; other schemes only store them.
    bool bCallHandler = true;
    if (m_bDNScheme && isDayNightKey(nKey)) {
        if (m_nCurScheme == 0)
            setKeyValToCache(1, nKey, nVal, true);
        else
            bCallHandler = false;
    }

    if (m_bisLimitedIrPower && (nKey == KEY_IR_MANUAL_STRG_NEAR || nKey == KEY_IR_MANUAL_STRG_FAR) &&
        exceedsIrPowerBudget(nKey, nVal))
        return stoppedAt(p_nFirstKey);

    u32 nHandlerKey = nKey;
    if (const LightPair* pPair = findLightPair(nKey)) {
        u32 nLightType = 0;
        getKeyValFromCache(nCurScheme, KEY_LIGHT_TYPE, nLightType);
        const bool bIntelligent = nLightType == INTELLIGENT_LIGHT_TYPE;
        // Only the key of the active light type acts; it keeps its twin equal.
        if ((nKey == pPair->plain) == bIntelligent) {
            p_bStore = false;
            return SNS_SUCCESS;
        }
        if (bIntelligent) {
            setKeyValToCache(nCurScheme, pPair->plain, nVal, true);
            nHandlerKey = pPair->plain;
        } else {
            setKeyValToCache(nCurScheme, pPair->twin, nVal, true);
        }
    }

    if (!bCallHandler) return SNS_SUCCESS;
    return callKeyHandler(p_nIndex, nHandlerKey, p_stRecord);
}

// The partner strength comes from the current scheme, or from the ISP when
// the scheme lacks it; an unknown partner (-1) does not limit.
bool ISensorController::exceedsIrPowerBudget(u32 p_nKey, u32 p_nVal) {
    const bool bNear = p_nKey == KEY_IR_MANUAL_STRG_NEAR;
    const u32 nPartnerKey = bNear ? KEY_IR_MANUAL_STRG_FAR : KEY_IR_MANUAL_STRG_NEAR;
    u32 nPartnerVal = static_cast<u32>(-1);
    if (getKeyValFromCache(static_cast<u32>(m_nCurScheme), nPartnerKey, nPartnerVal) == -1) {
        const int nRet = doIaCmd(nPartnerKey, IA_CMD_OPT_GET, &nPartnerVal);
        if (bNear)
            printf(nRet == SNS_SUCCESS ? "### KEY_IR_MANUAL_STRG_FAR doIaCmd sucess\n"
                                       : "### KEY_IR_MANUAL_STRG_FAR doIaCmd error\n");
        else
            printf(nRet == SNS_SUCCESS ? "### KEY_IR_MANUAL_STRG_NEAR doIaCmd sucess\n"
                                       : "### KEY_IR_MANUAL_STRG_NEAR doIaCmd error\n");
        SENSOR_ASSERT_EXPR_FOR(SET_PARAMETERS, nRet == SNS_SUCCESS,
                               "SNS_SUCCESS == doIaCmd(nPartnerKey, IA_CMD_OPT_GET, &nPartnerVal)",
                               "get key(%d) val from 2a err", static_cast<int>(nPartnerKey));
    }
    // Added and compared unsigned, as the ISP holds the strengths.
    return nPartnerVal != static_cast<u32>(-1) && nPartnerVal + p_nVal > IR_POWER_BUDGET;
}

// A key without a row is still sent, through doIaCmd with the key as command,
// unless that command exchanges a record.
int ISensorController::callKeyHandler(u32 p_nIndex, u32 p_nKey, KeyVal& p_stRecord) {
    keycmd stKeyCmdTmp = keycmd();
    const bool bFound = -1 != findFromKeyCmdMap(m_pKeyCmdMap, p_nKey, stKeyCmdTmp);
    if (!bFound) {
        SENSOR_ASSERT_EXPR_FOR(SET_PARAMETERS, bFound, "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)",
                               "p_pKeyval[%u].key(%u)", p_nIndex, p_nKey);
        SENSOR_PRINT(0, 32, "not find (%d) \n", static_cast<int>(p_nKey));
        stKeyCmdTmp.key = p_nKey;
        stKeyCmdTmp.ia_cmd = p_nKey;
        stKeyCmdTmp.func = &ISensorController::doIaCmd;
        snprintf(stKeyCmdTmp.key_name, sizeof(stKeyCmdTmp.key_name), "%s", "unknow key");
        snprintf(stKeyCmdTmp.func_name, sizeof(stKeyCmdTmp.func_name), "%s", "ISensorController::doIaCmd");
    }
    // Rows without a handler are only stored.
    if (stKeyCmdTmp.func == nullptr) return SNS_SUCCESS;
    // Such a key goes to the ISP as its own command with one word: a record
    // command is refused, any other command gets the room of the largest
    // record, of which the first word comes back as the value.
    if (!bFound && nullptr != findIspRecordCommand(p_nKey)) {
        SENSOR_ASSERT_EXPR(false, "NULL == findIspRecordCommand(nKey)", "key(%u) is an ISP record command, not sent\n",
                           p_nKey);
        return stoppedAt(p_nKey);
    }

    SENSOR_PRINT(0, 31, "====================== set %s (%d,%d) func:%s ia_cmd:%d =====================\n",
                 stKeyCmdTmp.key_name, static_cast<int>(stKeyCmdTmp.key), static_cast<int>(p_stRecord.value),
                 stKeyCmdTmp.func_name, static_cast<int>(stKeyCmdTmp.ia_cmd));
    IspWordExchange objWord(static_cast<int32_t>(p_stRecord.value));
    const int nRet = (this->*stKeyCmdTmp.func)(stKeyCmdTmp.ia_cmd, IA_CMD_OPT_SET,
                                               bFound ? static_cast<void*>(&p_stRecord.value) : objWord.data());
    if (!bFound) p_stRecord.value = static_cast<u32>(objWord.word());
    if (nRet == SNS_SUCCESS) return SNS_SUCCESS;
    if (nRet == -1 || nRet == -4 || nRet == -5) {
        SENSOR_ERR_FOR(SET_PARAMETERS, "set %s (%d,%d) func:%s ia_cmd:%d ~~~failed ia_ret=%d\n", stKeyCmdTmp.key_name,
                       static_cast<int>(stKeyCmdTmp.key), static_cast<int>(p_stRecord.value), stKeyCmdTmp.func_name,
                       static_cast<int>(stKeyCmdTmp.ia_cmd), nRet);
    }
    return stoppedAt(stKeyCmdTmp.key);
}

int ISensorController::setParameter(int p_nKey, int p_nVal, bool p_bSave) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    SENSOR_DBG("p_Parameters22222222222(%d, %d)\n", p_nKey, p_nVal);
    KeyVal stRecord = {static_cast<u32>(p_nKey), static_cast<u32>(p_nVal)};
    return setParameters(&stRecord, 1, p_bSave);
}

// A text with more items than a scheme holds is refused as a whole: applying
// only its first part would leave a parameter set nobody asked for.
int ISensorController::setParameters(const std::string& p_strParameters, bool p_bSave) {
    HostCallLock objLock(*m_pPassGate, m_objMutex, __FILE__, __LINE__);
    SENSOR_DBG("p_Parameters1111111111(%s)\n", p_strParameters.c_str());
    if (m_pstKeyValTmp == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != m_pstKeyValTmp", "the controller is not initialised\n");
        return -1;
    }
    u32 nKeyValSum = 0;
    const bool bParsed = keyval_str2st(p_strParameters, m_pstKeyValTmp, &nKeyValSum, m_nKeyValSum);
    if (!bParsed) {
        SENSOR_ASSERT_EXPR(bParsed, "keyval_str2st(p_strParameters, m_pstKeyValTmp, &nKeyValSum, m_nKeyValSum)",
                           "more than m_nKeyValSum(%u) items, nothing applied\n", m_nKeyValSum);
        return -1;
    }
    return setParameters(m_pstKeyValTmp, nKeyValSum, p_bSave);
}
