#include "platform/IspRecords.h"

const IspRecordCommand kIspRecordCommands[] = {
    // cmd                             bytes
    {145, 12},                         // day/night thresholds (KEY_DTN_THR)
    {146, 12},                         // (KEY_NTD_THR)
    {149, 16},                         // day/night times (KEY_DTN_H)
    {150, 16},                         // (KEY_DTN_M)
    {151, 16},                         // (KEY_NTD_H)
    {152, 16},                         // (KEY_NTD_M)
    {154, 12},                         // (KEY_DN_SENSITIVITY)
    {IA_CMD_IR_LED_INFO, 0},           // the host's infrared LED record
    {IA_CMD_LENS_VERSION, IA_LENS_VERSION_BYTES},
    {IA_CMD_SENSOR_CHECK, 4 * sizeof(int32_t)},
    {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, sizeof(ia_dynamic_params_cmds_st)},
};
const size_t kIspRecordCommandSum = sizeof(kIspRecordCommands) / sizeof(kIspRecordCommands[0]);

const IspRecordCommand* findIspRecordCommand(uint32_t p_nCmd) {
    for (size_t i = 0; i < kIspRecordCommandSum; ++i)
        if (kIspRecordCommands[i].cmd == p_nCmd) return &kIspRecordCommands[i];
    return nullptr;
}
