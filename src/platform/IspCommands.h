// The ISP commands the controller sends that no key of the key table stands
// for, one list. The ISP's header names three of them; the others get their
// names here. The library sends them by these names and the simulator names
// them in its traces from the same list. Header only: the simulator links the
// library as the camera does and sees none of its internal symbols.
#ifndef SENSORDLL_PLATFORM_ISP_COMMANDS_H
#define SENSORDLL_PLATFORM_ISP_COMMANDS_H

#include <stdint.h>

#include "ia_ioctrl.h"

// ISPNAMED(name, what)          a command the ISP's header names
// OWN(name, command, what)      a command named here
// "what" says what the command does, for traces.
#define SENSOR_KEYLESS_ISP_COMMANDS(ISPNAMED, OWN)           \
    ISPNAMED(IA_CMD_DN_STATE, "day/night state")             \
    OWN(IA_CMD_IR_LED_INFO, 178, "infrared LED information") \
    OWN(IA_CMD_EXPOSURE_STRATEGY, 225, "exposure strategy")  \
    OWN(IA_CMD_HEAT_STATUS, 1606, "heater status")           \
    OWN(IA_CMD_TEMPERATURE, 1607, "temperature")             \
    OWN(IA_CMD_PTZ_RUN_STATE, 1632, "pan-tilt run state")    \
    OWN(IA_CMD_AF_STATISTIC, 1648, "auto-focus statistic")   \
    OWN(IA_CMD_LENS_VERSION, 2496, "lens version")           \
    ISPNAMED(IA_CMD_SENSOR_CHECK, "sensor check")            \
    ISPNAMED(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "dynamic command list")

#define SENSOR_ISP_COMMAND_SKIP(...)
#define SENSOR_ISP_COMMAND_CONSTANT(name, command, what) const uint32_t name = command;
SENSOR_KEYLESS_ISP_COMMANDS(SENSOR_ISP_COMMAND_SKIP, SENSOR_ISP_COMMAND_CONSTANT)
#undef SENSOR_ISP_COMMAND_CONSTANT
#undef SENSOR_ISP_COMMAND_SKIP

#endif
