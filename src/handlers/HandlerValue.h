// Handlers are public members, so a host may call one directly; those that
// read or rewrite the value refuse a missing one instead of dereferencing it.
#ifndef SENSORDLL_HANDLERS_HANDLER_VALUE_H
#define SENSORDLL_HANDLERS_HANDLER_VALUE_H

#include "diag/SensorReport.h"

#define SENSOR_REFUSE_MISSING_VALUE(p_pVal)                    \
    do {                                                       \
        if ((p_pVal) == nullptr) {                             \
            SENSOR_ASSERT_EXPR(false, "NULL != " #p_pVal, ""); \
            return -1;                                         \
        }                                                      \
    } while (0)

// The handler's value: a signed 32-bit integer behind the untyped pointer.
inline int& handlerValue(void* p_pVal) { return *static_cast<int*>(p_pVal); }

#endif
