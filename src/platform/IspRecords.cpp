#include "platform/IspRecords.h"

const IspRecordCommand ISP_RECORD_COMMANDS[] = {
    // cmd                             bytes
    {145, 12},                // day/night thresholds (KEY_DTN_THR)
    {146, 12},                // (KEY_NTD_THR)
    {149, 16},                // day/night times (KEY_DTN_H)
    {150, 16},                // (KEY_DTN_M)
    {151, 16},                // (KEY_NTD_H)
    {152, 16},                // (KEY_NTD_M)
    {154, 12},                // (KEY_DN_SENSITIVITY)
    {IA_CMD_IR_LED_INFO, 0},  // the host's infrared LED record
    {IA_CMD_LENS_VERSION, IA_LENS_VERSION_BYTES},
    {IA_CMD_SENSOR_CHECK, 4 * sizeof(int32_t)},
    {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, sizeof(ia_dynamic_params_cmds_st)},
};
const size_t ISP_RECORD_COMMAND_SUM = sizeof(ISP_RECORD_COMMANDS) / sizeof(ISP_RECORD_COMMANDS[0]);

int readDynamicCommands(int p_nChannel, IspDynamicCommands& p_stList) {
    ia_dynamic_params_cmds_st stRecord;
    memset(&stRecord, 0, sizeof(stRecord));
    const int nRet = ia_ioctrl_v2(p_nChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stRecord);
    memset(&p_stList, 0, sizeof(p_stList));
    if (nRet != 0) return nRet;
    p_stList.reportedCount = stRecord.cmd_cnt;
    // The record has room for 16 commands; a larger count must not walk past it.
    p_stList.count = stRecord.cmd_cnt < 0                            ? 0
                     : stRecord.cmd_cnt > IA_DYNAMIC_PARAMS_CMDS_MAX ? IA_DYNAMIC_PARAMS_CMDS_MAX
                                                                     : stRecord.cmd_cnt;
    memcpy(p_stList.cmds, stRecord.cmd_list, sizeof(p_stList.cmds));
    return nRet;
}

const IspRecordCommand* findIspRecordCommand(uint32_t p_nCmd) {
    for (size_t i = 0; i < ISP_RECORD_COMMAND_SUM; ++i)
        if (ISP_RECORD_COMMANDS[i].cmd == p_nCmd) return &ISP_RECORD_COMMANDS[i];
    return nullptr;
}
