// The ISP library's control entry, its commands, options and records, as the
// controller uses them. The replacement library beside it implements the entry
// on a simulated sensor (see IspSimulation.h).
#ifndef ISP_IA_IOCTRL_H
#define ISP_IA_IOCTRL_H

#ifdef __cplusplus
extern "C" {
#endif

// Commands the controller names; every other command number is passed as
// (ia_cmd_e)number.
typedef enum {
    IA_CMD_DN_STATE = 153,
    IA_CMD_UI_MIRROR = 2384,
    IA_CMD_SENSOR_CHECK = 2816,
    IA_CMD_DYNAMIC_PARAMS_CMDS_GET = 4112,
    IA_CMD_UI_SHUTTER_RESET = 8231,
    IA_CMD_MAX = 0x7fffffff
} ia_cmd_e;

typedef enum {
    IA_CMD_OPT_SET = 0,
    IA_CMD_OPT_GET = 1,
    IA_CMD_OPT_GET_PARAM_RNAGE = 2,
    IA_CMD_OPT_CORRECT_PARAM = 3,
    IA_CMD_OPT_GET_STATUS = 4
} ia_cmd_opt_e;

#define IA_DYNAMIC_PARAMS_CMDS_MAX 16
#define IA_DYNAMIC_PARAMS_ITEMS_MAX 64

// The commands whose ranges depend on the sensor fitted.
typedef struct {
    int cmd_cnt;
    int cmd_list[IA_DYNAMIC_PARAMS_CMDS_MAX];
} ia_dynamic_params_cmds_st;

// One command's range. attr_type 0: the allowed values are item[0..items_cnt).
typedef struct {
    int attr_type;
    int def_val;
    int min_val;
    int max_val;
    int items_cnt;
    int item[IA_DYNAMIC_PARAMS_ITEMS_MAX];
} ia_dynamic_params_attr_st;

// channel: the video channel counted from 0. Returns 0 on success.
int ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData);

#ifdef __cplusplus
}

static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "the ISP's command list record is 68 bytes");
static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "the ISP's range record is 276 bytes");
#endif

#endif
