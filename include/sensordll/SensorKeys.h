// The parameter keys by name, every constant from the one list in
// SensorKeyTable.h, the intelligent-light twins without a map row included.
#ifndef SENSORDLL_SENSOR_KEYS_H
#define SENSORDLL_SENSOR_KEYS_H

#include "SensorKeyTable.h"
#include "SensorTypes.h"

enum SensorKey : u32 {
#define SENSOR_KEY_CONSTANT(name, key, ...) name = key,
#define SENSOR_KEY_ISP_NAMED(name, key, command, handler)
#define SENSOR_KEY_NO_CONSTANT(...)
    SENSOR_KEY_VOCABULARY(SENSOR_KEY_CONSTANT, SENSOR_KEY_CONSTANT, SENSOR_KEY_ISP_NAMED, SENSOR_KEY_NO_CONSTANT,
                          SENSOR_KEY_CONSTANT)
#undef SENSOR_KEY_CONSTANT
#undef SENSOR_KEY_ISP_NAMED
#undef SENSOR_KEY_NO_CONSTANT
};

#endif
