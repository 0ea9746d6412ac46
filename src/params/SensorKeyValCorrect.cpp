// Correction of stored values to what the fitted sensor accepts.
//
// A scheme written on one sensor may hold values another sensor refuses. The
// ISP names the commands whose ranges depend on the sensor and replaces each
// such value by the nearest one it accepts.
#include "SensorKeyVal.h"

#include <string.h>

#include "diag/SensorReport.h"
#include "ia_ioctrl.h"
#include "platform/IspRecords.h"

namespace {

// Index of the first record holding the key, or -1.
long findFirstRecord(const KeyVal* p_pKeyval, u32 p_nKeyValSum, u32 p_nKey) {
    for (u32 i = 0; i < p_nKeyValSum; ++i) {
        if (p_pKeyval[i].key == p_nKey) return static_cast<long>(i);
    }
    return -1;
}

}  // namespace

// Corrects in place the value of the first record of each command the ISP
// lists; keys and order never change. Calls the ISP directly rather than
// through doIaCmd, so the zoom/focus lock does not hold corrections back.
// Returns 0 once the list has been walked, -1 for a null array.
int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValSum) {
    if (nullptr == p_pKeyval) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pKeyval", "");
        return -1;
    }

    IspDynamicCommands dnaCmdList;
    const int nListRet = readDynamicCommands(p_nChannel_id, dnaCmdList);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nListRet,
                       "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                       "IA_CMD_OPT_GET, (void*)(&dnaCmdList))",
                       "");

    for (int i = 0; i < dnaCmdList.count; ++i) {
        const int nCmd = dnaCmdList.cmds[i];
        const long index = findFirstRecord(p_pKeyval, p_nKeyValSum, static_cast<u32>(nCmd));
        if (index < 0) {
            SENSOR_LOG("cmd_list[%d]=%d\n", i, nCmd);
            continue;
        }
        KeyVal& stRecord = p_pKeyval[index];
        SENSOR_DBG("before correct: (%d,%d)\n", static_cast<int>(stRecord.key), static_cast<int>(stRecord.value));
        const int nRet =
            ia_ioctrl_v2(p_nChannel_id, static_cast<ia_cmd_e>(stRecord.key), IA_CMD_OPT_CORRECT_PARAM, &stRecord.value);
        SENSOR_ASSERT_EXPR(SNS_SUCCESS == nRet,
                           "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key, "
                           "IA_CMD_OPT_CORRECT_PARAM, &p_pKeyval[index].value)",
                           "");
        SENSOR_DBG("after correct: (%d,%d)\n", static_cast<int>(stRecord.key), static_cast<int>(stRecord.value));
    }
    return 0;
}
