// The parameter keys by name. Every constant of the key-command map comes from
// the one table in SensorKeyTable.h; the four intelligent-light twins that have
// no row in the map are added here.
#ifndef SENSORDLL_SENSOR_KEYS_H
#define SENSORDLL_SENSOR_KEYS_H

#include "SensorKeyTable.h"
#include "SensorTypes.h"

enum SensorKey : u32 {
#define SENSOR_KEY_CONSTANT(name, key, ...) name = key,
#define SENSOR_KEY_ISP_NAMED(name, key, command, handler)
    SENSOR_KEY_TABLE(SENSOR_KEY_CONSTANT, SENSOR_KEY_CONSTANT, SENSOR_KEY_ISP_NAMED)
#undef SENSOR_KEY_CONSTANT
#undef SENSOR_KEY_ISP_NAMED
    KEY_IR_MANUAL_STRG_MEDIUM_INTELL = 201,
    KEY_IR_MANUAL_STRG_FAR_INTELL = 202,
    KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL = 204,
    KEY_WHITE_MANUAL_STRG_FAR_INTELL = 205,
};

#endif
